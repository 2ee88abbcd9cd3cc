// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_path.h"
#include "dashboard/skins.h"
#include "dashboard/window_layout.h"
#include "support/portable.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace ostrelo::dashboard {
namespace {

// A 1920 x 1080 primary screen with a second one of the same size to its left, at 15 twips
// per pixel.
const TwipRect kTwoScreens{-28800, 0, 57600, 16200};
const TwipRect kPrimary{0, 0, 28800, 16200};
const TwipRect kLeft{-28800, 0, 28800, 16200};

TEST(ValidatedPosition, KeepsOnlyAWindowThatLiesOnTheDesktop) {
    struct Case {
        double left;
        double top;
        double expectedLeft;
        double expectedTop;
    };
    const double width = 9870;
    const double height = 8700;
    const TwipRect primaryOnly[] = {kPrimary};
    const TwipRect both[] = {kPrimary, kLeft};
    // On the primary screen alone, a window one twip left of it moves to (0, 0).
    EXPECT_EQ(validatedPosition(-1, 0, 9870, 8700, 450, kPrimary, primaryOnly),
              (std::pair{0.0, 0.0}));
    EXPECT_EQ(validatedPosition(-1, 0, 9870, 8700, 450, kTwoScreens, both), (std::pair{-1.0, 0.0}));
    const Case cases[] = {
        {1500, 300, 1500, 300},
        {-20000, 100, -20000, 100},           // wholly on the left screen
        {-5000, 100, -5000, 100},             // across both
        {28800 - width + 1, 0, 0, 0},         // one twip past the right edge
        {28800 - width, 0, 28800 - width, 0}, // exactly on the right edge
        {0, 16200 - height + 1, 0, 0},
        {-28801, 0, 0, 0},
        {0, -1, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.left);
        const auto [left, top] =
            validatedPosition(c.left, c.top, width, height, 450, kTwoScreens, both);
        EXPECT_EQ(left, c.expectedLeft);
        EXPECT_EQ(top, c.expectedTop);
    }
}

// The desktop is the rectangle around every screen; a title bar in a corner of it that no
// screen shows, or under a panel, could never be reached to move the window back.
TEST(ValidatedPosition, KeepsTheTitleBarOnAScreen) {
    // A 1280 x 1024 screen right of the primary, 56 pixels lower; a 27-pixel panel at the top
    // of the primary.
    const TwipRect primary{0, 405, 28800, 15795};
    const TwipRect right{28800, 840, 19200, 15360};
    const TwipRect screens[] = {primary, right};
    const TwipRect desktop{0, 0, 48000, 16200};
    struct Case {
        const char *what;
        double left;
        double top;
        double expectedLeft;
        double expectedTop;
    };
    const Case cases[] = {
        {"on the primary, below its panel", 1500, 405, 1500, 405},
        {"under the panel", 1500, 404, 0, 405},
        {"on the lower screen", 30000, 840, 30000, 840},
        {"above the lower screen", 30000, 839, 0, 405},
        {"across both", 25000, 840, 25000, 840},
        {"across both, above the lower one", 25000, 500, 0, 405},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const auto [left, top] =
            validatedPosition(c.left, c.top, 9870, 8700, 450, desktop, screens);
        EXPECT_EQ(left, c.expectedLeft);
        EXPECT_EQ(top, c.expectedTop);
    }
    // A gap between two screens side by side breaks the bar.
    const TwipRect apart[] = {{0, 0, 10000, 16200}, {10015, 0, 10000, 16200}};
    EXPECT_FALSE(titleBarOnScreens({5000, 0, 9870, 8700}, 450, apart));
    EXPECT_TRUE(titleBarOnScreens({15000, 0, 5015, 8700}, 450, apart));
    EXPECT_FALSE(titleBarOnScreens({15000, 0, 5016, 8700}, 450, apart));
}

// The window manager frames the inner area: a title bar 20 pixels high and borders of 1 above
// the left, right and a bottom border of 5, at 15 twips per pixel.
TEST(FrameMargins, ConvertBetweenTheInnerAreaAndTheOuterRectangle) {
    const FrameMargins frame{15, 300, 15, 75};
    struct Case {
        TwipRect inner;
        TwipRect outer;
    };
    const Case cases[] = {
        {{1515, 1800, 9720, 8000}, {1500, 1500, 9750, 8375}},
        {{15, 300, 9720, 8000}, {0, 0, 9750, 8375}},
        {{-28785, 0, 28770, 15825}, {-28800, -300, 28800, 16200}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.inner.left);
        const TwipRect outer = outerRect(c.inner, frame);
        EXPECT_EQ(outer.left, c.outer.left);
        EXPECT_EQ(outer.top, c.outer.top);
        EXPECT_EQ(outer.width, c.outer.width);
        EXPECT_EQ(outer.height, c.outer.height);
        const TwipRect inner = innerRect(c.outer, frame);
        EXPECT_EQ(inner.left, c.inner.left);
        EXPECT_EQ(inner.top, c.inner.top);
        EXPECT_EQ(inner.width, c.inner.width);
        EXPECT_EQ(inner.height, c.inner.height);
    }
}

// The replay bar, 6300 x 600 twips, beside a main window on a 1920 x 1080 screen, 120 twips
// apart: where it is seen without covering the window.
TEST(CompanionPosition, GoesWhereItCoversNothing) {
    const TwipRect screen{0, 0, 28800, 16200};
    struct Case {
        const char *what;
        TwipRect main;
        double left;
        double top;
    };
    const Case cases[] = {
        {"below", {1500, 1500, 9870, 8700}, 1500, 10320},
        {"below, at the bottom", {1500, 6780, 9870, 8700}, 1500, 15600},
        {"above", {1500, 6781, 9870, 8700}, 1500, 6061},
        {"below, kept within the right edge", {25000, 0, 9870, 8700}, 22500, 8820},
        {"right", {0, 0, 20000, 16200}, 20120, 0},
        {"left", {8000, 0, 20800, 16200}, 1580, 0},
        {"nowhere else: the bottom of the screen", {0, 0, 28800, 16200}, 0, 15600},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const auto [left, top] = companionPosition(c.main, {6300, 600}, screen, 120);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(top, c.top);
    }
}

TEST(ShrinkToFit, KeepsTheShapeWithinTheRoom) {
    struct Case {
        TwipSize size;
        TwipSize room;
        TwipSize expected;
    };
    const Case cases[] = {
        {{12000, 10000}, {28800, 16200}, {12000, 10000}}, // fits
        {{12000, 10000}, {12000, 10000}, {12000, 10000}}, // exactly
        {{12000, 10000}, {28800, 9000}, {10800, 9000}},   // too high
        {{12000, 10000}, {6000, 20000}, {6000, 5000}},    // too wide
        {{28800, 24000}, {28800, 16200}, {19440, 16200}}, // full width on a wide screen
        {{12000, 10000}, {}, {12000, 10000}},             // no screen known
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.room.height);
        const TwipSize fitted = shrinkToFit(c.size, c.room);
        EXPECT_DOUBLE_EQ(fitted.width, c.expected.width);
        EXPECT_DOUBLE_EQ(fitted.height, c.expected.height);
    }
}

