// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "replay/session_source.h"
#include "telemetry/standings.h"
#include "telemetry/telemetry_sample.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::replay {

/// The version of the session file format this program writes, and the newest it reads: 3
/// stamps samples on a clock that only goes forward (1 and 2 on the system clock).
inline constexpr int kFormatVersion = 3;

/// What a session file says about itself.
struct SessionHeader {
    int version = kFormatVersion;
    std::string program;
    /// When the recording started, in milliseconds since 1970.
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

/// The checksum a record carries of its payload: Fletcher-16.
std::uint16_t recordChecksum(std::string_view payload);

/// One sample as it was acquired: when, the sample, the followed car's slot and the standings
/// read with it. The time is in milliseconds on a clock that only goes forward while the
/// program runs; files of versions 1 and 2 hold the system clock's milliseconds since 1970,
/// which can step back.
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

/// Reads a session file a piece at a time, with the same memory whatever its size. It stops
/// at the first record that is cut or damaged and says where.
class SessionDecoder {
public:
    /// Reads `bytes`, which it does not copy (they must outlive it).
    explicit SessionDecoder(std::string_view bytes);
    /// Reads from `source`.
    explicit SessionDecoder(std::unique_ptr<SessionSource> source);

    /// Empty when the header could be read and the version is one this program knows;
    /// otherwise why the file cannot be played.
    const SessionFault &refusal() const { return m_refusal; }
    const SessionHeader &header() const { return m_header; }

    /// The next sample; false at the end or where the file is damaged.
    bool next(RecordedSample &sample);
    /// Whether the sample `next` gave last is a whole one (a keyframe), from which reading
    /// can start again.
    bool atKeyframe() const { return m_atKeyframe; }
    /// Where the records of the sample `next` gave last start in the file.
    std::uint64_t sampleStart() const { return m_sampleStart; }
    /// Goes on from `offset`, where `sampleStart` said a keyframe's records start, as if the
    /// file started there.
    void restartAt(std::uint64_t offset);
    /// After `next` gave false: empty at a clean end, otherwise where and why reading stopped.
    const SessionFault &stop() const { return m_stop; }

private:
    std::string_view bytesAt(std::uint64_t offset, std::size_t size);
    void readHeader();
    bool readRecord(RecordedSample &sample);
    bool damaged(std::uint64_t at, SessionFault::Kind why);

    std::unique_ptr<SessionSource> m_source;
    // A window on the file: its bytes from `m_windowAt`, up to its end when `m_windowToEnd`.
    std::string m_window;
    std::uint64_t m_windowAt = 0;
    bool m_windowToEnd = false;
    std::uint64_t m_start = 0;
    std::uint64_t m_at = 0;
    std::uint64_t m_sampleStart = 0;
    bool m_atKeyframe = false;
    SessionHeader m_header;
    SessionFault m_refusal;
    SessionFault m_stop;
    RecordedSample m_previous;
};

} // namespace ostrelo::replay
