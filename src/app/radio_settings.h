// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "engineer/fuel_figures.h"
#include "radio/radio.h"

namespace ostrelo::app {

/// The radio and the fuel plan as the settings hold them.
radio::RadioSettings radioSettings(const core::Settings &settings);
engineer::FuelPlan fuelPlan(const core::Settings &settings);

/// Takes what the user chose into the settings and stores the keys that changed, and only
/// those: a first start writes none of them.
void storeRadio(core::SettingsStore &store, core::Settings &settings,
                const radio::RadioSettings &chosen);
void storeFuelPlan(core::SettingsStore &store, core::Settings &settings,
                   const engineer::FuelPlan &chosen);

} // namespace ostrelo::app
