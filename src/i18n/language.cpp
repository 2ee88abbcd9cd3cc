// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/language.h"

#include "core/error.h"
#include "core/settings.h"
#include "i18n/language_table.h"

namespace ostrelo::i18n {

using core::Label;
using core::MenuItem;

void Canvia_Idioma(core::AppState &state, core::MainView &view,
                   const std::function<void()> &resetAttachment) {
    core::trap("Canvia_Idioma", [&] {
        for (const Language &language : languages()) {
            view.setMenuChecked(language.menuItem, false);
        }
        if (const Language *language = findLanguage(state.settings.Idioma)) {
            state.texts = language->texts;
            view.setMenuChecked(language->menuItem, true);
        }
        const core::Texts &t = state.texts;
        view.setCaption(Label::Label31, t.TextLapTimes);
        view.setCaption(Label::Label29, t.TextLap);
        view.setCaption(Label::Label33, t.TextFuelLastLap);
        view.setCaption(Label::Label19, t.TextWater);
        view.setCaption(Label::Label20, t.TextOil);
        view.setLampCaption(1, t.TextLimiter);
        view.setLampCaption(2, t.TextPits);
        view.setLampCaption(4, t.TextTC);
        view.setLampCaption(5, t.TextABS);
        view.setLampCaption(6, t.TextIgnition);
        view.setLampCaption(7, t.TextEngine);
        view.setCaption(Label::Label1, t.TextScanning);
        const std::pair<MenuItem, const std::string &> menus[] = {
            {MenuItem::Archivo, t.TextFileMenu},
            {MenuItem::Salir, t.TextExitMenu},
            {MenuItem::Opciones, t.TextOptionsMenu},
            {MenuItem::TempsRefresc, t.TextScanTimeMenu},
            {MenuItem::AcercaDe, t.TextAboutMenu},
            {MenuItem::Conexio, t.TextConnectionMenu},
            {MenuItem::Cap, t.TextNoneMenu},
            {MenuItem::Servidor, t.TextServerMenu},
            {MenuItem::Client, t.TextClientMenu},
            {MenuItem::Graficos, t.TextGraphicsMenu},
            {MenuItem::Metrico, t.TextMetricMenu},
            {MenuItem::Imperial, t.TextImperialMenu},
            {MenuItem::VeureDadesServidor, t.TextShowServerDataMenu},
        };
        for (const auto &[item, text] : menus) {
            view.setMenuCaption(item, text);
        }
        if (resetAttachment) {
            resetAttachment();
        }
        core::saveSetting(state.store, state.settings, core::SettingKey::Idioma);
    });
}

void correctLanguage(core::LoadedSettings &loaded) {
    std::string &idioma = loaded.settings.Idioma;
    if (findLanguage(idioma)) {
        return;
    }
    const core::Settings defaults;
    loaded.problems.insert(
        loaded.problems.begin(),
        {"Opcions", "Idioma", idioma, "not one of the eight languages", defaults.Idioma});
    idioma = defaults.Idioma;
}

void chooseLanguage(core::AppState &state, core::MainView &view, std::string_view idioma,
                    const std::function<void()> &resetAttachment) {
    if (state.settings.Idioma == idioma) {
        return;
    }
    state.settings.Idioma = idioma;
    Canvia_Idioma(state, view, resetAttachment);
}

} // namespace ostrelo::i18n
