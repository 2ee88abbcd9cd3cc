// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/frame.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/text_encoding.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace ostrelo::net {

using acquisition::TelemetrySample;

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
    w.text(s.DriverName);
    w.single(s.OilTemp);
    w.single(s.WaterTemp);
    w.text(s.SlotName);
    w.integer(s.Position);
    w.single(s.EngineSpeed);
    w.single(s.EngineSpeedMax);
    w.integer(s.Ignition);
    w.integer(s.LapNumber);
    w.single(s.Fuel);
    w.single(s.BestLapTime);
    w.single(0); // reserved
    w.single(s.LastLapTime);
    w.integer(s.Gear);
    for (const auto &zones : s.TyreTemp) {
        for (const float zone : zones) {
            w.single(zone);
        }
    }
    for (const float pressure : s.TyrePressure) {
        w.single(pressure);
    }
    for (const double speed : s.WheelSpeed) {
        w.real(speed);
    }
    for (const double wear : s.TyreWear) {
        w.real(wear);
    }
    w.text(s.TrackName);
    w.integer(s.PitLimiter);
    w.integer(s.InPits);
    w.integer(s.TractionControl);
    w.integer(s.AbsLevel);
    w.single(s.Throttle);
    w.single(s.Brake);
    w.single(s.TrackTemp);
    w.single(s.AmbientTemp);
    w.integer(carSlot);
    for (const float brake : s.BrakeTemp) {
        w.single(brake);
    }
    w.text(s.CarName);
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
    const auto next = [&p, &i]() -> const std::string & { return p[i++]; };
    s.DriverName = next();
    s.OilTemp = readSingle(next());
    s.WaterTemp = readSingle(next());
    s.SlotName = next();
    s.Position = readInteger(next());
    s.EngineSpeed = readSingle(next());
    s.EngineSpeedMax = readSingle(next());
    s.Ignition = readInteger(next());
    s.LapNumber = readInteger(next());
    s.Fuel = readSingle(next());
    s.BestLapTime = readSingle(next());
    readSingle(next()); // reserved
    s.LastLapTime = readSingle(next());
    s.Gear = readInteger(next());
    for (auto &zones : s.TyreTemp) {
        for (float &zone : zones) {
            zone = readSingle(next());
        }
    }
    for (float &pressure : s.TyrePressure) {
        pressure = readSingle(next());
    }
    for (double &speed : s.WheelSpeed) {
        speed = readNumber(next());
    }
    for (double &wear : s.TyreWear) {
        wear = readNumber(next());
    }
    s.TrackName = next();
    s.PitLimiter = readInteger(next());
    s.InPits = readInteger(next());
    s.TractionControl = readInteger(next());
    s.AbsLevel = readInteger(next());
    s.Throttle = readSingle(next());
    s.Brake = readSingle(next());
    s.TrackTemp = readSingle(next());
    s.AmbientTemp = readSingle(next());
    carSlot = readInteger(next());
    for (float &brake : s.BrakeTemp) {
        brake = readSingle(next());
    }
    s.CarName = next();
}

} // namespace ostrelo::net
