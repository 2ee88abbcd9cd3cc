// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/command_line.h"
#include "app/demo_game.h"
#include "app/pit_wall.h"
#include "app/program.h"
#include "history/history_store.h"
#include "platform/qt/qt_stream_socket.h"
#include "platform/qt/speech_voice.h"
#include "platform/qt/termination_signals.h"
#include "replay/replay_session.h"
#include "replay/session_recorder.h"
#include "runtime/app_state.h"
#include "standings/timing_tower.h"
#include "telemetry/telemetry_log.h"
#include "web/viewer_screens.h"
#include "web/web_server.h"
#include "windows/admin_window.h"
#include "windows/debug_window.h"
#include "windows/engineer_window.h"
#include "windows/main_window.h"
#include "windows/overlay_window.h"
#include "windows/replay_bar.h"
#include "windows/standings_window.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ostrelo::app {

/// Why no window can be shown, or an empty text. Qt's own platforms (offscreen, wayland, chosen
/// with QT_QPA_PLATFORM or `-platform` in `arguments`) are trusted; for X11 the display is tried
/// first, so a wrong DISPLAY is a message, not a crash.
std::string displayProblem(const std::vector<std::string> &arguments);

/// The running program put together: the settings, the main window with its program logic,
/// the system's game backend, the two sockets, and what the command line adds (the simulated
/// game, the CSV log). Start-up happens in the constructor, in the one order the program
/// has; the main window is shown at its end, with a notice of whatever the user should know.
class Application {
public:
    /// Needs the QApplication; `line` is a valid command line.
    explicit Application(const CommandLine &line);
    ~Application();

    /// True when what the command line asked for cannot be done at all (a session file that
    /// cannot be played): the program should end after saying why.
    bool refused() const { return m_refused; }
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;

private:
    void openLog(const std::string &path, std::vector<std::string> &notices);
    void openSetupWindows();
    void applyWebSettings();
    void publish(const telemetry::TelemetrySample *sample);
    void openEngineer();
    void openStandings();
    void startRecording(const std::string &path, bool replace);
    void chooseRecording();
    void openReplay(const std::string &path, double speed);
    std::string exportSession(const std::string &path) const;

    platform::TerminationSignals m_terminationSignals;
    std::unique_ptr<DemoGame> m_demo;
    runtime::AppState m_state;
    std::vector<std::string> m_notices;
    std::unique_ptr<windows::MainWindow> m_window;
    std::unique_ptr<platform::ProcessMemory> m_memory;
    platform::QtStreamSocket m_serverSocket{true};
    platform::QtStreamSocket m_clientSocket{false};
    std::unique_ptr<Program> m_program;
    std::unique_ptr<telemetry::TelemetryLog> m_log;
    std::unique_ptr<windows::AdminWindow> m_admin;
    std::unique_ptr<windows::DebugWindow> m_debug;
    std::unique_ptr<history::HistoryStore> m_history;
    // The engineer, the radio and its voice.
    std::unique_ptr<PitWall> m_pitWall;
    bool m_noVoiceTold = false;
    // When the sample being shown was read from the game; 0 once published.
    double m_readAtMs = 0;
    std::unique_ptr<windows::EngineerWindow> m_engineerWindow;
    standings::TimingTower m_tower;
    // Reads the field between the ticks of a slow scan while the standings are looked at.
    std::unique_ptr<windows::StandingsWindow> m_standingsWindow;
    bool m_refused = false;
    // The user's decimal separator, taken once at start-up.
    char m_separator = '.';
    std::unique_ptr<replay::SessionRecorder> m_recorder;
    std::unique_ptr<replay::ReplaySession> m_replay;
    std::unique_ptr<windows::ReplayBar> m_replayBar;
    std::unique_ptr<web::ViewerScreens> m_viewerScreens;
    std::unique_ptr<web::WebServer> m_web;
    // The glance tiles over the game.
    std::unique_ptr<windows::Overlay> m_overlay;
};

/// The addresses a browser opens for a web dashboard on `address` (empty: every address, then
/// each network address of this computer) and `port`, one space apart (see `web::addressLine`).
std::string webUrl(const std::string &address, int port);

} // namespace ostrelo::app
