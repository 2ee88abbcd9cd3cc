// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/startup.h"
#include "core/error.h"
#include "core/settings_location.h"
#include "platform/native.h"
#include "windows/fonts.h"
#include "windows/qt_text.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>

#include <cstdlib>
#include <iostream>

namespace ostrelo::app {
namespace {

std::string iniPathFor(const CommandLine &line) {
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

// The user's decimal separator when it is one plain character, else the point.
char decimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point.front().unicode() < 128
               ? static_cast<char>(point.front().unicode())
               : '.';
}

// Started from a menu, the terminal is not seen: the window says it too.
void showNotices(const std::vector<std::string> &lines, QWidget *parent) {
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

std::string displayProblem() {
    const char *platformName = std::getenv("QT_QPA_PLATFORM");
    if (platformName && *platformName && std::string_view(platformName).rfind("xcb", 0) != 0) {
        return {};
    }
    if (!platformName && std::getenv("WAYLAND_DISPLAY")) {
        return {};
    }
    return platform::nativeDisplayProblem();
}

Application::Application(const CommandLine &line) {
    reportErrors({});
    windows::installFontSubstitutes();
    if (line.demo) {
        m_demo = std::make_unique<DemoGame>();
        if (!m_demo->error().isEmpty()) {
            std::cerr << "ostrelo: " << m_demo->error().toStdString() << '\n';
        }
    }
    const std::string iniPath = iniPathFor(line);
    m_notices = openSettings(m_state, iniPath);
    for (const std::string &notice : m_notices) {
        std::cerr << "ostrelo: " << notice << std::endl;
    }

    m_window = std::make_unique<windows::MainWindow>(
        static_cast<dashboard::Colour>(m_state.settings.BackgroundColor));
    m_memory = platform::nativeProcessMemory();
    m_program =
        std::make_unique<Program>(m_state, *m_window, *m_memory, m_serverSocket, m_clientSocket);
    if (line.logPath) {
        openLog(*line.logPath, m_notices);
    }
    m_window->setEvents(m_program.get());
    const auto [left, top] = m_window->load(core::settingsFolder(iniPath),
                                            m_state.settings.PosFormX, m_state.settings.PosFormY);
    m_state.settings.PosFormX = static_cast<std::int32_t>(left);
    m_state.settings.PosFormY = static_cast<std::int32_t>(top);
    m_program->start(decimalSeparator());
    m_window->show();
    openSetupWindows();
    showNotices(m_notices, m_window.get());
}

Application::~Application() {
    // The debug window goes first: nothing may report to it after.
    reportErrors({});
}

void Application::openLog(const std::string &path, std::vector<std::string> &notices) {
    m_log = std::make_unique<telemetry::TelemetryLog>(path);
    if (!m_log->error().empty()) {
        std::cerr << "ostrelo: " << m_log->error() << '\n';
        notices.push_back(m_log->error());
    }
    m_program->setTelemetryLog(m_log.get());
}

void Application::openSetupWindows() {
    // The setup windows open beside the main window when the settings ask for them.
    const QRect beside = m_window->frameGeometry();
    if (m_state.settings.Administrar) {
        m_admin = std::make_unique<windows::AdminWindow>(
            m_window->twipsPerPixel(),
            [this](std::int16_t mode) {
                m_state.SlotMode = static_cast<runtime::FollowedCar>(mode);
            },
            [this](std::int16_t slot) { m_state.ForcedSlot = slot; });
        m_admin->move(beside.right() + 8, beside.top());
        m_admin->show();
    }
    if (m_state.settings.Depurar) {
        m_debug = std::make_unique<windows::DebugWindow>(m_window->twipsPerPixel());
        m_debug->move(beside.right() + 8,
                      beside.top() + (m_admin ? m_admin->frameGeometry().height() + 8 : 0));
        m_debug->show();
        m_program->setDebugSink(
            [window = m_debug.get()](const dashboard::DebugLines &lines) { window->apply(lines); });
        reportErrors(windows::errorLineSink(m_state.settings.Depurar, *m_debug));
    }
}

} // namespace ostrelo::app
