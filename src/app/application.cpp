// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/radio_settings.h"
#include "app/startup.h"
#include "core/conversions.h"
#include "core/error.h"
#include "core/ip_address.h"
#include "core/regular_file.h"
#include "core/settings_location.h"
#include "engineer/engineer_report.h"
#include "glance/overlay_places.h"
#include "glance/tiles.h"
#include "i18n/language_table.h"
#include "i18n/messages.h"
#include "platform/native.h"
#include "web/json_text.h"
#include "web/web_address.h"
#include "windows/first_paint.h"
#include "windows/fonts.h"
#include "windows/qt_text.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QStandardPaths>

#include <chrono>
#include <cstdlib>
#include <iostream>

namespace ostrelo::app {
namespace {

// Milliseconds since 1970 by the system clock, to the microsecond: the time browsers compare.
double epochMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

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
void showNotices(const std::vector<std::string> &lines, const i18n::Texts &texts, QWidget *parent) {
    if (lines.empty()) {
        return;
    }
    QString text;
    for (const std::string &line : lines) {
        text += windows::toQString(line) + QLatin1Char('\n');
    }
    auto *box =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("Ostrelo"),
                        windows::toQString(texts.TextNoticesTitle), QMessageBox::Ok, parent);
    box->setInformativeText(text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QByteArray resource(const QString &name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

std::string webUrl(const std::string &address, int port) {
    std::vector<std::string> interfaces;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if (!interface.flags().testFlags(QNetworkInterface::IsUp | QNetworkInterface::IsRunning)) {
            continue;
        }
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                interfaces.push_back(entry.ip().toString().toStdString());
            }
        }
    }
    return web::addressLine(web::dashboardAddresses(address, port, interfaces));
}

std::string displayProblem(const std::vector<std::string> &arguments) {
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if ((arguments[i] == "-platform" || arguments[i] == "--platform") &&
            arguments[i + 1].rfind("xcb", 0) != 0) {
            return {};
        }
    }
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
        m_demo = std::make_unique<DemoGame>(line.speed);
        if (!m_demo->error().isEmpty()) {
            std::cerr << "ostrelo: " << m_demo->error().toStdString() << '\n';
        }
    }
    const std::string iniPath = iniPathFor(line);
    m_notices = openSettings(m_state, iniPath);
    applyForThisRun(line, m_state.settings);
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
    m_separator = decimalSeparator();
    m_program->start(m_separator);
    // Every lap of every session, kept in the user's data folder.
    m_history = std::make_unique<history::HistoryStore>(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
        "/Ostrelo/history.sqlite");
    // It opens on a thread of its own: what the user should know comes when it is open.
    m_history->onOpened = [this](const history::HistoryProblem &problem) {
        if (!problem.empty()) {
            showNotices({history::describe(problem, m_state.texts)}, m_state.texts, m_window.get());
        }
    };
    // A replay's laps are in the history already, from the race itself.
    m_pitWall = std::make_unique<PitWall>(m_state.store, m_state.settings,
                                          line.replayPath ? nullptr : m_history.get(),
                                          [] { return std::make_unique<platform::SpeechVoice>(); });
    m_program->onRadioChanged = [this] { publish(nullptr); };
    m_program->onOpenEngineer = [this] { openEngineer(); };
    m_program->onOpenStandings = [this] { openStandings(); };
    m_program->onRecordChosen = [this] { chooseRecording(); };
    m_program->onFieldRead = [this](const telemetry::Standings &field, std::int64_t timeMs) {
        m_tower.update(field, timeMs);
    };
    m_program->onAcquired = [this](const replay::RecordedSample &acquired) {
        m_readAtMs = epochMs();
        m_tower.update(acquired.standings, acquired.timeMs);
        if (m_recorder) {
            m_recorder->record(acquired);
        }
    };
    if (line.recordPath) {
        startRecording(*line.recordPath, false);
    }
    if (line.replayPath) {
        openReplay(*line.replayPath, line.speed);
    }
    m_viewerScreens = std::make_unique<web::ViewerScreens>(m_state.settings, m_separator);
    m_program->onWebSettingsChanged = [this] { applyWebSettings(); };
    m_program->onPresent = [this](const telemetry::TelemetrySample *sample) { publish(sample); };
    applyWebSettings();
    m_overlay = std::make_unique<windows::Overlay>();
    m_overlay->onPlaced = [this](glance::TileKind kind, const glance::Place &place) {
        glance::savePlace(m_state.store, kind, place);
    };
    m_overlay->onMenuChosen = [this](dashboard::MenuItem item) { m_program->menuChosen(item); };
    m_program->onOverlayChanged = [this] { m_overlay->arrange(m_state.settings, m_state.store); };
    m_overlay->arrange(m_state.settings, m_state.store);
    if (qEnvironmentVariableIsSet("OSTRELO_QUIT_AFTER_FIRST_PAINT")) {
        // For measuring start-up (scripts/bench.sh): from exec to the first painted window.
        windows::onFirstPaint(m_window.get(), [] {
            std::cerr << "ostrelo: first paint" << std::endl;
            QCoreApplication::quit();
        });
    }
    m_window->show();
    if (m_replayBar) {
        m_window->keepBeside(m_replayBar.get());
        m_replayBar->show(0, m_replay->player()->durationMs(), false, m_replay->player()->speed());
        m_replayBar->show();
    }
    openSetupWindows();
    showNotices(m_notices, m_state.texts, m_window.get());
}

