// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings_location.h"

#include <filesystem>

namespace ostrelo::core {

namespace fs = std::filesystem;

std::string settingsFilePath(const SettingsLocationFacts &facts) {
    if (facts.configOption && !facts.configOption->empty()) {
        return *facts.configOption;
    }
    if (facts.iniExistsInProgramFolder) {
        return (fs::path(facts.programFolder) / kIniFileName).string();
    }
    fs::path configHome = facts.xdgConfigHome;
    if (configHome.empty() || !configHome.is_absolute()) {
        configHome = fs::path(facts.home) / ".config";
    }
    return (configHome / "Ostrelo" / kIniFileName).string();
}

std::string settingsFolder(const std::string &iniPath) {
    const fs::path folder = fs::path(iniPath).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

} // namespace ostrelo::core
