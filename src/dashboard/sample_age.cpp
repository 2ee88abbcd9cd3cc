// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/sample_age.h"

#include <algorithm>

namespace ostrelo::dashboard {
namespace {

// The slowest scan time: samples come at least this often while the source is alive.
constexpr std::uint32_t kSlowestScanMs = 1000;

std::uint32_t elapsedMs(std::int32_t fromMs, std::int32_t toMs) {
    return static_cast<std::uint32_t>(toMs) - static_cast<std::uint32_t>(fromMs);
}

} // namespace

void SampleAge::sampleShown(std::int32_t nowMs) {
    if (m_lastMs) {
        m_gapBeforeMs = m_lastGapMs;
        m_lastGapMs = elapsedMs(*m_lastMs, nowMs);
    }
    m_lastMs = nowMs;
}

bool SampleAge::old(std::int32_t nowMs, bool held) const {
    if (!m_lastMs || held) {
        return false;
    }
    // One long gap (a server that was away a while) does not set the pace: the shorter of the
    // last two does, and a slow replay's long gaps count once both are long.
    const std::uint32_t pace =
        std::min(m_lastGapMs.value_or(kSlowestScanMs), m_gapBeforeMs.value_or(kSlowestScanMs));
    return elapsedMs(*m_lastMs, nowMs) > pace + static_cast<std::uint32_t>(kOldAfterMs);
}

void showSampleAge(Screen &screen, const SampleAge &age, std::int32_t nowMs, bool held,
                   const i18n::Texts &texts) {
    screen.oldDataNotice = age.old(nowMs, held) ? texts.TextOldData : std::string();
}

} // namespace ostrelo::dashboard