TEST(AspectRule, KeepsTheShapeWithTheWidthWinning) {
    AspectRule rule(10000, 8000);
    // Dragging the right edge: the height follows.
    ResizeDecision wider = rule.resize(12000, 8000, WindowState::Normal, {});
    EXPECT_TRUE(wider.layOut);
    EXPECT_EQ(wider.newHeight, 9600);
    EXPECT_FALSE(wider.newWidth.has_value());
    // The window then reports the size it was given: nothing more to do.
    ResizeDecision settled = rule.resize(12000, 9600, WindowState::Normal, {});
    EXPECT_FALSE(settled.newWidth || settled.newHeight);
    EXPECT_TRUE(settled.layOut);
    // Dragging the bottom edge: the width follows.
    ResizeDecision taller = rule.resize(12000, 10400, WindowState::Normal, {});
    EXPECT_EQ(taller.newWidth, 13000);
    EXPECT_FALSE(taller.newHeight.has_value());
    // Both changed: the width decides.
    ResizeDecision both = rule.resize(15000, 9000, WindowState::Normal, {});
    EXPECT_EQ(both.newHeight, 12000);
    EXPECT_FALSE(both.newWidth.has_value());
}

// On a 1920 x 1080 screen (28800 x 16200 twips) a window as wide as the screen would be 1440
// pixels high: it stays on the screen with its shape.
TEST(AspectRule, NeverGrowsBeyondTheRoomOnItsScreen) {
    const TwipSize room{28800, 16200};
    AspectRule rule(12000, 10000);
    const ResizeDecision wide = rule.resize(28800, 10000, WindowState::Normal, room);
    EXPECT_EQ(wide.newWidth, 19440);
    EXPECT_EQ(wide.newHeight, 16200);
    EXPECT_TRUE(wide.layOut);
    const ResizeDecision settled = rule.resize(19440, 16200, WindowState::Normal, room);
    EXPECT_FALSE(settled.newWidth || settled.newHeight);
    // Dragging the bottom edge past the screen's bottom.
    const ResizeDecision taller = rule.resize(19440, 18000, WindowState::Normal, room);
    EXPECT_EQ(taller.newHeight, 16200);
    EXPECT_EQ(taller.newWidth, 19440);
    // Within the room the rule is as before.
    const ResizeDecision smaller = rule.resize(14400, 16200, WindowState::Normal, room);
    EXPECT_EQ(smaller.newHeight, 12000);
    EXPECT_FALSE(smaller.newWidth.has_value());
}