Application::~Application() {
    // The debug window goes first: nothing may report to it after.
    reportErrors({});
}

void Application::applyWebSettings() {
    const core::Settings &s = m_state.settings;
    if (!s.WebEnabled) {
        m_web.reset();
        m_program->setWebAddress({});
        return;
    }
    if (!m_web) {
        m_web = std::make_unique<web::WebServer>(
            [this](std::string_view query) {
                return web::choiceFromQuery(query, m_state.settings);
            },
            web::WebServer::Limits{});
        m_web->greeting = [](const web::ViewerChoice &choice) {
            const i18n::Language *language = i18n::findLanguage(choice.idioma);
            return web::textsMessage(language ? language->texts : i18n::Texts{}, choice.idioma,
                                     choice.units == core::Units::Imperial);
        };
        m_web->addPage("/", "text/html; charset=utf-8",
                       resource(QStringLiteral(":/web/index.html")));
        m_web->addPage("/live.js", "text/javascript; charset=utf-8",
                       resource(QStringLiteral(":/web/live.js")));
        m_web->addPage("/app.js", "text/javascript; charset=utf-8",
                       resource(QStringLiteral(":/web/app.js")));
        m_web->addPage("/style.css", "text/css; charset=utf-8",
                       resource(QStringLiteral(":/web/style.css")));
        // The phone dash: big tiles made for a glance.
        m_web->addPage("/dash", "text/html; charset=utf-8",
                       resource(QStringLiteral(":/web/dash.html")));
        m_web->addPage("/dash.js", "text/javascript; charset=utf-8",
                       resource(QStringLiteral(":/web/dash.js")));
        m_web->addPage("/dash.css", "text/css; charset=utf-8",
                       resource(QStringLiteral(":/web/dash.css")));
        m_web->addPage("/car.png", "image/png", resource(QStringLiteral(":/car.png")));
        m_web->addPage("/logo.png", "image/png", resource(QStringLiteral(":/logo.png")));
        const std::string layout =
            web::layoutJson(static_cast<dashboard::Colour>(s.BackgroundColor));
        m_web->addPage("/layout.json", "application/json",
                       QByteArray(layout.data(), static_cast<qsizetype>(layout.size())));
    }
    const int port = core::ToInteger32(core::TextToNumber(s.WebPort));
    const std::string problem = m_web->listen(s.WebAddress, port);
    if (const std::string text = m_program->webListened(port, problem, webUrl(s.WebAddress, port));
        !text.empty()) {
        std::cerr << "ostrelo: " << text << '\n';
    }
}

