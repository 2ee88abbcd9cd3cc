// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "telemetry/standings.h"
#include "telemetry/telemetry_sample.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::replay {

/// The version of the session file format this program writes, and the newest it reads.
inline constexpr int kFormatVersion = 2;

/// What a session file says about itself.
struct SessionHeader {
    int version = kFormatVersion;
    std::string program;
    std::int64_t createdMs = 0;
    std::string track;
    std::string car;
};

/// What is wrong with a session file, in no language.
struct SessionFault {
    enum class Kind {
        None,
        // The file cannot be played at all.
        Empty,
        NotASession,
        HeaderCut,
        NewerFormat,
        // It plays up to where reading stopped.
        CutRecord,
        DamagedRecord,
        DamagedStandings,
        NoWholeSample,
    };
    Kind kind = Kind::None;
    /// The file's format for `NewerFormat`; the byte where reading stopped for the kinds after
    /// it.
    std::uint64_t number = 0;

    bool empty() const { return kind == Kind::None; }
    bool operator==(const SessionFault &) const = default;
};

/// One sample as it was acquired: when (milliseconds since 1970), the sample, the followed
/// car's slot and the standings read with it.
struct RecordedSample {
    std::int64_t timeMs = 0;
    telemetry::TelemetrySample sample;
    std::int16_t carSlot = 0;
    telemetry::Standings standings;
    bool operator==(const RecordedSample &) const = default;
};

/// Writes a session: the header, then each sample as the fields that changed since the one
/// before, with every field again every `kKeyframeMs` so that a reader can start there. The
/// standings go before a sample when they changed, and before every keyframe.
class SessionEncoder {
public:
    static constexpr std::int64_t kKeyframeMs = 10000;

    /// The bytes that open a file.
    static std::string header(const SessionHeader &header);
    /// The bytes of one more sample.
    std::string encode(const RecordedSample &sample);

private:
    RecordedSample m_previous;
    std::string m_standings; // as last written
    bool m_started = false;
    std::int64_t m_lastKeyframeMs = 0;
};

/// Reads a session file from its bytes, which it does not copy (they must outlive it). It
/// stops at the first record that is cut or damaged and says where.
class SessionDecoder {
public:
    explicit SessionDecoder(std::string_view bytes);

    /// Empty when the header could be read and the version is one this program knows;
    /// otherwise why the file cannot be played.
    const SessionFault &refusal() const { return m_refusal; }
    const SessionHeader &header() const { return m_header; }

    /// The next sample; false at the end or where the file is damaged.
    bool next(RecordedSample &sample);
    /// Goes back to the keyframe at or before `timeMs` (the start when there is none), so
    /// that `next` goes on from there.
    void rewindTo(std::int64_t timeMs);
    /// After `next` gave false: empty at a clean end, otherwise where and why reading stopped.
    const SessionFault &stop() const { return m_stop; }

private:
    bool readRecord(RecordedSample &sample);
    bool damaged(std::size_t at, SessionFault::Kind why);

    std::string_view m_bytes;
    std::size_t m_start = 0;
    std::size_t m_at = 0;
    SessionHeader m_header;
    SessionFault m_refusal;
    SessionFault m_stop;
    RecordedSample m_previous;
    // Where each keyframe read so far starts, and its time.
    std::vector<std::pair<std::int64_t, std::size_t>> m_keyframes;
};

} // namespace ostrelo::replay
