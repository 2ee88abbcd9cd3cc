// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/viewer_screens.h"

#include "core/error.h"
#include "dashboard/graphics_mode.h"
#include "dashboard/language_switch.h"
#include "dashboard/units.h"
#include "engineer/engineer_report.h"
#include "i18n/language_table.h"
#include "web/http_request.h"

#include <algorithm>
#include <cctype>

namespace ostrelo::web {
namespace {

// The status line `text`, written in the language of `from`, in the language of `to`; a text
// that is none of the status texts (the server's, on a client) stays as it is.
std::string translated(const std::string &text, const i18n::Texts &from, const i18n::Texts &to) {
    for (const auto slot : {&i18n::Texts::TextScanning, &i18n::Texts::TextGameRunning,
                            &i18n::Texts::TextGameNotRunning, &i18n::Texts::TextConnected,
                            &i18n::Texts::TextConnecting, &i18n::Texts::TextListening,
                            &i18n::Texts::TextNoConnection}) {
        if (!text.empty() && text == from.*slot) {
            return to.*slot;
        }
    }
    return text;
}

} // namespace

ViewerChoice choiceFromQuery(std::string_view query, const core::Settings &settings) {
    ViewerChoice choice{settings.Idioma, settings.Unitats};
    const std::string idioma = queryValue(query, "lang");
    if (i18n::findLanguage(idioma)) {
        choice.idioma = idioma;
    }
    // A language may also be asked for by the name its menu item shows ("Français").
    for (const dashboard::MenuLayoutEntry &entry : dashboard::menuLayout()) {
        for (const dashboard::LanguageItem &language : dashboard::languageItems()) {
            if (language.item == entry.item && idioma == entry.fixedCaption) {
                choice.idioma = language.idioma;
            }
        }
    }
    std::string units = queryValue(query, "units");
    std::transform(units.begin(), units.end(), units.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (units == "metric" || units == "imperial") {
        choice.units = units == "imperial" ? core::Units::Imperial : core::Units::Metric;
    }
    return choice;
}

std::vector<std::string> engineerLines(const engineer::RaceEngineer &engineer,
                                       const ViewerChoice &choice, char decimalSeparator) {
    const i18n::Language *language = i18n::findLanguage(choice.idioma);
    const engineer::EngineerReport report = engineer::engineerReport(
        engineer, language ? language->texts : i18n::Texts{}, choice.units, decimalSeparator);
    std::vector<std::string> lines;
    for (const std::string *line :
         {&report.fuelPerLap, &report.lapsOfFuel, &report.toAdd, &report.againstBest}) {
        if (!line->empty()) {
            lines.push_back(*line);
        }
    }
    return lines;
}

struct ViewerScreens::Variant {
    runtime::AppState state;
    dashboard::Screen screen;
    dashboard::DisplayState display;
    dashboard::DisplayPhase phase{state, screen, display, {}};
};

ViewerScreens::ViewerScreens(const runtime::AppState &state, char decimalSeparator)
    : m_state(state), m_separator(decimalSeparator) {
}

ViewerScreens::~ViewerScreens() = default;

void ViewerScreens::forgetLap() {
    for (auto &[choice, variant] : m_variants) {
        variant->phase.forgetLap();
    }
}

ViewerScreens::Variant &ViewerScreens::variant(const ViewerChoice &choice) {
    std::unique_ptr<Variant> &entry = m_variants[choice];
    if (!entry) {
        entry = std::make_unique<Variant>();
        Variant &v = *entry;
        // Its own settings in memory: what the viewer chooses is never written anywhere.
        v.state.settings = m_state.settings;
        v.state.settings.Idioma = choice.idioma;
        v.state.settings.Unitats = choice.units;
        v.display.decimalSeparator = m_separator;
        dashboard::Canvia_Idioma(v.state, v.screen, {});
        dashboard::Canvia_Grafics(v.state, v.screen);
        dashboard::Canvia_Unitats(v.state, v.screen, v.display);
    }
    return *entry;
}

void ViewerScreens::keepOnly(const std::vector<ViewerChoice> &inUse) {
    std::erase_if(m_variants, [&](const auto &entry) {
        return std::find(inUse.begin(), inUse.end(), entry.first) == inUse.end();
    });
}

const dashboard::Screen &ViewerScreens::screen(const ViewerChoice &choice) {
    return variant(choice).screen;
}

void ViewerScreens::update(const telemetry::TelemetrySample *sample,
                           const dashboard::Screen &shown) {
    for (auto &[choice, entry] : m_variants) {
        Variant &v = *entry;
        core::Settings &s = v.state.settings;
        const bool graphicsChanged = s.NoGrafics != m_state.settings.NoGrafics;
        s.TipusConexio = m_state.settings.TipusConexio;
        s.DadesServ = m_state.settings.DadesServ;
        s.NoGrafics = m_state.settings.NoGrafics;
        if (graphicsChanged) {
            dashboard::Canvia_Grafics(v.state, v.screen);
        }
        v.state.CarSlot = m_state.CarSlot;
        v.state.SlotMode = m_state.SlotMode;
        if (sample) {
            telemetry::TelemetrySample copy = *sample;
            try {
                v.phase.show(copy);
            } catch (const core::RunTimeError &) {
                // The window's display phase met the same sample first and has reported it.
            }
        }
        v.screen.gameStatus = translated(shown.gameStatus, m_state.texts, v.state.texts);
        v.screen.linkStatus = translated(shown.linkStatus, m_state.texts, v.state.texts);
        v.screen.webAddress = shown.webAddress;
    }
}

} // namespace ostrelo::web