void Application::startRecording(const std::string &path, bool replace) {
    m_recorder =
        std::make_unique<replay::SessionRecorder>(path, "Ostrelo " OSTRELO_VERSION, replace);
    if (!m_recorder->error().empty()) {
        const std::string notice = i18n::fill(m_state.texts.TextNotRecorded,
                                              {i18n::describe(m_recorder->error(), m_state.texts)});
        std::cerr << "ostrelo: " << notice << '\n';
        m_notices.push_back(notice);
        m_recorder.reset();
    }
    m_program->setRecording(m_recorder != nullptr);
}

void Application::chooseRecording() {
    if (m_recorder) {
        m_recorder.reset();
        m_program->setRecording(false);
        return;
    }
    QString path = QFileDialog::getSaveFileName(m_window.get(),
                                                windows::toQString(m_state.texts.TextRecordMenu),
                                                QString(), QStringLiteral("Ostrelo (*.ostrelo)"));
    if (path.isEmpty()) {
        return;
    }
    m_notices.clear();
    const replay::RecordingTarget target = replay::recordingTarget(path.toStdString());
    startRecording(target.path, target.replace);
    showNotices(m_notices, m_state.texts, m_window.get());
}

void Application::openReplay(const std::string &path, double speed) {
    m_replay = std::make_unique<replay::ReplaySession>(path, speed, m_state.texts);
    if (!m_replay->notice().empty()) {
        std::cerr << "ostrelo: " << m_replay->notice() << '\n';
        m_notices.push_back(m_replay->notice());
    }
    replay::ReplayPlayer *player = m_replay->player();
    if (!player) {
        m_refused = true;
        return;
    }
    m_program->setReplay(player);
    m_replay->onMoved = [this] { m_program->replayMoved(); };
    m_replayBar = std::make_unique<windows::ReplayBar>();
    m_replayBar->onPaused = [this](bool paused) { m_replay->setPaused(paused); };
    m_replayBar->onSpeed = [player](double factor) { player->setSpeed(factor); };
    m_replayBar->onSeek = [this](std::int64_t position) { m_replay->seek(position); };
    // The tower times the line from every sample the replay passes, shown or not.
    player->onPassed = [this](const replay::RecordedSample &passed) {
        m_tower.update(passed.standings, passed.timeMs);
    };
}

void Application::openEngineer() {
    if (!m_engineerWindow) {
        m_engineerWindow =
            std::make_unique<windows::EngineerWindow>(m_state.texts, m_window->twipsPerPixel());
        m_engineerWindow->onRaceLength = [this](const engineer::RaceLength &length) {
            m_pitWall->engineer().setRaceLength(length);
            publish(nullptr);
        };
        m_engineerWindow->onTankCapacity = [this](double litres) {
            m_pitWall->engineer().setTankCapacity(litres);
            publish(nullptr);
        };
        m_engineerWindow->onExport = [this](const std::string &path) {
            return exportSession(path);
        };
        m_engineerWindow->onFuelPlan = [this](const engineer::FuelPlan &plan) {
            m_pitWall->choosePlan(plan);
            publish(nullptr);
        };
        m_engineerWindow->onRadio = [this](const radio::RadioSettings &chosen) {
            m_pitWall->chooseRadio(chosen);
            m_program->refresh();
        };
    }
    publish(nullptr);
    m_engineerWindow->show();
    m_engineerWindow->raise();
    m_engineerWindow->activateWindow();
}

void Application::openStandings() {
    if (!m_standingsWindow) {
        m_standingsWindow = std::make_unique<windows::StandingsWindow>(m_window->twipsPerPixel());
    }
    publish(nullptr);
    m_standingsWindow->show();
    m_standingsWindow->raise();
    m_standingsWindow->activateWindow();
}

std::string Application::exportSession(const std::string &path) const {
    // The session's laps are at hand whether or not the history keeps them.
    return i18n::describe(core::replaceFile(path, engineer::lapsCsv(m_pitWall->engineer().laps())),
                          m_state.texts);
}

