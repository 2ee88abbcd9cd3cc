// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/viewer_screens.h"

#include "core/error.h"
#include "dashboard/graphics_mode.h"
#include "dashboard/language_switch.h"
#include "dashboard/units.h"
#include "engineer/engineer_report.h"
#include "i18n/language_table.h"
#include "standings/tower_lines.h"
#include "web/http_request.h"
#include "web/json_text.h"

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

// Runs a viewer's display phase. A sample that fails there fails in the window's display phase
// too, which has reported it; a viewer keeps what it showed before the failing step.
template <typename Show> void quietly(const Show &show) {
    try {
        show();
    } catch (const core::RunTimeError &) {
    }
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

engineer::EngineerReport viewerReport(const engineer::RaceEngineer &engineer,
                                      const ViewerChoice &choice, char decimalSeparator) {
    const i18n::Language *language = i18n::findLanguage(choice.idioma);
    return engineer::engineerReport(engineer, language ? language->texts : i18n::Texts{},
                                    choice.units, decimalSeparator);
}

std::vector<std::string> engineerLines(const engineer::EngineerReport &report) {
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
    i18n::Texts texts;
    dashboard::ViewOptions view;
    dashboard::Screen screen;
    dashboard::DisplayState display;
    dashboard::DisplayPhase phase{screen, display};
    std::string message;
};

ViewerScreens::ViewerScreens(const core::Thresholds &thresholds, char decimalSeparator)
    : m_thresholds(thresholds), m_separator(decimalSeparator) {
}

ViewerScreens::~ViewerScreens() = default;

void ViewerScreens::choose(const std::vector<ViewerChoice> &inUse, const ProgramView &program) {
    std::erase_if(m_variants, [&](const auto &entry) {
        return std::find(inUse.begin(), inUse.end(), entry.first) == inUse.end();
    });
    for (const ViewerChoice &choice : inUse) {
        std::unique_ptr<Variant> &entry = m_variants[choice];
        if (entry) {
            continue;
        }
        entry = std::make_unique<Variant>();
        Variant &v = *entry;
        const i18n::Language *language = i18n::findLanguage(choice.idioma);
        v.texts = language ? language->texts : program.texts;
        v.view = {&v.texts, choice.units == core::Units::Imperial, program.graphics};
        v.display.decimalSeparator = m_separator;
        dashboard::showLanguageTexts(v.texts, v.screen);
        dashboard::showGraphicsMode(program.graphics, v.screen);
        dashboard::showUnits(v.view.imperial, m_thresholds, v.screen, v.display);
        quietly([&] { v.phase.catchUp(v.view, program.followed, program.book); });
    }
}

const dashboard::Screen &ViewerScreens::screen(const ViewerChoice &choice) const {
    static const dashboard::Screen none;
    const auto found = m_variants.find(choice);
    return found == m_variants.end() ? none : found->second->screen;
}

void ViewerScreens::update(const telemetry::TelemetrySample *sample, const ProgramView &program) {
    m_live = sample != nullptr;
    m_readAtMs = sample ? program.readAtMs : 0;
    m_shownInFull = program.book.lastShownInFull();
    for (auto &[choice, entry] : m_variants) {
        Variant &v = *entry;
        v.message.clear();
        if (v.view.graphics != program.graphics) {
            v.view.graphics = program.graphics;
            dashboard::showGraphicsMode(program.graphics, v.screen);
        }
        if (sample) {
            telemetry::TelemetrySample copy = *sample;
            quietly([&] { v.phase.show(copy, v.view, program.followed, program.book); });
        }
        v.screen.gameStatus = translated(program.shown.gameStatus, program.texts, v.texts);
        v.screen.linkStatus = translated(program.shown.linkStatus, program.texts, v.texts);
        v.screen.webAddress = program.shown.webAddress;
    }
}

const std::string &ViewerScreens::message(const ViewerChoice &choice,
                                          const engineer::RaceEngineer &engineer,
                                          const std::vector<standings::TowerRow> &tower,
                                          const std::deque<radio::Call> &calls) {
    static const std::string none;
    const auto found = m_variants.find(choice);
    if (found == m_variants.end()) {
        return none;
    }
    Variant &v = *found->second;
    if (v.message.empty()) {
        const engineer::EngineerReport report = viewerReport(engineer, choice, m_separator);
        const std::vector<standings::TowerLine> lines =
            standings::towerLines(tower, v.texts, m_separator);
        const telemetry::TelemetrySample *shown = m_shownInFull ? &*m_shownInFull : nullptr;
        v.message = screenMessage(v.screen, m_live, engineerLines(report), lines,
                                  glance::makeTiles({v.screen, shown, report, lines, v.texts,
                                                     v.view.imperial, m_separator}),
                                  calls, m_readAtMs);
    }
    return v.message;
}

} // namespace ostrelo::web
