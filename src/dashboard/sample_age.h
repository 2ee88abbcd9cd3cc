// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/screen.h"
#include "i18n/texts.h"

#include <cstdint>
#include <optional>

namespace ostrelo::dashboard {

/// A second: how late the next sample may be, beyond the pace samples come at, before the
/// values shown count as old.
inline constexpr std::int32_t kOldAfterMs = 1000;

/// When the values on the screen are old: a sample was shown, and the next one is more than
/// `kOldAfterMs` later than the pace samples came at (the shorter of the last two gaps between
/// them, at most the slowest scan time, 1000 ms, until two gaps are known). Times come from the
/// millisecond counter, which may wrap.
class SampleAge {
public:
    /// A sample was shown at `nowMs`.
    void sampleShown(std::int32_t nowMs);

    /// True when the values shown are old at `nowMs`. Never before the first sample, and never
    /// while `held` (a paused replay shows its values on purpose).
    bool old(std::int32_t nowMs, bool held) const;

private:
    std::optional<std::int32_t> m_lastMs;
    std::optional<std::uint32_t> m_lastGapMs;
    std::optional<std::uint32_t> m_gapBeforeMs;
};

/// Puts the notice that the values are old (`TextOldData` of `texts`) on `screen` while `age`
/// says they are, and takes it off again when they are not.
void showSampleAge(Screen &screen, const SampleAge &age, std::int32_t nowMs, bool held,
                   const i18n::Texts &texts);

} // namespace ostrelo::dashboard
