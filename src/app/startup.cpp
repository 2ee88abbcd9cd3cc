// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "core/file_path.h"
#include "core/settings_location.h"
#include "i18n/language.h"
#include "i18n/language_table.h"
#include "i18n/messages.h"

#include <filesystem>

namespace ostrelo::app {

std::vector<std::string> openSettings(runtime::AppState &state, const std::string &iniPath) {
    std::error_code ignored;
    std::filesystem::create_directories(core::pathFromUtf8(core::settingsFolder(iniPath)), ignored);
    state.store = core::SettingsStore(iniPath);
    core::LoadedSettings loaded = core::loadSettings(state.store);
    i18n::correctLanguage(loaded);
    // Told in the language the settings name, now in force.
    const i18n::Texts &texts = i18n::findLanguage(loaded.settings.Idioma)->texts;
    std::vector<std::string> notices;
    if (const core::FileProblem problem = state.store.problem(); !problem.empty()) {
        notices.push_back(i18n::fill(texts.TextSettingsUnsaved, {i18n::describe(problem, texts)}));
    }
    for (const core::SettingProblem &problem : loaded.problems) {
        notices.push_back(i18n::describe(problem, iniPath, texts));
    }
    state.settings = loaded.settings;
    state.store.holdWrites();
    core::writeThresholds(state.settings, state.store);
    return notices;
}

} // namespace ostrelo::app
