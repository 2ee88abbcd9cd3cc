#pragma once

#include "core/app_state.h"
#include "core/main_view.h"
#include "dashboard/display_state.h"

namespace ostrelo::app {

/// The program logic between the main window and the modules: the apply routines run when
/// the main window loads, the menu handlers, and the scan tick with `Temps`.
class Program : public core::MainViewEvents {
public:
    Program(core::AppState &state, core::MainView &view);

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

    const dashboard::DisplayState &display() const { return m_display; }

private:
    void resetAttachment();
    void saveWindowPosition();

    core::AppState &m_state;
    core::MainView &m_view;
    dashboard::DisplayState m_display;
};

} // namespace ostrelo::app
