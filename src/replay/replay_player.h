// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "replay/session_format.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace ostrelo::replay {

/// Plays a session file on its own clock: at a chosen speed, paused, or from any position. The
/// whole file is looked through once when it is opened, for its length and for where it is
/// damaged, if it is.
class ReplayPlayer {
public:
    /// Takes the bytes of a session file.
    explicit ReplayPlayer(std::string bytes);
    ReplayPlayer(const ReplayPlayer &) = delete;
    ReplayPlayer &operator=(const ReplayPlayer &) = delete;

    /// Empty when the file can be played; otherwise why not.
    const SessionFault &refusal() const { return m_decoder.refusal(); }
    const SessionHeader &header() const { return m_decoder.header(); }
    /// Where reading stopped because the file is cut or damaged; empty for a whole file.
    const SessionFault &damage() const { return m_damage; }

    std::int64_t durationMs() const { return m_lastMs - m_firstMs; }
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
    std::string m_bytes;
    SessionDecoder m_decoder;
    SessionFault m_damage;
    std::int64_t m_firstMs = 0;
    std::int64_t m_lastMs = 0;
    std::int64_t m_positionMs = 0;
    double m_speed = 1;
    bool m_paused = false;
    std::optional<RecordedSample> m_next;
    std::optional<RecordedSample> m_due;
};

} // namespace ostrelo::replay