void Application::publish(const telemetry::TelemetrySample *sample) {
    if (m_replayBar) {
        const replay::ReplayPlayer &player = *m_replay->player();
        m_replayBar->show(player.positionMs(), player.durationMs(), m_replay->standing(),
                          player.speed());
    }
    const radio::RadioSettings radioChosen = radioSettings(m_state.settings);
    // A sample from the game was read as it was acquired; one from the link or a replay now.
    const double readAt = sample ? (m_readAtMs > 0 ? m_readAtMs : epochMs()) : 0;
    m_readAtMs = 0;
    if (sample) {
        m_pitWall->take(*sample, static_cast<std::int64_t>(readAt), m_state.texts);
    }
    const radio::Voice *voice = m_pitWall->voice();
    const std::string noVoice =
        radioChosen.enabled && (!voice || !voice->ready()) ? m_state.texts.TextRadioNoVoice : "";
    if (!noVoice.empty() && !m_noVoiceTold) {
        m_noVoiceTold = true;
        std::cerr << "ostrelo: " << noVoice << '\n';
    }
    const bool towerShown = m_standingsWindow && m_standingsWindow->isVisible();
    m_program->watchStandings(towerShown, m_web && m_web->viewerCount() > 0,
                              m_overlay && m_overlay->needsTower());
    const std::vector<standings::TowerRow> tower = m_program->standingsWatched()
                                                       ? m_tower.rows(m_state.followed.CarSlot)
                                                       : std::vector<standings::TowerRow>();
    if (towerShown) {
        m_standingsWindow->apply(m_state.texts,
                                 standings::towerLines(tower, m_state.texts, m_separator));
    }
    if (m_engineerWindow && m_engineerWindow->isVisible()) {
        engineer::EngineerReport report = engineer::engineerReport(
            m_pitWall->engineer(), m_state.texts, m_state.settings.Unitats, m_separator);
        report.problem = history::describe(m_history->problem(), m_state.texts);
        m_engineerWindow->setTexts(m_state.texts);
        m_engineerWindow->apply(report);
        m_engineerWindow->applyRadio(m_pitWall->engineer().fuelPlan(), radioChosen,
                                     m_pitWall->radio().lines(), noVoice);
    }
    if (m_overlay) {
        m_overlay->showMenus(m_program->screen());
    }
    if (m_overlay && m_overlay->shown()) {
        // In the window's language and units.
        const std::optional<telemetry::TelemetrySample> &full =
            m_program->lapBook().lastShownInFull();
        m_overlay->apply(glance::makeTiles(
            {m_program->screen(), full ? &*full : nullptr,
             engineer::engineerReport(m_pitWall->engineer(), m_state.texts,
                                      m_state.settings.Unitats, m_separator),
             standings::towerLines(tower, m_state.texts, m_separator), m_state.texts,
             m_state.settings.Unitats == core::Units::Imperial, m_separator}));
    }
    if (!m_web || m_web->viewerCount() == 0) {
        return;
    }
    const web::ProgramView program{m_program->screen(),         m_state.texts,
                                   !m_state.settings.NoGrafics, m_program->followed(),
                                   m_program->lapBook(),        readAt};
    m_viewerScreens->choose(m_web->choicesInUse(), program);
    m_viewerScreens->update(sample, program);
    m_web->publish([&](const web::ViewerChoice &choice) -> const std::string & {
        return m_viewerScreens->message(choice, m_pitWall->engineer(), tower,
                                        m_pitWall->radio().lines());
    });
}

void Application::openLog(const std::string &path, std::vector<std::string> &notices) {
    m_log = std::make_unique<telemetry::TelemetryLog>(path);
    if (!m_log->error().empty()) {
        // Opened before the language is applied: in the one the settings name.
        const i18n::Texts &texts = i18n::findLanguage(m_state.settings.Idioma)->texts;
        const std::string notice =
            i18n::fill(texts.TextLogOff, {i18n::describe(m_log->error(), texts)});
        std::cerr << "ostrelo: " << notice << '\n';
        notices.push_back(notice);
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
                m_state.followed.SlotMode = static_cast<runtime::FollowedCar>(mode);
            },
            [this](std::int16_t slot) { m_state.followed.ForcedSlot = slot; });
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
