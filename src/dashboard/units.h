// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "dashboard/display_state.h"
#include "dashboard/lap_book.h"
#include "dashboard/screen.h"
#include "telemetry/telemetry_sample.h"

namespace ostrelo::dashboard {

/// Puts a view in the metric or imperial system: the speed bar's range, the unit texts and the
/// display thresholds, from the user's thresholds in `metric` units. Values already on screen
/// change with the next sample.
void showUnits(bool imperial, const core::Thresholds &metric, Screen &screen,
               DisplayState &display);

/// Applies `Unitats` to the window (`showUnits`); the registered lap-start fuel follows into
/// the new unit, so the next fuel-used value does not mix litres and gallons. Then `Unitats`
/// is stored in the settings file.
void Canvia_Unitats(core::SettingsStore &store, const core::Settings &settings, Screen &screen,
                    DisplayState &display, LapBook &book);

/// Converts the sample's temperatures, pressures, fuel and wheel speeds to imperial units,
/// each field keeping its own precision. Throws RunTimeError when a value overflows.
void convertToImperial(telemetry::TelemetrySample &sample);

/// True when the display shows imperial units.
bool isImperial(const core::Settings &settings);

/// Metric to imperial conversions.
double toFahrenheit(double celsius);
double toPsi(double kilopascal);
double toGallons(double litres);
double toMph(double kmh);

} // namespace ostrelo::dashboard
