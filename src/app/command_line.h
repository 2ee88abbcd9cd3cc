// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"

#include <optional>
#include <span>
#include <string>

namespace ostrelo::app {

/// What the command line asks for.
struct CommandLine {
    std::optional<std::string> configPath;
    /// Start the simulated game beside the program.
    bool demo = false;
    /// Append every sample to this CSV file.
    std::optional<std::string> logPath;
    /// Record every sample acquired from the game to this session file.
    std::optional<std::string> recordPath;
    /// Play this session file instead of reading the game, at `speed` times its pace.
    std::optional<std::string> replayPath;
    double speed = 1;
    /// Serve the web dashboard on this address (0.0.0.0: every address) and port, for this run.
    std::optional<std::string> webAddress;
    int webPort = 0;
    /// Show the glance tiles over the game, for this run.
    bool overlay = false;
    /// Empty when the command line is valid; otherwise what is wrong with it.
    std::string error;
};

/// Parses the arguments after the program name: --config PATH (or --config=PATH),
/// --log PATH, --record PATH, --replay PATH, --speed FACTOR, --web [ADDRESS:]PORT (each also
/// as --option=VALUE), --demo, --overlay.
CommandLine parseCommandLine(std::span<const std::string> arguments);

/// What the command line asks for this run only, over the settings read from the file (never
/// written back to it): the web dashboard's address and port, the overlay shown.
void applyForThisRun(const CommandLine &line, core::Settings &settings);

/// The text --help (-h) or --version (-v) answers when any argument asks for one, the first
/// one asked winning; nothing otherwise. Answered before anything else, even without a display.
std::optional<std::string> immediateAnswer(std::span<const std::string> arguments);

/// The text of --help.
std::string usageText();

/// The text of --version.
std::string versionText();

} // namespace ostrelo::app
