// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"
#include "app/demo_game.h"
#include "app/program.h"
#include "core/error.h"
#include "core/regular_file.h"
#include "core/settings.h"
#include "core/settings_location.h"
#include "i18n/language.h"
#include "platform/linux/process_memory_linux.h"
#include "platform/linux/x11_display.h"
#include "platform/qt/qt_stream_socket.h"
#include "platform/qt/termination_signals.h"
#include "windows/admin_window.h"
#include "windows/debug_window.h"
#include "windows/fonts.h"
#include "windows/main_window.h"
#include "windows/qt_text.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace ostrelo;

// Why no window can be shown, or an empty text. Qt's own platform (offscreen, wayland) is
// trusted; for X11 the display is tried first, so a wrong DISPLAY is a message, not a crash.
std::string displayProblem() {
    const char *platformName = std::getenv("QT_QPA_PLATFORM");
    if (platformName && *platformName && std::string_view(platformName).rfind("xcb", 0) != 0) {
        return {};
    }
    if (!platformName && std::getenv("WAYLAND_DISPLAY")) {
        return {};
    }
    return platform::x11DisplayProblem();
}

std::string iniPathFor(const app::CommandLine &line) {
    core::SettingsLocationFacts facts;
    facts.configOption = line.configPath;
    const QString folder = QCoreApplication::applicationDirPath();
    facts.programFolder = folder.toStdString();
    facts.iniExistsInProgramFolder =
        QFileInfo::exists(QDir(folder).filePath(QString::fromLatin1(core::kIniFileName)));
    facts.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME").toStdString();
    facts.home = QDir::homePath().toStdString();
    return core::settingsFilePath(facts);
}

// Errors go to stderr, once for a run of the same report, and to `more` (the debug window).
void reportErrors(core::ErrorReporter::Sink more) {
    core::ErrorReporter::instance().setSink(
        [more = std::move(more), last = std::string()](const core::ErrorReport &r) mutable {
            std::string line = "ostrelo: " + r.routine + ": " + r.description;
            if (line != last) {
                std::cerr << line << '\n';
                last = std::move(line);
            }
            if (more) {
                more(r);
            }
        });
}

// One line per setting that could not be used, and one when changes cannot be saved.
std::vector<std::string> settingsNotices(const core::LoadedSettings &loaded,
                                         const std::string &iniPath,
                                         const std::string &fileProblem) {
    std::vector<std::string> lines;
    if (!fileProblem.empty()) {
        lines.push_back("Changes to the settings cannot be saved. " + fileProblem + '.');
    }
    for (const core::SettingProblem &problem : loaded.problems) {
        lines.push_back(core::describeProblem(problem, iniPath));
    }
    return lines;
}

void printSettingProblems(const std::vector<std::string> &lines) {
    for (const std::string &line : lines) {
        std::cerr << "ostrelo: " << line << std::endl;
    }
}

