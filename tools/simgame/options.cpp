// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include "scenario.h"

#include <charconv>
#include <cmath>

namespace ostrelo::simgame {
namespace {

// Qt's own options that take a value.
bool toolkitOptionTakesValue(const std::string &option) {
    for (const char *name : {"-platform", "-geometry", "-display", "-style", "-qwindowgeometry",
                             "-qwindowtitle", "-qwindowicon", "-stylesheet"}) {
        if (option == name) {
            return true;
        }
    }
    return false;
}

} // namespace

Options parseOptions(std::span<const std::string> arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version" || argument == "-v") {
            options.version = true;
        } else if (argument == "--title" || argument == "--scenario" || argument == "--speed") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                options.error = argument + " needs a value";
                break;
            }
            const std::string &value = arguments[++i];
            if (argument == "--title") {
                options.title = value;
            } else if (argument == "--scenario") {
                options.scenarioPath = value;
            } else {
                double speed = 0;
                const auto [end, problem] =
                    std::from_chars(value.data(), value.data() + value.size(), speed);
                if (problem != std::errc() || end != value.data() + value.size() ||
                    !std::isfinite(speed) || speed <= 0) {
                    options.error = "--speed needs a number above 0, not \"" + value + "\"";
                    break;
                }
                options.speed = speed;
            }
        } else if (argument.size() > 1 && argument[0] == '-' && argument[1] != '-') {
            options.toolkit.push_back(argument);
            if (toolkitOptionTakesValue(argument) && i + 1 < arguments.size()) {
                options.toolkit.push_back(arguments[++i]);
            }
        } else {
            options.error = "unknown option: " + argument;
        }
    }
    return options;
}

std::string usageText() {
    std::string text =
        "Usage: ostrelo-simgame [--title TITLE] [--speed FACTOR] [--scenario FILE]\n"
        "Simulates RACE 07 for Ostrelo: a window titled TITLE (default \"RACE 07\", or\n"
        "\"GTR Evolution\") and a live race at the game's telemetry addresses.\n"
        "  --speed FACTOR   run the race FACTOR times faster (default 1)\n"
        "  --scenario FILE  pin values: an INI file with a [Pin] section, keys:\n";
    for (const std::string &key : Scenario::keys()) {
        text += "      " + key + '\n';
    }
    text += "  -h, --help       show this help and exit\n"
            "  -v, --version    show the version and exit\n";
    return text;
}

} // namespace ostrelo::simgame
