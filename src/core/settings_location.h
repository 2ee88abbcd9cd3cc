// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace ostrelo::core {

/// Name of the settings file.
inline constexpr const char *kIniFileName = "Ostrelo.ini";

/// What decides where the settings file lives.
struct SettingsLocationFacts {
    /// The file named by --config, if any.
    std::optional<std::string> configOption;
    /// The folder the program runs from.
    std::string programFolder;
    bool iniExistsInProgramFolder = false;
    /// $XDG_CONFIG_HOME and $HOME, empty when unset.
    std::string xdgConfigHome;
    std::string home;
};

/// The settings file to use: the --config file; else "Ostrelo.ini" in the program's folder
/// when it already exists there (portable use, the user's choice); else
/// $XDG_CONFIG_HOME/Ostrelo/Ostrelo.ini, with ~/.config when XDG_CONFIG_HOME is unset or
/// not absolute.
std::string settingsFilePath(const SettingsLocationFacts &facts);

/// The folder that holds `iniPath`; picture files are looked up there.
std::string settingsFolder(const std::string &iniPath);

} // namespace ostrelo::core
