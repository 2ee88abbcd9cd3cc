// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace ostrelo::windows {

/// Maps the design's font names to free fonts of similar character, so that elements can
/// keep the design names: "Bombardier", the narrow dashboard font, becomes Roboto Condensed;
/// "Tahoma" and "Arial" become Roboto (DejaVu when Roboto is missing).
void installFontSubstitutes();

} // namespace ostrelo::windows
