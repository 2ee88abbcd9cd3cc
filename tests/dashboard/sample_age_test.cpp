// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/sample_age.h"
#include "i18n/language_table.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace ostrelo::dashboard {
namespace {

constexpr std::int32_t kTop = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kBottom = std::numeric_limits<std::int32_t>::min();

// Samples shown at the given times, then the values looked at a little later: the values are
// old once the next sample is a second later than the pace the samples came at.
TEST(SampleAge, ValuesAreOldASecondAfterTheNextSampleWasDue) {
    struct Case {
        const char *what;
        std::vector<std::int32_t> shownMs;
        std::int32_t nowMs;
        bool held;
        bool old;
    };
    const Case cases[] = {
        {"nothing shown yet", {}, 60000, false, false},
        {"one sample, the pace not known: the slowest scan", {0}, 2000, false, false},
        {"one sample, two seconds later", {0}, 2001, false, true},
        {"every 500 ms", {0, 500, 1000}, 2500, false, false},
        {"every 500 ms, stopped", {0, 500, 1000}, 2501, false, true},
        {"every 10 ms", {0, 10, 20}, 1030, false, false},
        {"every 10 ms, stopped", {0, 10, 20}, 1031, false, true},
        {"every second", {0, 1000, 2000}, 4000, false, false},
        {"a slow replay, every two seconds", {0, 2000, 4000}, 7000, false, false},
        {"a slow replay, stopped", {0, 2000, 4000}, 7001, false, true},
        {"back after a long gap, then stopped", {0, 500, 30500}, 32001, false, true},
        {"back after a long gap", {0, 500, 30500}, 32000, false, false},
        {"held", {0}, 60000, true, false},
        {"the counter wraps", {kTop - 99, kBottom + 400}, kBottom + 1900, false, false},
        {"the counter wraps, stopped", {kTop - 99, kBottom + 400}, kBottom + 1901, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SampleAge age;
        for (const std::int32_t at : c.shownMs) {
            age.sampleShown(at);
        }
        EXPECT_EQ(age.old(c.nowMs, c.held), c.old);
    }
}

TEST(SampleAge, TheScreenSaysSoInTheLanguageInForceUntilASampleComes) {
    SampleAge age;
    age.sampleShown(0);
    Screen screen;
    const i18n::Texts &english = i18n::findLanguage("English")->texts;
    const i18n::Texts &spanish = i18n::findLanguage("Español")->texts;
    showSampleAge(screen, age, 1500, false, english);
    EXPECT_EQ(screen.oldDataNotice, "");
    showSampleAge(screen, age, 2500, false, english);
    EXPECT_EQ(screen.oldDataNotice, "NO NEW DATA");
    showSampleAge(screen, age, 2600, false, spanish);
    EXPECT_EQ(screen.oldDataNotice, "SIN DATOS NUEVOS");
    showSampleAge(screen, age, 2600, true, spanish);
    EXPECT_EQ(screen.oldDataNotice, "");
    showSampleAge(screen, age, 2700, false, spanish);
    age.sampleShown(2800);
    showSampleAge(screen, age, 2800, false, spanish);
    EXPECT_EQ(screen.oldDataNotice, "");
}

} // namespace
} // namespace ostrelo::dashboard
