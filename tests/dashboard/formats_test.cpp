// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"
#include "dashboard/formats.h"

#include <gtest/gtest.h>

#include <limits>

namespace ostrelo::dashboard {
namespace {

TEST(Formats, IntegerTextRoundsHalvesToEvenWithinSixteenBits) {
    EXPECT_EQ(integerText(84.5), " 84");
    EXPECT_EQ(integerText(85.5), " 86");
    EXPECT_EQ(integerText(-2.6), "-3");
    EXPECT_EQ(integerText(0.001), " 0");
    EXPECT_EQ(integerText(32767.4), " 32767");
    EXPECT_THROW(integerText(32767.5), core::RunTimeError);
    EXPECT_THROW(integerText(std::numeric_limits<double>::quiet_NaN()), core::RunTimeError);
    EXPECT_EQ(plainText(3), " 3");
    EXPECT_EQ(plainText(-1), "-1");
}

TEST(Formats, PatternsRoundHalvesAwayFromZeroAndUseTheSeparator) {
    struct Case {
        double value;
        const char *pattern;
        char separator;
        const char *text;
    };
    const Case cases[] = {
        {5, "00", ',', "05"},           {45.3, ".00", ',', "45,30"},  {0.5, ".00", ',', ",50"},
        {12.34, "0.0", ',', "12,3"},    {0, ".00", ',', ",00"},       {0.125, ".00", '.', ".13"},
        {2.5, "0", '.', "3"},           {-2.5, "0", '.', "-3"},       {-3, "00", '.', "-03"},
        {123, "00", '.', "123"},        {0.001, "0", '.', "0"},       {100, "0", '.', "100"},
        {-59.71, ".00", ',', "-59,71"}, {-0.001, ".00", '.', "-.00"}, {0.456, ".000", ',', ",456"},
        {45.3F, ".00", '.', "45.30"},   {6.4, "0.0", '.', "6.4"},     {0, "0.0", '.', "0.0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(patternText(c.value, c.pattern, c.separator), c.text);
    }
}

TEST(Formats, LapTimesCarryAFullSecond) {
    struct Case {
        float seconds;
        char separator;
        const char *text;
    };
    const Case cases[] = {
        {0, ',', "-:--,---"},
        {-3, '.', "-:--,---"},
        {83.456F, ',', "1:23,456"},
        {600.5F, ',', "10:00,500"},
        {59.9996F, ',', "1:00,000"},
        {119.9999F, '.', "2:00.000"},
        {61.0F, '.', "1:01.000"},
        {9.05F, ',', "0:09,050"},
        {std::numeric_limits<float>::quiet_NaN(), ',', "-:--,---"},
        {std::numeric_limits<float>::infinity(), ',', "-:--,---"},
        {1E+30F, ',', "-:--,---"},
        {86400, ',', "-:--,---"},
        {86399.5F, ',', "1439:59,500"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(lapTimeText(c.seconds, c.separator), c.text);
    }
}

TEST(Formats, SignedSecondsKeepTheirSignAndTheSeparator) {
    const struct {
        double seconds;
        int decimals;
        char separator;
        const char *text;
    } cases[] = {
        {0.345, 3, '.', "+0.345"}, {-0.12, 3, ',', "-0,120"},   {2.5, 3, ',', "+2,500"},
        {0.4, 0, '.', "+0"},       {0.6, 0, '.', "+1"},         {0.44, 1, ',', "+0,4"},
        {-0.04, 1, '.', "+0.0"},   {-0.0004, 3, '.', "+0.000"}, {-12.3456, 2, '.', "-12.35"},
        {75.5, 3, ',', "+75,500"}, {1, 7, '.', "+1.000"},       {1, -1, '.', "+1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(signedSecondsText(c.seconds, c.decimals, c.separator), c.text);
    }
}

} // namespace
} // namespace ostrelo::dashboard
