// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/screen.h"
#include "glance/tiles.h"
#include "i18n/texts.h"
#include "radio/radio.h"
#include "standings/tower_lines.h"

#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::web {

/// `text` as a JSON string, quotes included. Control characters are escaped; bytes that are
/// not valid UTF-8 become U+FFFD, so a name from the game can never break the message.
std::string jsonString(std::string_view text);

/// One live message for a browser: `live` tells whether a new sample came with it, then every
/// element of `screen` by its design number ("L" labels with "B" backgrounds, "C" lamps,
/// "P" bars, "S" wheel-lock markers), the race engineer's `lines` ("E") and the timing `tower`
/// ("T": each row its eight columns, then whether it is the followed car and whether it holds
/// the fastest lap) and the glance `tiles` ("D": each with its name "k", caption "c", values
/// "v" as [text, background], unit "u", detail "d", rpm fill "f" and shift lights "l", lamps
/// "m" as [caption, lit]) and the radio's latest `calls`, newest first ("R", left out while
/// there are none: each its time in milliseconds since 1970, its words and whether it is
/// urgent), and when the sample was read, `readAtMs` since 1970 to the microsecond ("at", left
/// out when 0), which lets a browser measure how long a sample takes to reach its screen.
std::string screenMessage(const dashboard::Screen &screen, bool live,
                          const std::vector<std::string> &lines = {},
                          const std::vector<standings::TowerLine> &tower = {},
                          const std::vector<glance::Tile> &tiles = {},
                          const std::deque<radio::Call> &calls = {}, double readAtMs = 0);

/// The page's own texts in the viewer's language, sent once when a viewer connects.
std::string textsMessage(const i18n::Texts &texts, std::string_view idioma, bool imperial);

/// The design layout for the page: every element with its place in twips, font and colours,
/// and the window's background colour.
std::string layoutJson(dashboard::Colour background);

} // namespace ostrelo::web
