// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "core/conversions.h"
#include "core/ip_address.h"
#include "net/dialog_answers.h"

#include <cstdlib>

namespace ostrelo::app {

namespace {

constexpr std::string_view kPath = "the path of a file";

// Reads "--name VALUE" or "--name=VALUE"; false when `argument` is another option.
bool valueOption(std::string_view name, std::string_view what,
                 std::span<const std::string> arguments, std::size_t &i,
                 std::optional<std::string> &path, std::string &error) {
    const std::string &argument = arguments[i];
    if (argument == name) {
        if (i + 1 < arguments.size() && !arguments[i + 1].empty()) {
            path = arguments[++i];
        } else {
            error = std::string(name) + " needs " + std::string(what);
        }
        return true;
    }
    if (argument.starts_with(std::string(name) + '=')) {
        path = argument.substr(name.size() + 1);
        if (path->empty()) {
            error = std::string(name) + " needs " + std::string(what);
        }
        return true;
    }
    return false;
}

// "8080" or "192.168.1.20:8080".
bool readWebOption(const std::string &text, CommandLine &line) {
    const std::size_t colon = text.rfind(':');
    const std::string address = colon == std::string::npos ? "" : text.substr(0, colon);
    const std::string port = colon == std::string::npos ? text : text.substr(colon + 1);
    if ((colon != std::string::npos && address.empty()) || !core::isListenAddress(address) ||
        !net::isValidPort(port)) {
        return false;
    }
    line.webAddress = address.empty() ? "0.0.0.0" : address;
    line.webPort = std::stoi(port);
    return true;
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string> arguments) {
    CommandLine line;
    bool speedGiven = false;
    for (std::size_t i = 0; i < arguments.size() && line.error.empty(); ++i) {
        const std::string &argument = arguments[i];
        if (valueOption("--config", kPath, arguments, i, line.configPath, line.error) ||
            valueOption("--log", kPath, arguments, i, line.logPath, line.error) ||
            valueOption("--record", kPath, arguments, i, line.recordPath, line.error) ||
            valueOption("--replay", kPath, arguments, i, line.replayPath, line.error)) {
            continue;
        }
        std::optional<std::string> speed;
        if (valueOption("--speed", "a factor", arguments, i, speed, line.error)) {
            speedGiven = true;
            char *end = nullptr;
            line.speed = speed ? std::strtod(speed->c_str(), &end) : 1;
            if (speed &&
                (end == speed->c_str() || *end != '\0' || !(line.speed > 0) || line.speed > 1000)) {
                line.error =
                    "--speed needs a factor above 0 and up to 1000, not \"" + *speed + "\"";
            }
            continue;
        }
        std::optional<std::string> web;
        if (valueOption("--web", "[ADDRESS:]PORT", arguments, i, web, line.error)) {
            if (web && !readWebOption(*web, line)) {
                line.error = "--web needs [ADDRESS:]PORT, such as 8080 or 192.168.1.20:8080, "
                             "not \"" +
                             *web + "\"";
            }
            continue;
        }
        if (argument == "--demo") {
            line.demo = true;
        } else if (argument == "--overlay") {
            line.overlay = true;
        } else {
            line.error = "unknown option: " + argument;
            return line;
        }
    }
    if (line.error.empty() && line.replayPath && (line.recordPath || line.demo)) {
        // A replay reads no game: there is nothing to record, and no game to start.
        line.error = std::string(line.recordPath ? "--record" : "--demo") +
                     " cannot go with --replay, which plays a session instead of a game";
    }
    if (line.error.empty() && speedGiven && !line.replayPath && !line.demo) {
        line.error = "--speed goes with --replay or --demo";
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
           "  --demo          also start the simulated game, to see the dashboard at work;\n"
           "                  its car starts short of fuel, for the radio's fuel calls\n"
           "  --record PATH   record every sample read from the game to the session file PATH\n"
           "  --replay PATH   play the session file PATH instead of reading the game\n"
           "  --speed FACTOR  play it, or run the simulated game, FACTOR times as fast\n"
           "                  (0.25 for a quarter, 4 for four times)\n"
           "  --web [ADDRESS:]PORT\n"
           "                  serve the dashboard to browsers on PORT (every address of\n"
           "                  this computer, or ADDRESS only) for this run\n"
           "  --overlay       show the glance tiles over the game for this run\n"
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

void applyForThisRun(const CommandLine &line, core::Settings &settings) {
    if (line.webAddress) {
        settings.WebEnabled = true;
        settings.WebAddress = *line.webAddress;
        settings.WebPort = core::NumberToText(line.webPort);
    }
    if (line.overlay) {
        settings.OverlayShown = true;
    }
}

} // namespace ostrelo::app
