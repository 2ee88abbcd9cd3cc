#pragma once

#include "acquisition/acquisition.h"
#include "acquisition/game_attachment.h"
#include "acquisition/game_memory.h"
#include "core/app_state.h"
#include "core/main_view.h"
#include "dashboard/display_phase.h"
#include "dashboard/display_state.h"
#include "platform/process_memory.h"

namespace ostrelo::app {

/// The program logic between the main window and the modules: the apply routines run when
/// the main window loads, the menu handlers, and the scan tick with `Temps`.
class Program : public core::MainViewEvents {
public:
    Program(core::AppState &state, core::MainView &view, platform::ProcessMemory &memory);

    /// The end of the main window's load step: applies language, scan time, connection mode,
    /// graphics mode, units and the show-server-data option, in that order.
    void applySettings();

    void menuChosen(core::MenuItem item) override;
    void scanTick() override;
    void windowClosing() override;

    /// One tick's work after the car-picture hand-off: saves a moved window position, keeps
    /// the connection up and, unless this is a client, checks the game and processes a
    /// sample. Failures are reported under "Temps".
    void Temps();

    /// The processing routine: acquires one sample from the game (or takes the received
    /// one), sends it as a server and shows it. Failures are reported under "Lectures" and
    /// end the run.
    void Lectures();

    /// The user's decimal separator for the dashboard's digit patterns.
    void setDecimalSeparator(char separator) { m_display.decimalSeparator = separator; }

    const dashboard::DisplayState &display() const { return m_display; }
    const acquisition::GameAttachment &attachment() const { return m_attachment; }

private:
    void resetAttachment();
    void saveWindowPosition();

    core::AppState &m_state;
    core::MainView &m_view;
    dashboard::DisplayState m_display;
    acquisition::GameAttachment m_attachment;
    acquisition::GameMemory m_memory;
    acquisition::Acquisition m_acquisition;
    dashboard::DisplayPhase m_displayPhase;
};

} // namespace ostrelo::app
