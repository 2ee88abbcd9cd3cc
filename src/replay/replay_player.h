// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "replay/session_format.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ostrelo::replay {

/// Plays a session file on its own clock: at a chosen speed, paused, or from any position. The
/// whole file is looked through once when it is opened, a piece at a time, for its length and
/// for where it is damaged, if it is.
///
/// The replay's clock times each sample from the one before it in the file: a sample stamped
/// earlier than the one before (a clock stepped back while recording) plays right after it, so
/// every sample plays in the order it was recorded. A session plays for at most `kLongestMs`;
/// what a file puts later plays at its end. A sample holding a value that is not a finite
/// number is refused as the game's reading refuses it: it is neither due nor passed, and is
/// reported under "ReplayPlayer" when the clock passes it (once for samples in a row).
class ReplayPlayer {
public:
    static constexpr std::int64_t kLongestMs = std::int64_t{100000} * 3600 * 1000;

    /// Takes the bytes of a session file.
    explicit ReplayPlayer(std::string bytes);
    /// Reads the session file from `source`.
    explicit ReplayPlayer(std::unique_ptr<SessionSource> source);
    ReplayPlayer(const ReplayPlayer &) = delete;
    ReplayPlayer &operator=(const ReplayPlayer &) = delete;

    /// Empty when the file can be played; otherwise why not.
    const SessionFault &refusal() const { return m_decoder.refusal(); }
    const SessionHeader &header() const { return m_decoder.header(); }
    /// Where reading stopped because the file is cut or damaged; empty for a whole file.
    const SessionFault &damage() const { return m_damage; }

    /// From the first sample to the last on the replay's clock, in milliseconds.
    std::int64_t durationMs() const { return m_durationMs; }
    std::int64_t positionMs() const { return m_positionMs; }
    double speed() const { return m_speed; }
    bool paused() const { return m_paused; }
    /// True once the last sample has been played.
    bool finished() const { return !m_next && m_positionMs >= durationMs(); }

    void setSpeed(double factor) { m_speed = factor > 0 ? factor : m_speed; }
    void setPaused(bool paused) { m_paused = paused; }
    /// Moves to `positionMs` from the start; the sample there is played next.
    void seek(std::int64_t positionMs);

    /// Moves the clock on by `elapsedMs` of real time (not while paused) and returns the newest
    /// sample that is due and not played yet.
    std::optional<RecordedSample> advance(std::int64_t elapsedMs);

    /// Each sample the clock passes in `advance`, in order, the one returned included; none
    /// by default. A seek passes none.
    std::function<void(const RecordedSample &sample)> onPassed;

private:
    struct Timed {
        RecordedSample sample;
        std::int64_t positionMs = 0;
    };
    // A keyframe to start reading from, and where it plays.
    struct Start {
        std::int64_t positionMs;
        std::uint64_t offset;
    };

    void open();
    bool read(Timed &timed);
    void restartAt(const Start &start);

    SessionDecoder m_decoder;
    SessionFault m_damage;
    std::vector<Start> m_starts;
    std::int64_t m_durationMs = 0;
    std::int64_t m_positionMs = 0;
    double m_speed = 1;
    bool m_paused = false;
    // The replay's clock at the last sample read, and that sample's own time.
    bool m_clockSet = false;
    std::int64_t m_clockMs = 0;
    std::int64_t m_lastTimeMs = 0;
    bool m_refusing = false;
    std::optional<Timed> m_next;
    std::optional<RecordedSample> m_due;
};

} // namespace ostrelo::replay