void showSettingProblems(const std::vector<std::string> &lines, QWidget *parent) {
    if (lines.empty()) {
        return;
    }
    QString text;
    for (const std::string &line : lines) {
        text += windows::toQString(line) + QLatin1Char('\n');
    }
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Ostrelo"),
                                QStringLiteral("Ostrelo runs, but:"), QMessageBox::Ok, parent);
    box->setInformativeText(text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // --help and --version answer before Qt looks for a display.
    for (const std::string &argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::cout << app::usageText();
            return 0;
        }
        if (argument == "--version" || argument == "-v") {
            std::cout << app::versionText();
            return 0;
        }
    }
    if (const std::string problem = displayProblem(); !problem.empty()) {
        std::cerr << "ostrelo: " << problem << ". Start Ostrelo from a graphical session.\n";
        return 1;
    }

    QApplication application(argc, argv);
    std::vector<std::string> qtArguments;
    for (const QString &argument : QCoreApplication::arguments().mid(1)) {
        qtArguments.push_back(argument.toStdString());
    }
    const app::CommandLine line = app::parseCommandLine(qtArguments);
    if (!line.error.empty()) {
        std::cerr << "ostrelo: " << line.error << "\n\n" << app::usageText();
        return 2;
    }
    if (line.configPath) {
        // The user named this file: anything but a regular file is refused before use.
        if (const std::string problem = core::notARegularFile(*line.configPath); !problem.empty()) {
            std::cerr << "ostrelo: --config: " << problem << ". Name a settings file.\n";
            return 2;
        }
    }
    const platform::TerminationSignals terminationSignals;
    runtime::AppState state;
    reportErrors({});
    windows::installFontSubstitutes();
    std::unique_ptr<app::DemoGame> demo;
    if (line.demo) {
        demo = std::make_unique<app::DemoGame>();
        if (!demo->error().isEmpty()) {
            std::cerr << "ostrelo: " << demo->error().toStdString() << '\n';
        }
    }

    const std::string iniPath = iniPathFor(line);
    std::error_code ignored;
    std::filesystem::create_directories(core::settingsFolder(iniPath), ignored);
    state.store = core::SettingsStore(iniPath);

    core::LoadedSettings loaded = core::loadSettings(state.store);
    i18n::correctLanguage(loaded);
    std::vector<std::string> notices = settingsNotices(loaded, iniPath, state.store.problem());
    printSettingProblems(notices);
    state.settings = loaded.settings;
    // Everything start-up writes goes to the file in one replacement, if the text changed.
    state.store.holdWrites();
    core::writeThresholds(state.settings, state.store);

    windows::MainWindow window(static_cast<dashboard::Colour>(state.settings.BackgroundColor));
    platform::LinuxProcessMemory processMemory;
    platform::QtStreamSocket serverSocket(true);
    platform::QtStreamSocket clientSocket(false);
    app::Program program(state, window, processMemory, serverSocket, clientSocket);
    std::unique_ptr<telemetry::TelemetryLog> log;
    if (line.logPath) {
        log = std::make_unique<telemetry::TelemetryLog>(*line.logPath);
        if (!log->error().empty()) {
            std::cerr << "ostrelo: " << log->error() << '\n';
            // Started from a menu, the terminal is not seen: the window says it too.
            notices.push_back(log->error());
        }
        program.setTelemetryLog(log.get());
    }
    window.setEvents(&program);
    const auto [left, top] = window.load(core::settingsFolder(iniPath), state.settings.PosFormX,
                                         state.settings.PosFormY);
    state.settings.PosFormX = static_cast<std::int32_t>(left);
    state.settings.PosFormY = static_cast<std::int32_t>(top);
    const QString decimalPoint = QLocale::system().decimalPoint();
    program.setDecimalSeparator(decimalPoint.size() == 1 && decimalPoint.front().unicode() < 128
                                    ? static_cast<char>(decimalPoint.front().unicode())
                                    : '.');
    program.applySettings();
    state.store.flush();
    window.show();
    // The setup windows open beside the main window when the settings ask for them.
    const QRect beside = window.frameGeometry();
    std::unique_ptr<windows::AdminWindow> admin;
    if (state.settings.Administrar) {
        admin = std::make_unique<windows::AdminWindow>(
            window.twipsPerPixel(),
            [&state](std::int16_t mode) {
                state.SlotMode = static_cast<runtime::FollowedCar>(mode);
            },
            [&state](std::int16_t slot) { state.ForcedSlot = slot; });
        admin->move(beside.right() + 8, beside.top());
        admin->show();
    }
    std::unique_ptr<windows::DebugWindow> debug;
    if (state.settings.Depurar) {
        debug = std::make_unique<windows::DebugWindow>(window.twipsPerPixel());
        debug->move(beside.right() + 8,
                    beside.top() + (admin ? admin->frameGeometry().height() + 8 : 0));
        debug->show();
        program.setDebugSink(
            [window = debug.get()](const dashboard::DebugLines &lines) { window->apply(lines); });
        reportErrors(windows::errorLineSink(state.settings.Depurar, *debug));
    }
    showSettingProblems(notices, &window);
    return QApplication::exec();
}
