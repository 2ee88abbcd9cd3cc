// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/screen.h"
#include "i18n/texts.h"

#include <string>

namespace ostrelo::windows {

/// The main window as the program sees it: it draws the screen, and does what is not part of
/// the screen (messages, dialogs, the car picture, pausing the scan timer).
class MainView {
public:
    virtual ~MainView() = default;

    /// Draws `screen`, touching only what differs from what the window shows.
    virtual void apply(const dashboard::Screen &screen) = 0;
    /// Stops the scan timer.
    virtual void stopScanTimer() = 0;
    /// Starts the scan timer again with its interval; the next tick is one interval away.
    virtual void startScanTimer() = 0;
    /// Starts or stops the timer that reads the field between the ticks (every
    /// `telemetry::kFieldEveryMs`); one running already goes on as it is.
    virtual void runFieldTimer(bool running) = 0;
    /// Shows the message "Imposible abrir el proceso" without waiting for it; while one such
    /// message is open, another call does nothing.
    virtual void showOpenProcessFailure() = 0;
    /// Shows why the server cannot listen (`text`, in words a user can act on) without
    /// waiting for it; a message already open is replaced.
    virtual void showListenFailure(const std::string &text) = 0;
    /// Opens the port dialog `Intro_Port` with the current language and port, or brings it
    /// forward when it is open; never waits for it.
    virtual void openServerDialog(const i18n::Texts &texts, const std::string &port) = 0;
    /// Opens the address dialog `Intro_IP` the same way.
    virtual void openClientDialog(const i18n::Texts &texts, const std::string &ip,
                                  const std::string &port) = 0;
    /// Opens the web dashboard's dialog with its settings and the address browsers open now
    /// (`url`, empty while it is off), or brings it forward; never waits for it.
    virtual void openWebDialog(const i18n::Texts &texts, bool enabled, const std::string &address,
                               const std::string &port, const std::string &url) = 0;
    /// Shows the picture file at `path` as the car picture; false (and the picture unchanged)
    /// when it cannot be read.
    virtual bool loadCarPicture(const std::string &path) = 0;
    /// Opens the About window in the language of `texts`, or brings it forward.
    virtual void openAbout(const i18n::Texts &texts) = 0;
    /// The outer left edge of the main window, in whole twips.
    virtual double windowLeftTwips() const = 0;
    /// The outer top edge of the main window, in whole twips.
    virtual double windowTopTwips() const = 0;
};

/// What the main window reports to the program.
class MainViewEvents {
public:
    virtual ~MainViewEvents() = default;

    /// A menu item was chosen.
    virtual void menuChosen(dashboard::MenuItem item) = 0;
    /// The scan timer ticked.
    virtual void scanTick() = 0;
    /// The field timer ticked.
    virtual void fieldTick() = 0;
    /// The main window is closing; the program ends right after.
    virtual void windowClosing() = 0;
    /// OK on the port dialog with the port typed. Returns the message to show, or an empty
    /// text when the dialog may close.
    virtual std::string serverDialogConfirmed(const std::string &port) = 0;
    /// OK on the address dialog with the address and port typed; returns as above.
    virtual std::string clientDialogConfirmed(const std::string &ip, const std::string &port) = 0;
    /// OK on the web dashboard's dialog; returns as above.
    virtual std::string webDialogConfirmed(bool enabled, const std::string &address,
                                           const std::string &port) = 0;
};

} // namespace ostrelo::windows
