// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/main_view.h"

#include <optional>
#include <span>

namespace ostrelo::dashboard {

/// A colour from its red, green and blue components, packed as 0x00BBGGRR.
constexpr core::Colour rgb(unsigned red, unsigned green, unsigned blue) {
    return red | (green << 8) | (blue << 16);
}

/// Inner area of the main window at design size, in twips.
inline constexpr int kDesignInnerWidth = 9720;
inline constexpr int kDesignInnerHeight = 7935;

/// What an element of the main window is.
enum class ElementKind { Image, Label, Lamp, Bar, Marker };

/// The three pictures of the main window.
enum class Picture { Background = 2, Car = 1, Logo = 0 };

/// One element of the main window at design size: its geometry in twips, font and colours.
/// `number` is the element's design number: `LabelN`, lamp `Command1`(N), `ProgressBarN`,
/// `ShapeN`, or a `Picture` value for images.
struct DesignElement {
    ElementKind kind;
    int number;
    int left;
    int top;
    int width;
    int height;
    /// Font family and size in points; an empty family means the element shows no text.
    const char *fontFamily = "";
    double fontPoints = 0;
    bool bold = false;
    /// Text colour; nullopt means the system's window text colour.
    std::optional<core::Colour> textColour = std::nullopt;
    bool leftAligned = false;
    /// A boxed label has a single border and a background colour.
    bool boxed = false;
    /// Bars only: the colour of the filled part (nullopt: the system highlight colour) and
    /// whether the bar fills upwards.
    std::optional<core::Colour> barColour = std::nullopt;
    bool vertical = false;
};

/// Every element of the main window in the window's fixed element order: the pictures first
/// (they lie behind everything), then labels, lamps, bars and markers.
std::span<const DesignElement> designLayout();

/// The design font of the dashboard's labels; a free font of similar character stands in.
inline constexpr const char *kDashboardFont = "Bombardier";

} // namespace ostrelo::dashboard
