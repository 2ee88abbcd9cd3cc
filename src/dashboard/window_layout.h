// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <utility>

namespace ostrelo::dashboard {

/// A rectangle in twips.
struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

/// Narrowest outer width, in twips, at which the elements are laid out.
inline constexpr double kMinimumOuterWidth = 8000;

/// The stored window position when the whole window (`width` by `height` twips) lies on
/// `desktop`, the rectangle covering every screen; otherwise (0, 0).
std::pair<double, double> validatedPosition(double left, double top, double width, double height,
                                            const TwipRect &desktop);

/// The window state as the resize rule sees it.
enum class WindowState { Normal, Minimised, Maximised };

/// What one resize asks for: a new outer size to set, and whether to lay the elements out.
struct ResizeDecision {
    std::optional<double> newWidth;
    std::optional<double> newHeight;
    bool layOut = false;
};

/// Keeps the window's shape: the outer width over the outer height stays the ratio it had
/// when the window loaded, a change of width drives the height (width wins when both
/// changed), and below the minimum width nothing is laid out again. Maximised, the shape is
/// free; minimised, nothing is done.
class AspectRule {
public:
    /// The outer size, in twips, at load.
    AspectRule(double outerWidth, double outerHeight);

    /// The decision for a window now `outerWidth` by `outerHeight` twips in `state`.
    ResizeDecision resize(double outerWidth, double outerHeight, WindowState state);

    double aspectRatio() const { return m_aspectRatio; }

private:
    double m_aspectRatio;
    double m_keptWidth;
    double m_keptHeight;
};

} // namespace ostrelo::dashboard
