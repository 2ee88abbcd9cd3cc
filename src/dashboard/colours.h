// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/design_layout.h"

#include <array>

namespace ostrelo::dashboard {

/// Value below its minimum, and the base colour of the value labels in graphics mode.
inline constexpr core::Colour ColourLow = rgb(0, 192, 192);
/// Value from its minimum up to, not including, its maximum.
inline constexpr core::Colour ColourOk = rgb(128, 255, 128);
/// Value at or above its maximum.
inline constexpr core::Colour ColourHigh = rgb(255, 128, 128);
/// Value labels while graphics are off.
inline constexpr core::Colour ColourPlain = rgb(255, 255, 255);

/// The threshold-coloured value labels in their update order: oil, water, the twelve tyre
/// temperatures, the four pressures, the four brake temperatures.
inline constexpr std::array<core::Label, 22> kValueLabels = {
    core::Label::Label18, core::Label::Label17, core::Label::Label2,  core::Label::Label3,
    core::Label::Label4,  core::Label::Label5,  core::Label::Label6,  core::Label::Label7,
    core::Label::Label8,  core::Label::Label9,  core::Label::Label10, core::Label::Label11,
    core::Label::Label12, core::Label::Label13, core::Label::Label24, core::Label::Label25,
    core::Label::Label26, core::Label::Label27, core::Label::Label43, core::Label::Label44,
    core::Label::Label45, core::Label::Label46,
};

} // namespace ostrelo::dashboard
