// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "acquisition/acquisition.h"
#include "acquisition/game_attachment.h"
#include "acquisition/game_memory.h"
#include "dashboard/display_phase.h"
#include "dashboard/display_state.h"
#include "dashboard/lap_book.h"
#include "dashboard/sample_age.h"
#include "dashboard/screen.h"
#include "net/connection.h"
#include "net/frame_joiner.h"
#include "platform/process_memory.h"
#include "platform/stream_socket.h"
#include "replay/replay_player.h"
#include "runtime/app_state.h"
#include "telemetry/telemetry_log.h"
#include "windows/main_view.h"

namespace ostrelo::app {

/// The program logic between the main window and the modules: the apply routines run when
/// the main window loads, the menu handlers, and the scan tick with `Temps`. It keeps the
/// screen and hands it to the window after each event.
class Program : public windows::MainViewEvents {
public:
    /// `server` and `client` are the two sockets `TCPServer` and `TCPClient`; their events
    /// come back to this program.
    Program(runtime::AppState &state, windows::MainView &view, platform::ProcessMemory &memory,
            platform::StreamSocket &server, platform::StreamSocket &client);

    /// The end of start-up, once the settings are open and the window has loaded: takes the
    /// user's decimal separator for the dashboard's digit patterns, applies every setting
    /// (`applySettings`) and writes what start-up changed to the settings file at once.
    void start(char decimalSeparator);

    void menuChosen(dashboard::MenuItem item) override;
    void scanTick() override;
    void fieldTick() override { readField(); }
    void windowClosing() override;
    std::string serverDialogConfirmed(const std::string &port) override;
    std::string clientDialogConfirmed(const std::string &ip, const std::string &port) override;
    std::string webDialogConfirmed(bool enabled, const std::string &address,
                                   const std::string &port) override;

    /// The race engineer's window is asked for.
    std::function<void()> onOpenEngineer;
    /// The standings window is asked for.
    std::function<void()> onOpenStandings;
    /// Recording is asked to start or stop.
    std::function<void()> onRecordChosen;

    /// Whether the session is being recorded, for the menu's check mark.
    void setRecording(bool recording);

    /// The web dashboard's settings changed (and are stored): it starts, moves or stops.
    std::function<void()> onWebSettingsChanged;

    /// The overlay's settings changed (and are stored): its tiles show, hide, lock or unlock.
    std::function<void()> onOverlayChanged;
    /// The radio was turned on or off from the menu (and the setting stored).
    std::function<void()> onRadioChanged;
    /// A setting changed elsewhere (the engineer window): the screen and its menus show it.
    void refresh() { present(); }

    /// The screen was handed to the window, with the sample it shows for the first time (as
    /// read, before any unit conversion), or none when only other elements changed.
    std::function<void(const telemetry::TelemetrySample *sample)> onPresent;

    /// The address browsers open, shown while the web dashboard is on; empty while it is off.
    void setWebAddress(const std::string &url);
    /// The web dashboard listens at `url` now, or could not listen on `port` for `problem`:
    /// then the window says why, no address is shown, and the text said is returned.
    std::string webListened(int port, const std::string &problem, const std::string &url);

    /// Plays `player`'s session instead of reading the game: each tick shows the newest sample
    /// due, as if it came from the game (the server sends it, the log and the engineer take
    /// it). None goes back to the game.
    void setReplay(replay::ReplayPlayer *player);
    /// The replay moved to another point: what the window counts from lap to lap starts
    /// again.
    void replayMoved();

    /// The lap and fuel bookkeeping every view of the dashboard shows.
    const dashboard::LapBook &lapBook() const { return m_book; }
    /// What the window is drawn in, and the car the samples follow.
    dashboard::ViewOptions windowView() const;
    dashboard::FollowedSlot followed() const;

    /// Reads the field between two ticks while this copy reads the game itself (not a client,
    /// not a replay), for the standings' timing; the tick's sample is untouched. Hands the field
    /// to `onFieldRead` with the time it was read at.
    void readField();
    /// Whether the standings are looked at, in their window, by a browser or in tiles shown over
    /// the game: while they are, the window's field timer reads the field between the ticks.
    void watchStandings(bool windowShown, bool browsersServed, bool overlayShown);
    bool standingsWatched() const { return m_standingsWatched; }
    std::function<void(const telemetry::Standings &field, std::int64_t timeMs)> onFieldRead;

    /// Each sample acquired from the game (not a replayed or received one), with its time, the
    /// followed car's slot and the standings read with it.
    std::function<void(const replay::RecordedSample &acquired)> onAcquired;

    /// The last sample acquired or replayed, with its time and standings; a client has no
    /// standings (the link carries the followed car alone).
    const replay::RecordedSample &current() const { return m_current; }

    /// What arrived on the client socket: joins it, and processes each complete frame.
    /// Failures are reported under "TCPClient_DataArrival".
    void TCPClient_DataArrival();

    /// Writes every sample acquired or taken over to `log` as well; none by default.
    void setTelemetryLog(telemetry::TelemetryLog *log) { m_log = log; }

    /// One tick's work after the car-picture hand-off: saves a moved window position, keeps
    /// the connection up and, unless this is a client, checks the game and processes a
    /// sample. Failures are reported under "Temps".
    void Temps();

    /// The processing routine: acquires one sample from the game (or takes the received
    /// one), sends it as a server and shows it. Failures are reported under "Lectures" and
    /// end the run.
    void Lectures();

    /// Receives the debug lines after each event while debugging is on; none by default.
    void setDebugSink(std::function<void(const dashboard::DebugLines &)> sink) {
        m_debugSink = std::move(sink);
    }

    /// What the main window shows.
    const dashboard::Screen &screen() const { return m_screen; }

private:
    /// Applies language, scan time, connection mode, graphics mode, units and the
    /// show-server-data option, in that order.
    void applySettings();
    bool replayingAsClient() const;
    /// Where samples come from: the game (or a replay), or the server for a client.
    core::ConnectionMode sampleSource() const;
    void resetAttachment();
    void chooseMenuItem(dashboard::MenuItem item);
    void present();
    void applyConfirmedConnection(const core::Settings &before);
    void saveWindowPosition();
    enum class Received { WrongShape, StatusOnly, Sample };
    Received takeOverReceivedSample(telemetry::TelemetrySample &sample);
    void logSample(const telemetry::TelemetrySample &sample, const char *source,
                   const std::string &status);

    runtime::AppState &m_state;
    windows::MainView &m_view;
    dashboard::Screen m_screen;
    dashboard::DisplayState m_display;
    acquisition::GameAttachment m_attachment;
    acquisition::GameMemory m_memory;
    acquisition::Acquisition m_acquisition;
    dashboard::LapBook m_book;
    dashboard::DisplayPhase m_displayPhase;
    platform::StreamSocket &m_clientSocket;
    net::Connection m_connection;
    net::FrameJoiner m_joiner;
    std::string m_receivedSample;
    telemetry::TelemetryLog *m_log = nullptr;
    std::function<void(const dashboard::DebugLines &)> m_debugSink;
    // The last sample shown, for the web dashboard, and whether it is new since the last present.
    telemetry::TelemetrySample m_presentedSample;
    bool m_newSample = false;
    bool m_standingsWatched = false;
    replay::ReplayPlayer *m_replay = nullptr;
    // When the window last showed a sample, for dimming values that have stopped coming.
    dashboard::SampleAge m_sampleAge;
    std::int32_t m_replayTick = 0;
    std::optional<replay::RecordedSample> m_replayed;
    replay::RecordedSample m_current;
};

} // namespace ostrelo::app
