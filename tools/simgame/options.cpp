// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include "car_model.h"
#include "scenario.h"

#include <charconv>
#include <cmath>
#include <limits>

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

// The number `text` holds from `low` to `high`; NaN when it holds none.
double readNumber(const std::string &text, double low, double high) {
    double number = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (problem != std::errc() || end != text.data() + text.size() || !(number >= low) ||
        !(number <= high) || (low == 0 && number == 0)) {
        return std::nan("");
    }
    return number;
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
        } else if (argument == "--title" || argument == "--scenario" || argument == "--speed" ||
                   argument == "--fuel") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                options.error = argument + " needs a value";
                break;
            }
            const std::string &value = arguments[++i];
            if (argument == "--title") {
                options.title = value;
            } else if (argument == "--scenario") {
                options.scenarioPath = value;
            } else if (argument == "--speed") {
                options.speed = readNumber(value, 0, std::numeric_limits<double>::max());
                if (!(options.speed > 0)) {
                    options.error = "--speed needs a number above 0, not \"" + value + "\"";
                }
            } else {
                options.stint = readNumber(value, 1, CarModel::kTankLitres);
                if (!(*options.stint > 0)) {
                    options.error = "--fuel needs litres from 1 to 60, not \"" + value + "\"";
                }
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
        "Usage: ostrelo-simgame [--title TITLE] [--speed FACTOR] [--fuel LITRES]\n"
        "                       [--scenario FILE]\n"
        "Simulates RACE 07 for Ostrelo: a window titled TITLE (default \"RACE 07\", or\n"
        "\"GTR Evolution\") and a live race at the game's telemetry addresses.\n"
        "  --speed FACTOR   run the race FACTOR times faster (default 1)\n"
        "  --fuel LITRES    start with LITRES, 1 to 60, and stop for them again when the\n"
        "                   fuel runs low (default: a full tank and a stop every 5 laps)\n"
        "  --scenario FILE  pin values: an INI file with a [Pin] section, keys:\n";
    for (const std::string &key : Scenario::keys()) {
        text += "      " + key + '\n';
    }
    text += "  -h, --help       show this help and exit\n"
            "  -v, --version    show the version and exit\n";
    return text;
}

} // namespace ostrelo::simgame
