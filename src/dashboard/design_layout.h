// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/screen.h"

#include <optional>
#include <span>

namespace ostrelo::dashboard {

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
    std::optional<Colour> textColour = std::nullopt;
    bool leftAligned = false;
    /// A boxed label has a single border and a background colour.
    bool boxed = false;
    /// Bars only: the colour of the filled part (nullopt: the system highlight colour) and
    /// whether the bar fills upwards.
    std::optional<Colour> barColour = std::nullopt;
    bool vertical = false;
};

/// Every element of the main window in the window's fixed element order: the pictures first
/// (they lie behind everything), then labels, lamps, bars and markers.
std::span<const DesignElement> designLayout();

/// What a label shows of the screen: its text, and its background when it is a boxed reading
/// (nullptr otherwise). `Label47` and `Label48` show nothing; `Label21` shows the web
/// dashboard's address while it is on, and nothing otherwise.
struct LabelContent {
    const std::string *text;
    const Colour *background = nullptr;
};
LabelContent labelContent(const Screen &screen, int number);

/// The lamp `Command1`(number), 1 to 7.
const Lamp &lampContent(const Screen &screen, int number);

/// The bar `ProgressBar`number, 1 to 4.
const Bar &barContent(const Screen &screen, int number);

/// Whether the wheel-lock marker `Shape`number (1 to 4) shows.
bool markerShown(const Screen &screen, int number);

/// The design font of the dashboard's labels; a free font of similar character stands in.
inline constexpr const char *kDashboardFont = "Bombardier";

} // namespace ostrelo::dashboard
