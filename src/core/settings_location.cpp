// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings_location.h"

#include "core/file_path.h"

#include <filesystem>

namespace ostrelo::core {

namespace fs = std::filesystem;

std::string settingsFilePath(const SettingsLocationFacts &facts) {
    if (facts.configOption && !facts.configOption->empty()) {
        return *facts.configOption;
    }
    if (facts.iniExistsInProgramFolder) {
        return utf8FromPath((pathFromUtf8(facts.programFolder) / kIniFileName).make_preferred());
    }
    fs::path configHome = pathFromUtf8(facts.xdgConfigHome);
    if (configHome.empty() || !configHome.is_absolute()) {
        configHome = pathFromUtf8(facts.home) / ".config";
    }
    return utf8FromPath((configHome / "Ostrelo" / kIniFileName).make_preferred());
}

std::string settingsFolder(const std::string &iniPath) {
    const fs::path folder = pathFromUtf8(iniPath).parent_path();
    return folder.empty() ? std::string(".") : utf8FromPath(folder);
}

} // namespace ostrelo::core
