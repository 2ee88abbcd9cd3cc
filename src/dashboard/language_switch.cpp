// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/language_switch.h"

#include "core/error.h"
#include "i18n/language_table.h"

namespace ostrelo::dashboard {
void showLanguageTexts(const i18n::Texts &t, Screen &screen) {
    screen.lapTimesCaption = t.TextLapTimes;
    screen.lapCaption = t.TextLap;
    screen.fuelLastLapCaption = t.TextFuelLastLap;
    screen.waterCaption = t.TextWater;
    screen.oilCaption = t.TextOil;
    screen.pitLimiter.caption = t.TextLimiter;
    screen.inPits.caption = t.TextPits;
    screen.tractionControl.caption = t.TextTC;
    screen.abs.caption = t.TextABS;
    screen.ignition.caption = t.TextIgnition;
    screen.engine.caption = t.TextEngine;
    screen.gameStatus = t.TextScanning;
}

void Canvia_Idioma(core::SettingsStore &store, const core::Settings &settings, i18n::Texts &texts,
                   Screen &screen, const std::function<void()> &resetAttachment) {
    core::trap("Canvia_Idioma", [&] {
        if (const i18n::Language *language = i18n::findLanguage(settings.Idioma)) {
            texts = language->texts;
        }
        showLanguageTexts(texts, screen);
        if (resetAttachment) {
            resetAttachment();
        }
        core::saveSetting(store, settings, core::SettingKey::Idioma);
    });
}

} // namespace ostrelo::dashboard
