// SPDX-License-Identifier: GPL-3.0-or-later
#include "replay/replay_player.h"

#include <algorithm>

namespace ostrelo::replay {

ReplayPlayer::ReplayPlayer(std::string bytes) : m_bytes(std::move(bytes)), m_decoder(m_bytes) {
    if (!m_decoder.refusal().empty()) {
        return;
    }
    RecordedSample sample;
    bool first = true;
    while (m_decoder.next(sample)) {
        if (first) {
            m_firstMs = sample.timeMs;
            first = false;
        }
        m_lastMs = std::max(m_lastMs, sample.timeMs);
    }
    m_damage = m_decoder.stop();
    seek(0);
}

void ReplayPlayer::seek(std::int64_t positionMs) {
    m_positionMs = std::clamp<std::int64_t>(positionMs, 0, durationMs());
    const std::int64_t target = m_firstMs + m_positionMs;
    m_decoder.rewindTo(target);
    m_next.reset();
    m_due.reset();
    RecordedSample sample;
    while (m_decoder.next(sample)) {
        if (sample.timeMs > target) {
            m_next = sample;
            break;
        }
        m_due = sample;
    }
}

std::optional<RecordedSample> ReplayPlayer::advance(std::int64_t elapsedMs) {
    if (!m_paused) {
        m_positionMs = std::min(
            durationMs(),
            m_positionMs + static_cast<std::int64_t>(static_cast<double>(elapsedMs) * m_speed));
    }
    const std::int64_t now = m_firstMs + m_positionMs;
    while (m_next && m_next->timeMs <= now) {
        if (onPassed) {
            onPassed(*m_next);
        }
        m_due = m_next;
        RecordedSample sample;
        m_next = m_decoder.next(sample) ? std::optional<RecordedSample>(sample) : std::nullopt;
    }
    std::optional<RecordedSample> due = std::move(m_due);
    m_due.reset();
    return due;
}

} // namespace ostrelo::replay
