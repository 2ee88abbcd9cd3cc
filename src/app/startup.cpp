// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "core/settings_location.h"
#include "i18n/language.h"

#include <filesystem>

namespace ostrelo::app {

std::vector<std::string> openSettings(runtime::AppState &state, const std::string &iniPath) {
    std::error_code ignored;
    std::filesystem::create_directories(core::settingsFolder(iniPath), ignored);
    state.store = core::SettingsStore(iniPath);
    core::LoadedSettings loaded = core::loadSettings(state.store);
    i18n::correctLanguage(loaded);
    std::vector<std::string> notices;
    if (const std::string problem = state.store.problem(); !problem.empty()) {
        notices.push_back("Changes to the settings cannot be saved. " + problem + '.');
    }
    for (const core::SettingProblem &problem : loaded.problems) {
        notices.push_back(core::describeProblem(problem, iniPath));
    }
    state.settings = loaded.settings;
    state.store.holdWrites();
    core::writeThresholds(state.settings, state.store);
    return notices;
}

} // namespace ostrelo::app
