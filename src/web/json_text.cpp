// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/json_text.h"

#include "dashboard/design_layout.h"
#include "dashboard/screen.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace ostrelo::web {
namespace {

using dashboard::ElementKind;

// The length of the UTF-8 sequence starting at `text[i]`, or 0 when it is not a valid one.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // Overlong forms, surrogates and values beyond U+10FFFF.
    const unsigned char second = byte(i + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
        return 0;
    }
    return length;
}

std::string colourText(dashboard::Colour colour) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text.data();
}

// A JSON number, six significant digits, always with "." whatever the C locale says (a
// comma-decimal locale would make it two values); JSON has no NaN or infinity: null.
std::string numberText(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    std::array<char, 32> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 6);
    return error == std::errc() ? std::string(text.data(), end) : "null";
}

// A time in milliseconds since 1970, to the microsecond.
std::string millisecondsText(double ms) {
    std::array<char, 32> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), ms, std::chars_format::fixed, 3);
    return error == std::errc() ? std::string(text.data(), end) : "null";
}

const char *boolText(bool value) {
    return value ? "true" : "false";
}

} // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    std::array<char, 8> escape{};
                    std::snprintf(escape.data(), escape.size(), "\\u%04x", c);
                    out += escape.data();
                } else {
                    out += static_cast<char>(c);
                }
            }
            ++i;
            continue;
        }
        if (const std::size_t length = utf8Length(text, i); length != 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\\ufffd";
            ++i;
        }
    }
    return out + '"';
}

namespace {

std::string engineerLines(const std::vector<std::string> &lines) {
    std::string list;
    for (const std::string &line : lines) {
        if (!line.empty()) {
            list += (list.empty() ? "" : ",") + jsonString(line);
        }
    }
    return list;
}

std::string towerRows(const std::vector<standings::TowerLine> &tower) {
    std::string rows;
    for (const standings::TowerLine &line : tower) {
        rows += rows.empty() ? "[" : ",[";
        for (const std::string *cell : {&line.place, &line.driver, &line.car, &line.laps,
                                        &line.best, &line.last, &line.gap, &line.pits}) {
            rows += jsonString(*cell) + ",";
        }
        rows += std::string(boolText(line.followed)) + "," + boolText(line.overallBest) + "]";
    }
    return rows;
}

std::string callList(const std::deque<radio::Call> &calls) {
    std::string list;
    for (const radio::Call &call : calls) {
        list += std::string(list.empty() ? "[" : ",[") + std::to_string(call.timeMs) + "," +
                jsonString(call.text) + "," + boolText(call.urgent) + "]";
    }
    return list;
}

std::string tileList(const std::vector<glance::Tile> &tiles) {
    std::string list;
    for (const glance::Tile &tile : tiles) {
        std::string values;
        for (const glance::TileValue &value : tile.values) {
            values += std::string(values.empty() ? "[" : ",[") + jsonString(value.text) + "," +
                      (value.background ? jsonString(colourText(*value.background)) : "null") + "]";
        }
        std::string lamps;
        for (const dashboard::Lamp &lamp : tile.lamps) {
            lamps += std::string(lamps.empty() ? "[" : ",[") + jsonString(lamp.caption) + "," +
                     boolText(lamp.lit) + "]";
        }
        list += std::string(list.empty() ? "" : ",") +
                "{\"k\":" + jsonString(glance::tileName(tile.kind)) +
                ",\"c\":" + jsonString(tile.caption) + ",\"v\":[" + values +
                "],\"u\":" + jsonString(tile.unit) + ",\"d\":" + jsonString(tile.detail) +
                ",\"f\":" + numberText(tile.fill) + ",\"l\":" + std::to_string(tile.lightsLit) +
                ",\"m\":[" + lamps + "]}";
    }
    return list;
}

} // namespace

