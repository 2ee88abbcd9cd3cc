#include "app/command_line.h"

namespace ostrelo::app {

CommandLine parseCommandLine(std::span<const std::string> arguments) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--version" || argument == "-v") {
            line.version = true;
        } else if (argument == "--demo") {
            line.demo = true;
        } else if (argument == "--config") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                line.error = "--config needs the path of a settings file";
                return line;
            }
            line.configPath = arguments[++i];
        } else if (argument.starts_with("--config=")) {
            line.configPath = argument.substr(9);
            if (line.configPath->empty()) {
                line.error = "--config needs the path of a settings file";
                return line;
            }
        } else {
            line.error = "unknown option: " + argument;
            return line;
        }
    }
    return line;
}

std::string usageText() {
    return "Usage: ostrelo [options]\n"
           "Telemetry screen for RACE 07 and GTR Evolution.\n"
           "\n"
           "Options:\n"
           "  --config PATH   use the settings file PATH instead of Ostrelo.ini\n"
           "  --demo          also start the simulated game, to see the dashboard at work\n"
           "  -h, --help      show this help and exit\n"
           "  -v, --version   show the version and exit\n"
           "\n"
           "Settings live in Ostrelo.ini next to the program when that folder is writable\n"
           "or already holds the file, otherwise in $XDG_CONFIG_HOME/Ostrelo/Ostrelo.ini\n"
           "(~/.config/Ostrelo/Ostrelo.ini).\n";
}

std::string versionText() {
    return "Ostrelo " OSTRELO_VERSION "\n";
}

} // namespace ostrelo::app
