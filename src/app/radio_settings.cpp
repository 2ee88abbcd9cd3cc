// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/radio_settings.h"

#include <algorithm>

namespace ostrelo::app {
namespace {

template <typename T>
void store(core::SettingsStore &store, core::Settings &settings, T core::Settings::*field,
           const T &value, core::SettingKey key) {
    if (settings.*field != value) {
        settings.*field = value;
        core::saveSetting(store, settings, key);
    }
}

} // namespace

radio::RadioSettings radioSettings(const core::Settings &settings) {
    radio::RadioSettings chosen;
    chosen.enabled = settings.RadioEnabled;
    chosen.muted = settings.RadioMuted;
    chosen.volume = std::clamp<int>(settings.RadioVolume, 0, 100);
    chosen.kinds = radio::callKinds(settings.RadioCalls);
    return chosen;
}

engineer::FuelPlan fuelPlan(const core::Settings &settings) {
    return {std::clamp<int>(settings.EngineerReserve, 0, engineer::kMostReserveLaps),
            settings.EngineerHighest};
}

void storeRadio(core::SettingsStore &s, core::Settings &settings,
                const radio::RadioSettings &chosen) {
    using core::SettingKey;
    store(s, settings, &core::Settings::RadioEnabled, chosen.enabled, SettingKey::RadioEnabled);
    store(s, settings, &core::Settings::RadioMuted, chosen.muted, SettingKey::RadioMuted);
    store(s, settings, &core::Settings::RadioVolume,
          static_cast<std::int16_t>(std::clamp(chosen.volume, 0, 100)), SettingKey::RadioVolume);
    // A list that names the same kinds is left as the user wrote it.
    if (radio::callKinds(settings.RadioCalls) != chosen.kinds) {
        store(s, settings, &core::Settings::RadioCalls, radio::callKindList(chosen.kinds),
              SettingKey::RadioCalls);
    }
}

void storeFuelPlan(core::SettingsStore &s, core::Settings &settings,
                   const engineer::FuelPlan &chosen) {
    using core::SettingKey;
    store(s, settings, &core::Settings::EngineerReserve,
          static_cast<std::int16_t>(std::clamp(chosen.reserveLaps, 0, engineer::kMostReserveLaps)),
          SettingKey::EngineerReserve);
    store(s, settings, &core::Settings::EngineerHighest, chosen.highest,
          SettingKey::EngineerHighest);
}

} // namespace ostrelo::app