std::string screenMessage(const dashboard::Screen &screen, bool live,
                          const std::vector<std::string> &lines,
                          const std::vector<standings::TowerLine> &tower,
                          const std::vector<glance::Tile> &tiles,
                          const std::deque<radio::Call> &calls, double readAtMs) {
    std::string labels;
    std::string backgrounds;
    for (int number = 1; number <= 48; ++number) {
        const dashboard::LabelContent content = dashboard::labelContent(screen, number);
        labels += (number > 1 ? "," : "") + jsonString(*content.text);
        backgrounds += number > 1 ? "," : "";
        backgrounds += content.background ? jsonString(colourText(*content.background)) : "null";
    }
    std::string lamps;
    for (int number = 1; number <= 7; ++number) {
        const dashboard::Lamp &lamp = dashboard::lampContent(screen, number);
        lamps += std::string(number > 1 ? "," : "") + "[" + jsonString(lamp.caption) + "," +
                 boolText(lamp.lit) + "]";
    }
    std::string bars;
    for (int number = 1; number <= 4; ++number) {
        const dashboard::Bar &bar = dashboard::barContent(screen, number);
        bars += std::string(number > 1 ? "," : "") + "[" + numberText(bar.value) + "," +
                numberText(bar.maximum) + "," + jsonString(bar.text) + "]";
    }
    std::string markers;
    for (int number = 1; number <= 4; ++number) {
        markers +=
            std::string(number > 1 ? "," : "") + boolText(dashboard::markerShown(screen, number));
    }
    // Element n of each list is design number n; the lists start at 1.
    return std::string("{\"live\":") + boolText(live) + ",\"L\":[null," + labels +
           "],\"B\":[null," + backgrounds + "],\"C\":[null," + lamps + "],\"P\":[null," + bars +
           "],\"S\":[null," + markers + "],\"E\":[" + engineerLines(lines) + "],\"T\":[" +
           towerRows(tower) + "],\"D\":[" + tileList(tiles) + "]" +
           // The radio's calls only once there are some.
           (calls.empty() ? std::string() : ",\"R\":[" + callList(calls) + "]") +
           (readAtMs > 0 ? ",\"at\":" + millisecondsText(readAtMs) : std::string()) + "}";
}

std::string textsMessage(const i18n::Texts &texts, std::string_view idioma, bool imperial) {
    std::string languages;
    for (const dashboard::LanguageItem &language : dashboard::languageItems()) {
        languages += (languages.empty() ? "" : ",") + jsonString(language.idioma);
    }
    std::string tileNames;
    for (std::size_t kind = 0; kind < glance::kTileKindCount; ++kind) {
        tileNames += (kind > 0 ? "," : "") +
                     jsonString(glance::tileName(static_cast<glance::TileKind>(kind)));
    }
    std::string defaultTiles;
    for (const glance::TileKind kind : glance::defaultTiles()) {
        defaultTiles += (defaultTiles.empty() ? "" : ",") + jsonString(glance::tileName(kind));
    }
    return "{\"texts\":{\"noData\":" + jsonString(texts.TextNoData) +
           ",\"fullScreen\":" + jsonString(texts.TextFullScreen) +
           ",\"metric\":" + jsonString(texts.TextMetricMenu) +
           ",\"imperial\":" + jsonString(texts.TextImperialMenu) +
           ",\"standings\":" + jsonString(texts.TextStandingsTitle) +
           ",\"columns\":" + jsonString(texts.TextStandingsColumns) +
           ",\"phoneDash\":" + jsonString(texts.TextPhoneDash) +
           ",\"fullDash\":" + jsonString(texts.TextFullDash) +
           ",\"tiles\":" + jsonString(texts.TextTilesChoice) +
           ",\"tileCaptions\":" + jsonString(texts.TextTileCaptions) +
           ",\"maySleep\":" + jsonString(texts.TextScreenMaySleep) + "},\"languages\":[" +
           languages + "],\"tileNames\":[" + tileNames + "],\"defaultTiles\":[" + defaultTiles +
           "],\"lang\":" + jsonString(idioma) + ",\"units\":\"" +
           (imperial ? "Imperial" : "Metric") + "\"}";
}

std::string layoutJson(dashboard::Colour background) {
    std::string elements;
    for (const dashboard::DesignElement &e : dashboard::designLayout()) {
        const char *kind = e.kind == ElementKind::Image   ? "I"
                           : e.kind == ElementKind::Label ? "L"
                           : e.kind == ElementKind::Lamp  ? "C"
                           : e.kind == ElementKind::Bar   ? "P"
                                                          : "S";
        elements += elements.empty() ? "" : ",";
        elements +=
            std::string("{\"k\":\"") + kind + "\",\"n\":" + std::to_string(e.number) +
            ",\"x\":" + std::to_string(e.left) + ",\"y\":" + std::to_string(e.top) +
            ",\"w\":" + std::to_string(e.width) + ",\"h\":" + std::to_string(e.height) +
            ",\"font\":" + jsonString(e.fontFamily) + ",\"pt\":" + numberText(e.fontPoints) +
            ",\"bold\":" + boolText(e.bold) + ",\"left\":" + boolText(e.leftAligned) +
            ",\"boxed\":" + boolText(e.boxed) + ",\"vertical\":" + boolText(e.vertical) +
            ",\"colour\":" + (e.textColour ? jsonString(colourText(*e.textColour)) : "null") +
            ",\"barColour\":" + (e.barColour ? jsonString(colourText(*e.barColour)) : "null") + "}";
    }
    return "{\"width\":" + std::to_string(dashboard::kDesignInnerWidth) +
           ",\"height\":" + std::to_string(dashboard::kDesignInnerHeight) +
           ",\"background\":" + jsonString(colourText(background)) + ",\"elements\":[" + elements +
           "]}";
}

} // namespace ostrelo::web
