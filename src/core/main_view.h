// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/texts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrelo::core {

/// A colour packed as 0x00BBGGRR.
using Colour = std::uint32_t;

/// The text labels of the main window, by their design names.
enum class Label : std::uint8_t {
    Label1 = 1,
    Label2 = 2,
    Label3 = 3,
    Label4 = 4,
    Label5 = 5,
    Label6 = 6,
    Label7 = 7,
    Label8 = 8,
    Label9 = 9,
    Label10 = 10,
    Label11 = 11,
    Label12 = 12,
    Label13 = 13,
    Label14 = 14,
    Label15 = 15,
    Label16 = 16,
    Label17 = 17,
    Label18 = 18,
    Label19 = 19,
    Label20 = 20,
    Label21 = 21,
    Label22 = 22,
    Label23 = 23,
    Label24 = 24,
    Label25 = 25,
    Label26 = 26,
    Label27 = 27,
    Label28 = 28,
    Label29 = 29,
    Label30 = 30,
    Label31 = 31,
    Label32 = 32,
    Label33 = 33,
    Label34 = 34,
    Label35 = 35,
    Label36 = 36,
    Label37 = 37,
    Label38 = 38,
    Label39 = 39,
    Label40 = 40,
    Label41 = 41,
    Label42 = 42,
    Label43 = 43,
    Label44 = 44,
    Label45 = 45,
    Label46 = 46,
    Label47 = 47,
    Label48 = 48
};

/// The menu items of the main window, by their design names.
enum class MenuItem : std::uint8_t {
    Archivo,
    Salir,
    Opciones,
    Espanol,
    Catala,
    Asturianu,
    English,
    Francais,
    Deutsch,
    Dutch,
    Italiano,
    Graficos,
    Metrico,
    Imperial,
    TempsRefresc,
    TS_10,
    TS_50,
    TS_150,
    TS_500,
    TS_1000,
    Conexio,
    Cap,
    Servidor,
    Client,
    VeureDadesServidor,
    AcercaDe,
};

/// The dashboard elements that the display logic writes. Lamps are the `Command1` array
/// (1 to 7), bars `ProgressBar1` to `ProgressBar4`, markers `Shape1` to `Shape4`.
class DashboardView {
public:
    virtual ~DashboardView() = default;

    /// Sets the caption of a label.
    virtual void setCaption(Label label, std::string_view text) = 0;
    /// The caption a label shows now.
    virtual std::string caption(Label label) const = 0;
    /// Sets the background colour of a label.
    virtual void setBackground(Label label, Colour colour) = 0;
    /// Lights (enables) or greys (disables) a lamp.
    virtual void setLampLit(int lamp, bool lit) = 0;
    /// Sets the caption of a lamp.
    virtual void setLampCaption(int lamp, std::string_view text) = 0;
    /// Sets the `value` of a bar gauge.
    virtual void setBarValue(int bar, double value) = 0;
    /// Sets the `maxvalue` of a bar gauge (the value of a full bar).
    virtual void setBarMaximum(int bar, double maximum) = 0;
    /// Sets the `text` drawn over a bar gauge.
    virtual void setBarText(int bar, std::string_view text) = 0;
    /// Shows or hides a wheel-lock marker.
    virtual void setMarkerVisible(int marker, bool visible) = 0;
};

/// The rest of the main window that the program logic drives: menus, the scan timer and the
/// window's position.
class ShellView {
public:
    virtual ~ShellView() = default;

    /// Sets or clears the check mark of a menu item.
    virtual void setMenuChecked(MenuItem item, bool checked) = 0;
    /// Enables or disables a menu item.
    virtual void setMenuEnabled(MenuItem item, bool enabled) = 0;
    /// Sets the caption of a menu or menu item.
    virtual void setMenuCaption(MenuItem item, std::string_view text) = 0;
    /// Sets the scan interval in milliseconds and restarts the timer; 0 or less stops it.
    virtual void setScanInterval(int intervalMs) = 0;
    /// Stops the scan timer.
    virtual void stopScanTimer() = 0;
    /// Starts the scan timer again with its interval; the next tick is one interval away.
    virtual void startScanTimer() = 0;
    /// Shows the message "Imposible abrir el proceso" without waiting for it; while one such
    /// message is open, another call does nothing.
    virtual void showOpenProcessFailure() = 0;
    /// Shows why the server cannot listen (`text`, in words a user can act on) without
    /// waiting for it; a message already open is replaced.
    virtual void showListenFailure(const std::string &text) = 0;
    /// Opens the port dialog `Intro_Port` with the current language and port, or brings it
    /// forward when it is open; never waits for it.
    virtual void openServerDialog(const Texts &texts, const std::string &port) = 0;
    /// Opens the address dialog `Intro_IP` the same way.
    virtual void openClientDialog(const Texts &texts, const std::string &ip,
                                  const std::string &port) = 0;
    /// Shows the picture file at `path` as the car picture; false (and the picture unchanged)
    /// when it cannot be read.
    virtual bool loadCarPicture(const std::string &path) = 0;
    /// Opens the About window in the language of `texts`, or brings it forward.
    virtual void openAbout(const Texts &texts) = 0;
    /// The outer left edge of the main window, in whole twips.
    virtual double windowLeftTwips() const = 0;
    /// The outer top edge of the main window, in whole twips.
    virtual double windowTopTwips() const = 0;
};

/// The main window as the program logic sees it.
class MainView : public DashboardView, public ShellView {};

/// What the main window reports to the program logic.
class MainViewEvents {
public:
    virtual ~MainViewEvents() = default;

    /// A menu item was chosen.
    virtual void menuChosen(MenuItem item) = 0;
    /// The scan timer ticked.
    virtual void scanTick() = 0;
    /// The main window is closing; the program ends right after.
    virtual void windowClosing() = 0;
    /// OK on the port dialog with the port typed. Returns the message to show, or an empty
    /// text when the dialog may close.
    virtual std::string serverDialogConfirmed(const std::string &port) = 0;
    /// OK on the address dialog with the address and port typed; returns as above.
    virtual std::string clientDialogConfirmed(const std::string &ip, const std::string &port) = 0;
};

} // namespace ostrelo::core
