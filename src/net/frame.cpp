// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/frame.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/text_encoding.h"
#include "telemetry/telemetry_fields.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <type_traits>

namespace ostrelo::net {

using telemetry::TelemetrySample;

namespace {

constexpr std::size_t kMaxPieces = 201;

// Builds the body field by field, each preceded by NUL, in wire order.
class BodyWriter {
public:
    explicit BodyWriter(char separator) : m_separator(separator) {}

    void text(std::string_view value) {
        m_body += '\0';
        m_body += core::toWindows1252(value);
    }
    void integer(std::int16_t value) {
        m_body += '\0';
        m_body += std::to_string(value);
    }
    void single(float value) {
        m_body += '\0';
        m_body += core::formatGeneral(value, 7, m_separator, true);
    }
    void real(double value) {
        m_body += '\0';
        m_body += core::formatGeneral(value, 15, m_separator, true);
    }
    std::string finish() { return std::move(m_body) + '\0'; }

private:
    char m_separator;
    std::string m_body;
};

std::string framed(const std::string &body) {
    const std::size_t length = body.size() + 7;
    if (length > static_cast<std::size_t>(kMaxFrameLength)) {
        throw core::RunTimeError("FrameLength", "Overflow: a frame of " + std::to_string(length) +
                                                    " characters is too long");
    }
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%06zu", length);
    return prefix + body;
}

// A number as the reader takes it: blanks around it, a sign, digits with one decimal point
// ("." or ","), an optional exponent. Anything else is a type mismatch.
double readNumber(const std::string &piece) {
    std::string text(core::trimBlanks(piece));
    for (char &c : text) {
        if (c == ',') {
            c = '.';
        }
    }
    if (!core::isStrictNumber(text) || text.starts_with('&')) {
        throw core::RunTimeError("CDbl", "Type mismatch: \"" + piece + "\" is not a number");
    }
    const double value = core::TextToNumber(text);
    if (!std::isfinite(value)) {
        throw core::RunTimeError("CDbl", "Overflow: \"" + piece + "\" is too large");
    }
    return value;
}

float readSingle(const std::string &piece) {
    const double value = readNumber(piece);
    if (std::fabs(value) > FLT_MAX) {
        throw core::RunTimeError("CSng", "Overflow: \"" + piece + "\" is too large");
    }
    return static_cast<float>(value);
}

std::int16_t readInteger(const std::string &piece) {
    return core::ToInteger16(readNumber(piece));
}

} // namespace

std::string writeSampleFrame(const TelemetrySample &s, std::int16_t carSlot,
                             std::string_view status, char separator) {
    BodyWriter w(separator);
    telemetry::forEachWireField(s, [&w, carSlot](const telemetry::FieldName &, auto &&value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::string>) {
            w.text(value);
        } else if constexpr (std::is_same_v<T, std::int16_t>) {
            w.integer(value);
        } else if constexpr (std::is_same_v<T, float>) {
            w.single(value);
        } else if constexpr (std::is_same_v<T, double>) {
            w.real(value);
        } else if constexpr (std::is_same_v<T, telemetry::Reserved>) {
            w.single(0);
        } else {
            w.integer(carSlot);
        }
    });
    w.text(status);
    return framed(w.finish());
}

std::string writeNoGameFrame(std::string_view status) {
    return framed(std::string(kFieldCount, '\0') + core::toWindows1252(status) + '\0');
}

std::vector<std::string> splitBody(std::string_view body) {
    std::vector<std::string> pieces;
    while (!body.empty()) {
        const auto nul = body.find('\0');
        if (nul == std::string_view::npos) {
            throw core::RunTimeError("InStr", "The frame ends without NUL");
        }
        if (pieces.size() == kMaxPieces) {
            throw core::RunTimeError("Subscript", "The frame holds more than 201 pieces");
        }
        pieces.push_back(core::fromWindows1252(body.substr(0, nul)));
        body.remove_prefix(nul + 1);
    }
    return pieces;
}

void takeOver(const std::vector<std::string> &p, TelemetrySample &s, std::int16_t &carSlot) {
    std::size_t i = 0;
    telemetry::forEachWireField(s, [&](const telemetry::FieldName &, auto &&value) {
        const std::string &piece = p.at(i++);
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::string>) {
            value = piece;
        } else if constexpr (std::is_same_v<T, std::int16_t>) {
            value = readInteger(piece);
        } else if constexpr (std::is_same_v<T, float>) {
            value = readSingle(piece);
        } else if constexpr (std::is_same_v<T, double>) {
            value = readNumber(piece);
        } else if constexpr (std::is_same_v<T, telemetry::Reserved>) {
            readSingle(piece);
        } else {
            carSlot = readInteger(piece);
        }
    });
}

} // namespace ostrelo::net