TEST(AspectRule, StopsLayingOutBelowTheMinimumWidth) {
    AspectRule rule(10000, 8000);
    EXPECT_FALSE(rule.resize(7999, 6399, WindowState::Normal, {}).layOut);
    // Wide enough but too low for the minimum width's height.
    EXPECT_FALSE(rule.resize(9000, 6399, WindowState::Normal, {}).layOut);
    const ResizeDecision back = rule.resize(9000, 7200, WindowState::Normal, {});
    EXPECT_TRUE(back.layOut);
}

TEST(AspectRule, LeavesTheShapeFreeWhenMaximisedAndDoesNothingMinimised) {
    AspectRule rule(10000, 8000);
    const TwipSize room{28800, 16200};
    const ResizeDecision maximised = rule.resize(28800, 15000, WindowState::Maximised, room);
    EXPECT_TRUE(maximised.layOut);
    EXPECT_FALSE(maximised.newWidth || maximised.newHeight);
    const ResizeDecision minimised = rule.resize(0, 0, WindowState::Minimised, room);
    EXPECT_FALSE(minimised.layOut);
    EXPECT_FALSE(minimised.newWidth || minimised.newHeight);
}

TEST(CarPictureFile, LooksTheCarUpInCarskinsIni) {
    testing::TempDir dir;
    // A user's folder, named beyond ASCII.
    const std::string folder = dir.file("Jörg");
    std::filesystem::create_directory(core::pathFromUtf8(folder));
    dir.write("Jörg/carskins.ini", "[Cars]\nLince Turbo 16V=lince.png\nFalcon RS=falcon/red.gif\n"
                                   "Empty=\n");
    EXPECT_EQ(carPictureFile(folder, "lince turbo 16v"),
              testing::native(folder + "/carskins/lince.png"));
    EXPECT_EQ(carPictureFile(folder, "Falcon RS"),
              testing::native(folder + "/carskins/falcon/red.gif"));
    EXPECT_EQ(carPictureFile(folder, "Nordic Coupe"), std::nullopt);
    EXPECT_EQ(carPictureFile(folder, "Empty"), std::nullopt);
    EXPECT_EQ(carPictureFile(dir.file("nowhere"), "Falcon RS"), std::nullopt);
}

} // namespace
} // namespace ostrelo::dashboard
