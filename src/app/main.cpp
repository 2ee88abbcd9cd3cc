// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/command_line.h"
#include "core/regular_file.h"
#include "i18n/language_table.h"
#include "i18n/messages.h"

#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

using namespace ostrelo;

int main(int argc, char **argv) {
    // --help and --version answer before Qt looks for a display.
    const std::vector<std::string> given(argv + 1, argv + argc);
    if (const auto answer = app::immediateAnswer(given)) {
        std::cout << *answer;
        return 0;
    }
    if (const std::string problem = app::displayProblem(given); !problem.empty()) {
        std::cerr << "ostrelo: " << problem << ". Start Ostrelo from a graphical session.\n";
        return 1;
    }

    QApplication qtApplication(argc, argv);
    std::vector<std::string> arguments;
    for (const QString &argument : QCoreApplication::arguments().mid(1)) {
        arguments.push_back(argument.toStdString());
    }
    const app::CommandLine line = app::parseCommandLine(arguments);
    if (!line.error.empty()) {
        std::cerr << "ostrelo: " << line.error << "\n\n" << app::usageText();
        return 2;
    }
    if (line.configPath) {
        // The user named this file: anything but a regular file is refused before use.
        if (const core::FileProblem problem = core::notARegularFile(*line.configPath);
            !problem.empty()) {
            // Like the rest of the command line, in English: no settings name a language yet.
            std::cerr << "ostrelo: --config: "
                      << i18n::describe(problem, i18n::findLanguage("English")->texts)
                      << ". Name a settings file.\n";
            return 2;
        }
    }
    const app::Application application(line);
    // Asked to play a session that cannot be played, it says why and ends rather than read
    // the game as if it were the session.
    return application.refused() ? 2 : QApplication::exec();
}
