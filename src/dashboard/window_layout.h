// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <span>
#include <utility>

namespace ostrelo::dashboard {

/// A rectangle in twips.
struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

/// A size in twips.
struct TwipSize {
    double width = 0;
    double height = 0;
};

/// Narrowest outer width, in twips, at which the elements are laid out.
inline constexpr double kMinimumOuterWidth = 8000;

/// The height, in twips, allowed for a title bar while the window's frame is not known yet.
inline constexpr double kTitleBarTwips = 450;

/// The window's frame around its inner area, in twips: the border on each side, the title bar
/// in `top`.
struct FrameMargins {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

/// The outer rectangle, frame and title bar included, of the inner area `inner`.
TwipRect outerRect(const TwipRect &inner, const FrameMargins &frame);

/// The inner area of the outer rectangle `outer`.
TwipRect innerRect(const TwipRect &outer, const FrameMargins &frame);

/// True when the title bar, the top `titleHeight` twips of the outer rectangle `outer`, lies
/// wholly on `screens` (each screen's area less its panels): the window can be seen and dragged.
bool titleBarOnScreens(const TwipRect &outer, double titleHeight,
                       std::span<const TwipRect> screens);

/// Where the window's outer top-left corner goes: the stored position (`left`, `top`) when the
/// whole window (`width` by `height` twips, title bar `titleHeight` twips high) lies on
/// `desktop`, the rectangle covering every screen, and its title bar lies on `screens` (each
/// screen's area less its panels, the primary screen first); otherwise the top-left corner of
/// the primary screen's area, or (0, 0) when there is no screen.
std::pair<double, double> validatedPosition(double left, double top, double width, double height,
                                            double titleHeight, const TwipRect &desktop,
                                            std::span<const TwipRect> screens);

/// Where a window of `size` twips that goes with the main window (the replay bar) has its outer
/// top-left corner, on the screen area `screen`: `gap` twips below the main window's outer
/// rectangle `main`, left edges aligned, when there is room; else above it; else right of it;
/// else left of it; else at the bottom of the screen area. Always within the screen area.
std::pair<double, double> companionPosition(const TwipRect &main, TwipSize size,
                                            const TwipRect &screen, double gap);

/// `size` when it fits `room`; otherwise the largest size of the same shape that does. A room
/// without width or height sets no limit.
TwipSize shrinkToFit(TwipSize size, TwipSize room);

/// The window state as the resize rule sees it; a full-screen window counts as maximised.
enum class WindowState { Normal, Minimised, Maximised };

/// What one resize asks for: a new outer size to set, and whether to lay the elements out.
struct ResizeDecision {
    std::optional<double> newWidth;
    std::optional<double> newHeight;
    bool layOut = false;
};

/// Keeps the window's shape: the outer width over the outer height stays the ratio it had
/// when the window loaded, a change of width drives the height (width wins when both
/// changed), the window never grows beyond the room its screen has, and below the minimum
/// width nothing is laid out again. Maximised, the shape is free; minimised, nothing is done.
class AspectRule {
public:
    /// The outer size, in twips, at load.
    AspectRule(double outerWidth, double outerHeight);

    /// The decision for a window now `outerWidth` by `outerHeight` twips in `state`, on a
    /// screen that leaves it `room` (an empty room sets no limit).
    ResizeDecision resize(double outerWidth, double outerHeight, WindowState state, TwipSize room);

    double aspectRatio() const { return m_aspectRatio; }

private:
    double m_aspectRatio;
    double m_keptWidth;
    double m_keptHeight;
};

} // namespace ostrelo::dashboard
