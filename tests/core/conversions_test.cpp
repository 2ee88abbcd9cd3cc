// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/conversions.h"
#include "core/error.h"
#include "support/portable.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace ostrelo::core {
namespace {

TEST(NumberToText, WritesTheLeadingBlankAndNoZeroBeforeThePoint) {
    struct Case {
        double value;
        bool single;
        const char *text;
    };
    const Case cases[] = {
        {500, false, " 500"},
        {0, false, " 0"},
        {-0.0, false, " 0"},
        {-3, false, "-3"},
        {0.5, true, " .5"},
        {-0.5, true, "-.5"},
        {83.456, true, " 83.456"},
        {1500.0, false, " 1500"},
        {0.1, true, " .1"},
        {0.1, false, " .1"},
        {1234567, true, " 1234567"},
        {12345678, true, " 1.234568E+07"},
        {15000000, true, " 1.5E+07"},
        {0.0001, true, " .0001"},
        {0.00001, true, " 1E-05"},
        {-0.00001, false, "-1E-05"},
        {123456789012345.0, false, " 123456789012345"},
        {1e15, false, " 1E+15"},
        {2.0 / 3.0, false, " .666666666666667"},
        {2.0 / 3.0, true, " .6666667"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.single ? NumberToText(static_cast<float>(c.value)) : NumberToText(c.value),
                  c.text);
    }
    EXPECT_EQ(NumberToText(32767), " 32767");
    EXPECT_EQ(NumberToText(static_cast<std::int16_t>(-32768)), "-32768");
}

TEST(FormatGeneral, UsesTheGivenSeparatorAndKeepsTheZeroWhenAsked) {
    EXPECT_EQ(formatGeneral(45.3, 7, ',', true), "45,3");
    EXPECT_EQ(formatGeneral(0.5, 7, ',', true), "0,5");
    EXPECT_EQ(formatGeneral(-0.5, 7, '.', false), "-.5");
    EXPECT_EQ(formatGeneral(1e-5, 7, ',', true), "1E-05");
}

TEST(TextToNumber, ReadsTheLongestLeadingNumber) {
    struct Case {
        const char *text;
        double value;
    };
    const Case cases[] = {
        {"1001", 1001},    {" 1001", 1001}, {"80abc", 80},    {"1 2 3", 123},  {"\t\n7", 7},
        {"-2.5", -2.5},    {"+5", 5},       {"--5", 0},       {"- 5", -5},     {".5", 0.5},
        {"1.2.3", 1.2},    {"1,5", 1},      {"1.5E+3", 1500}, {"1.5e3", 1500}, {"2D2", 200},
        {"1e", 1},         {"1e+", 1},      {"1E-2x", 0.01},  {"&HFF", 255},   {"&h10", 16},
        {"&HFF00", 65280}, {"&O17", 15},    {"&o8", 0},       {"&HZ", 0},      {"abc", 0},
        {"", 0},           {".", 0},        {"-", 0},         {"&", 0},        {"3\r4", 3},
        {"1 e 2", 100},    {"00012", 12},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(TextToNumber(c.text), c.value);
    }
    EXPECT_TRUE(std::isinf(TextToNumber("1e999")));
    EXPECT_EQ(TextToNumber("1e-999"), 0.0);
    // Out of range by its many digits, not by its exponent: tiny, never infinite.
    EXPECT_EQ(TextToNumber("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(TextToNumber("-." + std::string(400, '0') + "1E+60"), -0.0);
    EXPECT_TRUE(std::isinf(TextToNumber("1" + std::string(400, '0'))));
    EXPECT_EQ(TextToNumber("0." + std::string(300, '0') + "1E+250"), 1E-51);
}

TEST(TextToNumber, ReadsTheLargestDoubleBackFromItsOwnText) {
    // The largest double, 1.7976931348623157E+308, is written " 1.79769313486232E+308": its
    // 15 digits rounded up lie beyond it, and read back as it; anything larger is infinite.
    EXPECT_EQ(NumberToText(std::numeric_limits<double>::max()), " 1.79769313486232E+308");
    const double largest = std::numeric_limits<double>::max();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        const char *text;
        double value;
    };
    const Case cases[] = {
        {" 1.79769313486232E+308", largest},
        {"-1.79769313486232E+308", -largest},
        {"1,79769313486232E+308", 1},
        {"1.7976931348623157E+308", largest},
        {"1.797693134862316E+308", largest},
        {"179769313486232E+294", largest},
        {"0.00179769313486232E+311", largest},
        {"1.797693134862320000E+308", largest},
        {"1.797693134862321E+308", infinity},
        {"1.79769313486233E+308", infinity},
        {"-1.8E+308", -infinity},
        {"1E+309", infinity},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToNumber(c.text), c.value);
    }
}

TEST(ToInteger, RoundsHalvesToEvenAndFailsOutsideTheRange) {
    struct Case {
        double value;
        int expected;
    };
    const Case fits16[] = {{2.5, 2},       {3.5, 4},         {-2.5, -2},       {-3.5, -4},
                           {0.4999, 0},    {84.5, 84},       {85.5, 86},       {-2.6, -3},
                           {32767, 32767}, {32767.4, 32767}, {-32768, -32768}, {-32768.5, -32768}};
    for (const Case &c : fits16) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ToInteger16(c.value), c.expected);
    }
    for (const double overflow :
         {32767.5, 32768.0, -32768.51, -32769.0, 1e300, std::numeric_limits<double>::quiet_NaN(),
          std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(overflow);
        EXPECT_THROW(ToInteger16(overflow), RunTimeError);
    }
    EXPECT_EQ(ToInteger32(2147483647.0), 2147483647);
    EXPECT_EQ(ToInteger32(-2147483648.5), -2147483647 - 1);
    EXPECT_EQ(ToInteger32(1507.5), 1508);
    EXPECT_THROW(ToInteger32(2147483647.5), RunTimeError);
    EXPECT_THROW(ToInteger32(-2147483649.0), RunTimeError);
}

