#pragma once

namespace ostrelo::windows {

/// Maps the design's font names to free fonts of similar character, so that elements can
/// keep the design names: "Bombardier" (the dashboard font), "Tahoma" and "Arial".
void installFontSubstitutes();

} // namespace ostrelo::windows
