// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/skins.h"
#include "dashboard/window_layout.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace ostrelo::dashboard {
namespace {

// A 1920 x 1080 primary screen with a second one of the same size to its left, at 15 twips
// per pixel.
const TwipRect kTwoScreens{-28800, 0, 57600, 16200};

TEST(ValidatedPosition, KeepsOnlyAWindowThatLiesOnTheDesktop) {
    struct Case {
        double left;
        double top;
        double expectedLeft;
        double expectedTop;
    };
    const double width = 9870;
    const double height = 8700;
    // On the primary screen alone, a window one twip left of it moves to (0, 0).
    const TwipRect primary{0, 0, 28800, 16200};
    EXPECT_EQ(validatedPosition(-1, 0, 9870, 8700, primary), (std::pair{0.0, 0.0}));
    EXPECT_EQ(validatedPosition(-1, 0, 9870, 8700, kTwoScreens), (std::pair{-1.0, 0.0}));
    const Case cases[] = {
        {1500, 300, 1500, 300},
        {-20000, 100, -20000, 100},           // wholly on the left screen
        {28800 - width + 1, 0, 0, 0},         // one twip past the right edge
        {28800 - width, 0, 28800 - width, 0}, // exactly on the right edge
        {0, 16200 - height + 1, 0, 0},
        {-28801, 0, 0, 0},
        {0, -1, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.left);
        const auto [left, top] = validatedPosition(c.left, c.top, width, height, kTwoScreens);
        EXPECT_EQ(left, c.expectedLeft);
        EXPECT_EQ(top, c.expectedTop);
    }
}

TEST(AspectRule, KeepsTheShapeWithTheWidthWinning) {
    AspectRule rule(10000, 8000);
    // Dragging the right edge: the height follows.
    ResizeDecision wider = rule.resize(12000, 8000, WindowState::Normal);
    EXPECT_TRUE(wider.layOut);
    EXPECT_EQ(wider.newHeight, 9600);
    EXPECT_FALSE(wider.newWidth.has_value());
    // The window then reports the size it was given: nothing more to do.
    ResizeDecision settled = rule.resize(12000, 9600, WindowState::Normal);
    EXPECT_FALSE(settled.newWidth || settled.newHeight);
    EXPECT_TRUE(settled.layOut);
    // Dragging the bottom edge: the width follows.
    ResizeDecision taller = rule.resize(12000, 10400, WindowState::Normal);
    EXPECT_EQ(taller.newWidth, 13000);
    EXPECT_FALSE(taller.newHeight.has_value());
    // Both changed: the width decides.
    ResizeDecision both = rule.resize(15000, 9000, WindowState::Normal);
    EXPECT_EQ(both.newHeight, 12000);
    EXPECT_FALSE(both.newWidth.has_value());
}

TEST(AspectRule, StopsLayingOutBelowTheMinimumWidth) {
    AspectRule rule(10000, 8000);
    EXPECT_FALSE(rule.resize(7999, 6399, WindowState::Normal).layOut);
    // Wide enough but too low for the minimum width's height.
    EXPECT_FALSE(rule.resize(9000, 6399, WindowState::Normal).layOut);
    const ResizeDecision back = rule.resize(9000, 7200, WindowState::Normal);
    EXPECT_TRUE(back.layOut);
}

TEST(AspectRule, LeavesTheShapeFreeWhenMaximisedAndDoesNothingMinimised) {
    AspectRule rule(10000, 8000);
    const ResizeDecision maximised = rule.resize(28800, 15000, WindowState::Maximised);
    EXPECT_TRUE(maximised.layOut);
    EXPECT_FALSE(maximised.newWidth || maximised.newHeight);
    const ResizeDecision minimised = rule.resize(0, 0, WindowState::Minimised);
    EXPECT_FALSE(minimised.layOut);
    EXPECT_FALSE(minimised.newWidth || minimised.newHeight);
}

TEST(CarPictureFile, LooksTheCarUpInCarskinsIni) {
    testing::TempDir dir;
    dir.write("carskins.ini", "[Cars]\nLince Turbo 16V=lince.png\nFalcon RS=falcon/red.gif\n"
                              "Empty=\n");
    const std::string folder = dir.path().string();
    EXPECT_EQ(carPictureFile(folder, "lince turbo 16v"), folder + "/carskins/lince.png");
    EXPECT_EQ(carPictureFile(folder, "Falcon RS"), folder + "/carskins/falcon/red.gif");
    EXPECT_EQ(carPictureFile(folder, "Nordic Coupe"), std::nullopt);
    EXPECT_EQ(carPictureFile(folder, "Empty"), std::nullopt);
    EXPECT_EQ(carPictureFile(dir.file("nowhere"), "Falcon RS"), std::nullopt);
}

} // namespace
} // namespace ostrelo::dashboard