TEST(TextToFlag, AcceptsWordsAndNumbersOnly) {
    struct Case {
        const char *text;
        bool flag;
    };
    const Case flags[] = {{"True", true}, {"TRUE", true},  {"false", false}, {" False ", false},
                          {"1", true},    {"-1", true},    {"0", false},     {" 0 ", false},
                          {"0.0", false}, {"1.5", true},   {"1e3", true},    {"&H0", false},
                          {"&HFF", true}, {"\t-1\t", true}};
    for (const Case &c : flags) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToFlag(c.text), c.flag);
    }
    for (const char *mismatch : {"yes", "", "  ", "1x", "Truee", "1e", "&H", "- 1", "1 0"}) {
        SCOPED_TRACE(mismatch);
        EXPECT_THROW(TextToFlag(mismatch), RunTimeError);
    }
    EXPECT_EQ(FlagToText(true), "True");
    EXPECT_EQ(FlagToText(false), "False");
}

// A comma locale must change nothing: the settings file and the debug lines use ".".
TEST(Conversions, IgnoreTheLocaleDecimalSeparator) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, testing::kCommaLocale), nullptr)
        << "the German locale is needed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
    EXPECT_EQ(NumberToText(83.456f), " 83.456");
    EXPECT_EQ(NumberToText(1.5e7f), " 1.5E+07");
    EXPECT_DOUBLE_EQ(TextToNumber("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(TextToNumber("2,5"), 2);
    EXPECT_EQ(TextToNumber(" 1.79769313486232E+308"), std::numeric_limits<double>::max());
    EXPECT_TRUE(TextToFlag("0.5"));
    std::setlocale(LC_ALL, previous.c_str());
}

TEST(Trap, StopsAtTheFailingStepAndReportsTheRoutine) {
    std::vector<ErrorReport> reports;
    auto previous = ErrorReporter::instance().setSink(
        [&reports](const ErrorReport &report) { reports.push_back(report); });
    int stepsRun = 0;
    const bool completed = trap("Lectures", [&] {
        ++stepsRun;
        ToInteger16(40000);
        ++stepsRun;
    });
    const bool clean = trap("Temps", [&] { ++stepsRun; });
    ErrorReporter::instance().setSink(std::move(previous));

    EXPECT_FALSE(completed);
    EXPECT_TRUE(clean);
    EXPECT_EQ(stepsRun, 2);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].routine, "Lectures");
    EXPECT_EQ(reports[0].source, "ToInteger16");
    EXPECT_EQ(ErrorReporter::instance().errorSourceName(), "Lectures");
}

} // namespace
} // namespace ostrelo::core
