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

void showUnits(bool imperial, const core::Thresholds &metric, Screen &screen,
               DisplayState &display) {
    core::Thresholds &t = display.thresholds;
    if (imperial) {
        screen.speed.maximum = 220;
        display.TempUnit = "\u00BAF";
        display.FuelUnit = "G";
        display.PressureUnit = "PSI";
        t.MaxPneu = fahrenheitThreshold(metric.MaxPneu);
        t.MinPneu = fahrenheitThreshold(metric.MinPneu);
        t.MaxMotor = fahrenheitThreshold(metric.MaxMotor);
        t.MinMotor = fahrenheitThreshold(metric.MinMotor);
        t.MaxFrens = fahrenheitThreshold(metric.MaxFrens);
        t.MinFrens = fahrenheitThreshold(metric.MinFrens);
        t.MaxPress = psiThreshold(metric.MaxPress);
        t.MinPress = psiThreshold(metric.MinPress);
    } else {
        screen.speed.maximum = 350;
        display.TempUnit = "\u00BAC";
        display.FuelUnit = "L";
        display.PressureUnit = "kPA";
        t = metric;
    }
}

void Canvia_Unitats(core::SettingsStore &store, const core::Settings &settings, Screen &screen,
                    DisplayState &display, LapBook &book) {
    core::trap("Canvia_Unitats", [&] {
        const core::Settings &s = settings;
        showUnits(isImperial(s), s, screen, display);
        book.setImperial(isImperial(s));
        core::saveSetting(store, s, core::SettingKey::Unitats);
    });
}

} // namespace ostrelo::dashboard
