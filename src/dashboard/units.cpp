// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/units.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/settings.h"
#include "telemetry/telemetry_fields.h"

#include <cfloat>
#include <cmath>
#include <type_traits>

namespace ostrelo::dashboard {
namespace {

std::int16_t fahrenheitThreshold(std::int16_t celsius) {
    return core::ToInteger16(toFahrenheit(celsius));
}

std::int16_t psiThreshold(std::int16_t kilopascal) {
    return core::ToInteger16(toPsi(kilopascal));
}

} // namespace

bool isImperial(const core::Settings &settings) {
    return settings.Unitats == core::Units::Imperial;
}

double toFahrenheit(double celsius) {
    return celsius * 1.8 + 32;
}
double toPsi(double kilopascal) {
    return kilopascal * 0.1451352418559;
}
double toGallons(double litres) {
    return litres * 0.264172052358;
}
double toMph(double kmh) {
    return kmh * 0.621371192237;
}

namespace {

// The conversion of a measured quantity; null for what has no unit to convert.
double (*toImperial(telemetry::Quantity quantity))(double) {
    switch (quantity) {
    case telemetry::Quantity::Temperature:
        return toFahrenheit;
    case telemetry::Quantity::Pressure:
        return toPsi;
    case telemetry::Quantity::Fuel:
        return toGallons;
    case telemetry::Quantity::Speed:
        return toMph;
    case telemetry::Quantity::None:
        break;
    }
    return nullptr;
}

} // namespace

void convertToImperial(telemetry::TelemetrySample &s) {
    telemetry::forEachWireField(s, [](const telemetry::FieldName &name, auto &&value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
            const auto convert = toImperial(name.quantity);
            if (!convert) {
                return;
            }
            const double converted = convert(value);
            if constexpr (std::is_same_v<T, float>) {
                value = telemetry::toSingle(converted);
            } else {
                value = converted;
            }
        }
    });
}

void Canvia_Unitats(runtime::AppState &state, Screen &screen, DisplayState &display) {
    core::trap("Canvia_Unitats", [&] {
        const core::Settings &s = state.settings;
        core::Thresholds &t = display.thresholds;
        if (isImperial(s)) {
            screen.speed.maximum = 220;
            display.TempUnit = "\u00BAF";
            display.FuelUnit = "G";
            display.PressureUnit = "PSI";
            t.MaxPneu = fahrenheitThreshold(s.MaxPneu);
            t.MinPneu = fahrenheitThreshold(s.MinPneu);
            t.MaxMotor = fahrenheitThreshold(s.MaxMotor);
            t.MinMotor = fahrenheitThreshold(s.MinMotor);
            t.MaxFrens = fahrenheitThreshold(s.MaxFrens);
            t.MinFrens = fahrenheitThreshold(s.MinFrens);
            t.MaxPress = psiThreshold(s.MaxPress);
            t.MinPress = psiThreshold(s.MinPress);
        } else {
            screen.speed.maximum = 350;
            display.TempUnit = "\u00BAC";
            display.FuelUnit = "L";
            display.PressureUnit = "kPA";
            t = static_cast<const core::Thresholds &>(s);
        }
        if (display.imperialFuel != isImperial(s)) {
            display.LapStartFuel =
                telemetry::toSingle(isImperial(s) ? toGallons(display.LapStartFuel)
                                                  : display.LapStartFuel / 0.264172052358);
            display.imperialFuel = isImperial(s);
        }
        core::saveSetting(state.store, s, core::SettingKey::Unitats);
    });
}

} // namespace ostrelo::dashboard
