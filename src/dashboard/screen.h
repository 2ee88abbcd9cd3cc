// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ostrelo::dashboard {

/// A colour packed as 0x00BBGGRR.
using Colour = std::uint32_t;

/// A colour from its red, green and blue components.
constexpr Colour rgb(unsigned red, unsigned green, unsigned blue) {
    return red | (green << 8) | (blue << 16);
}

/// The items of the main window's menu bar, by their design names, in menu order.
enum class MenuItem : std::uint8_t {
    Archivo,
    /// Recording the session to a file, on or off.
    Gravar,
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
    /// The race engineer's window.
    Enginyer,
    /// The timing tower of the whole field.
    Classificacio,
    /// The glance tiles over the game: the submenu, showing them, locking them.
    Superposicio,
    SuperposicioVisible,
    SuperposicioBloquejada,
    /// The race engineer's spoken calls, on or off.
    Radio,
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
    /// The dashboard for browsers.
    PanellWeb,
    AcercaDe,
};
inline constexpr std::size_t kMenuItemCount = 34;

/// A value in a box whose background shows where the value lies against its thresholds.
struct Reading {
    std::string text;
    Colour background = rgb(255, 255, 255);
    bool operator==(const Reading &) const = default;
};

/// A lamp of the bottom row: its caption, lit or greyed.
struct Lamp {
    std::string caption;
    bool lit = false;
    bool operator==(const Lamp &) const = default;
};

/// A bar gauge: filled to `value` of `maximum`, with `text` drawn over it.
struct Bar {
    std::string text;
    double value = 0;
    double maximum = 100;
    bool operator==(const Bar &) const = default;
};

/// A menu item's caption, check mark and whether it can be chosen.
struct MenuEntry {
    std::string caption;
    bool checked = false;
    bool enabled = true;
    bool operator==(const MenuEntry &) const = default;
};

/// Everything the main window shows, as a plain value: the program computes it, and each view
/// draws it or compares it. Wheels are indexed FL, FR, RL, RR; tyre zones 0 to 2.
struct Screen {
    /// The menus with their fixed captions (language names, scan times), nothing checked.
    Screen();

    // The two status lines, and the address browsers open while the web dashboard is on.
    std::string gameStatus;
    std::string linkStatus;
    std::string webAddress;
    /// While no new sample comes, the notice that the values shown are old, in the language in
    /// force: the window dims the values under it. Empty while samples come.
    std::string oldDataNotice;

    // Session.
    std::string trackName;
    std::string carName;
    std::string ambientTemp;
    std::string trackTemp;

    // Driver inputs and gear.
    std::string throttle;
    std::string brake;
    std::string gear;

    // Laps and fuel.
    std::string lapNumber;
    std::string fuel;
    std::string fuelUsedLastLap;
    std::string bestLap;
    std::string lastLap;

    // The fixed captions in the language in force.
    std::string lapTimesCaption;
    std::string lapCaption;
    std::string fuelLastLapCaption;
    std::string waterCaption;
    std::string oilCaption;

    // Engine, tyres and brakes, coloured by their thresholds.
    Reading waterTemp;
    Reading oilTemp;
    std::array<std::array<Reading, 3>, 4> tyreTemp;
    std::array<Reading, 4> tyrePressure;
    std::array<Reading, 4> brakeTemp;
    std::array<std::string, 4> tyreWear;

    // The lamp row, left to right.
    Lamp pitLimiter;
    Lamp inPits;
    Lamp position;
    Lamp tractionControl;
    Lamp abs;
    Lamp ignition;
    Lamp engine;

    Bar throttleBar;
    Bar brakeBar;
    Bar rpm{.text = {}, .value = 0, .maximum = 10000};
    Bar speed{.text = {}, .value = 0, .maximum = 10000};

    /// Wheels turning clearly slower than the car moves.
    std::array<bool, 4> wheelLocked{};

    std::array<MenuEntry, kMenuItemCount> menus;
    /// The scan timer's interval in milliseconds; 0 stops it.
    int scanIntervalMs = 0;

    MenuEntry &menu(MenuItem item) { return menus[static_cast<std::size_t>(item)]; }
    const MenuEntry &menu(MenuItem item) const { return menus[static_cast<std::size_t>(item)]; }

    bool operator==(const Screen &) const = default;
};

/// One entry of the menu bar: the item, the menu it belongs to (the item itself for a
/// top-level menu), its fixed caption (empty when the language gives it), whether it carries a
/// check mark, whether a separator comes before it, and whether it opens a submenu of its own.
struct MenuLayoutEntry {
    MenuItem item;
    MenuItem menu;
    const char *fixedCaption = "";
    bool checkable = false;
    bool separatorBefore = false;
    bool submenu = false;
};

/// The menu bar in menu order.
std::span<const MenuLayoutEntry> menuLayout();

/// The language menu items with the language each one chooses (its name in `Idioma`).
struct LanguageItem {
    MenuItem item;
    std::string_view idioma;
};
std::span<const LanguageItem> languageItems();

} // namespace ostrelo::dashboard
