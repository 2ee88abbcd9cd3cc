// SPDX-License-Identifier: GPL-3.0-or-later
#include "replay/replay_player.h"

#include "core/error.h"
#include "telemetry/telemetry_fields.h"

#include <algorithm>

namespace ostrelo::replay {
namespace {

// The keyframes kept to start from are at least this much of the file apart: a seek reads no
// more than about this far, and a file of any size keeps few of them.
constexpr std::uint64_t kStartSpacingBytes = 256 * 1024;

} // namespace

ReplayPlayer::ReplayPlayer(std::string bytes)
    : m_decoder(std::make_unique<BytesSource>(std::move(bytes))) {
    open();
}

ReplayPlayer::ReplayPlayer(std::unique_ptr<SessionSource> source) : m_decoder(std::move(source)) {
    open();
}

void ReplayPlayer::open() {
    if (!m_decoder.refusal().empty()) {
        return;
    }
    Timed timed;
    while (read(timed)) {
        if (m_decoder.atKeyframe() &&
            (m_starts.empty() ||
             m_decoder.sampleStart() - m_starts.back().offset >= kStartSpacingBytes)) {
            m_starts.push_back({timed.positionMs, m_decoder.sampleStart()});
        }
        m_durationMs = timed.positionMs;
    }
    m_damage = m_decoder.stop();
    seek(0);
}

bool ReplayPlayer::read(Timed &timed) {
    if (!m_decoder.next(timed.sample)) {
        return false;
    }
    const std::int64_t timeMs = timed.sample.timeMs;
    if (m_clockSet && timeMs > m_lastTimeMs) {
        std::int64_t stepMs = 0;
        if (__builtin_sub_overflow(timeMs, m_lastTimeMs, &stepMs)) {
            stepMs = kLongestMs;
        }
        m_clockMs += std::min(stepMs, kLongestMs - m_clockMs);
    }
    m_clockSet = true;
    m_lastTimeMs = timeMs;
    timed.positionMs = m_clockMs;
    return true;
}

void ReplayPlayer::restartAt(const Start &start) {
    m_decoder.restartAt(start.offset);
    m_clockSet = false;
    m_clockMs = start.positionMs;
}

void ReplayPlayer::seek(std::int64_t positionMs) {
    m_positionMs = std::clamp<std::int64_t>(positionMs, 0, m_durationMs);
    const auto after = std::upper_bound(
        m_starts.begin(), m_starts.end(), m_positionMs,
        [](std::int64_t position, const Start &start) { return position < start.positionMs; });
    restartAt(after == m_starts.begin() ? Start{0, 0} : *std::prev(after));
    m_next.reset();
    m_due.reset();
    m_refusing = false;
    Timed timed;
    while (read(timed)) {
        if (timed.positionMs > m_positionMs) {
            m_next = std::move(timed);
            break;
        }
        if (telemetry::firstNotFinite(timed.sample.sample).empty()) {
            m_due = std::move(timed.sample);
        }
    }
}

std::optional<RecordedSample> ReplayPlayer::advance(std::int64_t elapsedMs) {
    if (!m_paused && elapsedMs > 0) {
        // In floating point: no speed and no pause can take the clock past the end.
        const double to =
            static_cast<double>(m_positionMs) + static_cast<double>(elapsedMs) * m_speed;
        m_positionMs =
            to < static_cast<double>(m_durationMs) ? static_cast<std::int64_t>(to) : m_durationMs;
    }
    while (m_next && m_next->positionMs <= m_positionMs) {
        if (const std::string field = telemetry::firstNotFinite(m_next->sample.sample);
            !field.empty()) {
            if (!m_refusing) {
                core::ReportError("ReplayPlayer", "CSng",
                                  "Overflow: " + field +
                                      " read from the session file is not a finite number");
            }
            m_refusing = true;
        } else {
            m_refusing = false;
            if (onPassed) {
                onPassed(m_next->sample);
            }
            m_due = std::move(m_next->sample);
        }
        Timed timed;
        if (read(timed)) {
            m_next = std::move(timed);
        } else {
            m_next.reset();
        }
    }
    std::optional<RecordedSample> due = std::move(m_due);
    m_due.reset();
    return due;
}

} // namespace ostrelo::replay
