// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

namespace ostrelo::app {

namespace {

// Reads "--name PATH" or "--name=PATH"; false when `argument` is another option.
bool pathOption(std::string_view name, std::span<const std::string> arguments, std::size_t &i,
                std::optional<std::string> &path, std::string &error) {
    const std::string &argument = arguments[i];
    if (argument == name) {
        if (i + 1 < arguments.size() && !arguments[i + 1].empty()) {
            path = arguments[++i];
        } else {
            error = std::string(name) + " needs the path of a file";
        }
        return true;
    }
    if (argument.starts_with(std::string(name) + '=')) {
        path = argument.substr(name.size() + 1);
        if (path->empty()) {
            error = std::string(name) + " needs the path of a file";
        }
        return true;
    }
    return false;
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string> arguments) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size() && line.error.empty(); ++i) {
        const std::string &argument = arguments[i];
        if (pathOption("--config", arguments, i, line.configPath, line.error) ||
            pathOption("--log", arguments, i, line.logPath, line.error)) {
            continue;
        }
        if (argument == "--demo") {
            line.demo = true;
        } else {
            line.error = "unknown option: " + argument;
            return line;
        }
    }
    return line;
}

std::optional<std::string> immediateAnswer(std::span<const std::string> arguments) {
    for (const std::string &argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            return usageText();
        }
        if (argument == "--version" || argument == "-v") {
            return versionText();
        }
    }
    return std::nullopt;
}

std::string usageText() {
    return "Usage: ostrelo [options]\n"
           "Telemetry screen for RACE 07 and GTR Evolution.\n"
           "\n"
           "Options:\n"
           "  --config PATH   use the settings file PATH instead of Ostrelo.ini\n"
           "  --log PATH      append every sample to the CSV file PATH\n"
           "  --demo          also start the simulated game, to see the dashboard at work\n"
           "  -h, --help      show this help and exit\n"
           "  -v, --version   show the version and exit\n"
           "\n"
           "Settings live in $XDG_CONFIG_HOME/Ostrelo/Ostrelo.ini "
           "(~/.config/Ostrelo/Ostrelo.ini),\n"
           "or in Ostrelo.ini next to the program when that file already exists there.\n";
}

std::string versionText() {
    return "Ostrelo " OSTRELO_VERSION "\n";
}

} // namespace ostrelo::app
