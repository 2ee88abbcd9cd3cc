// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::core {

/// The shortest scan interval the program runs at, in milliseconds.
inline constexpr std::int16_t kShortestScanTimeMs = 10;

/// How the program shares its samples; `TipusConexio` 0, 1 or 2 in the settings file.
enum class ConnectionMode : std::int16_t { None = 0, Server = 1, Client = 2 };

/// The unit system of the display; `Unitats` "Metric" or "Imperial" in the settings file.
enum class Units { Metric, Imperial };

/// The eight warning thresholds, in whole degrees (Celsius or Fahrenheit) and kPa or psi.
/// The settings hold them in metric units; the display holds them in the units in force.
struct Thresholds {
    std::int16_t MaxPneu = 100;
    std::int16_t MinPneu = 80;
    std::int16_t MaxMotor = 100;
    std::int16_t MinMotor = 90;
    std::int16_t MaxPress = 220;
    std::int16_t MinPress = 180;
    std::int16_t MaxFrens = 600;
    std::int16_t MinFrens = 300;
};

/// Every setting of the settings file, named after its INI key, with its default. The
/// thresholds of section MaxMin come from `Thresholds`, in metric units.
struct Settings : Thresholds {
    // [Opcions]
    std::string Idioma = "Español";
    std::int16_t ScanTime = 500;
    ConnectionMode TipusConexio = ConnectionMode::None;
    std::string Port = " 1001";
    std::string IP = "192.168.000.002";
    bool NoGrafics = false;
    Units Unitats = Units::Metric;
    bool DadesServ = true;
    std::int32_t PosFormX = 0;
    std::int32_t PosFormY = 0;
    std::int32_t BackgroundColor = 0;
    // [Administrar], [Depurar]
    bool Administrar = false;
    bool Depurar = false;
    // [Web]: the dashboard served to browsers, off until the user turns it on. The address
    // 0.0.0.0 listens on every address of this computer; without one (or with one that cannot
    // be used) only this computer is served.
    bool WebEnabled = false;
    std::string WebAddress = "127.0.0.1";
    std::string WebPort = " 8080";
    // [Overlay]: the glance tiles over the game's screen, hidden until the user shows them,
    // locked (clicks go to the game) until the user unlocks them to move them. The tiles are
    // named in a comma-separated list; an empty one stands for the default tiles.
    bool OverlayShown = false;
    bool OverlayLocked = true;
    std::string OverlayTiles;
    // [Radio]: the race engineer's spoken calls, off until the user turns them on; the volume
    // from 0 to 100, the kinds of call on as a comma-separated list of their names.
    bool RadioEnabled = false;
    bool RadioMuted = false;
    std::int16_t RadioVolume = 80;
    std::string RadioCalls = "fuel,box,add,best,position,temperature,limiter";
    // [Engineer]: the laps of fuel kept in reserve (0 to 3), and whether a lap's fuel is the
    // highest of the recent laps rather than their mean.
    std::int16_t EngineerReserve = 1;
    bool EngineerHighest = false;
};

/// Every key of the settings file, in the order start-up reads them.
enum class SettingKey {
    Idioma,
    ScanTime,
    TipusConexio,
    Port,
    IP,
    NoGrafics,
    Unitats,
    DadesServ,
    PosFormX,
    PosFormY,
    BackgroundColor,
    MaxPneu,
    MinPneu,
    MaxMotor,
    MinMotor,
    MaxPress,
    MinPress,
    MaxFrens,
    MinFrens,
    Administrar,
    Depurar,
    WebEnabled,
    WebAddress,
    WebPort,
    OverlayShown,
    OverlayLocked,
    OverlayTiles,
    RadioEnabled,
    RadioMuted,
    RadioVolume,
    RadioCalls,
    EngineerReserve,
    EngineerHighest,
};

/// The rule a stored setting breaks.
enum class SettingRule {
    Number,         ///< a number is called for
    Flag,           ///< True, False or a number is called for
    Range,          ///< the number does not fit the setting's type
    ScanTime,       ///< a scan time is at least 10 ms
    ConnectionMode, ///< 0 (none), 1 (server) or 2 (client)
    Units,          ///< exactly "Metric" or "Imperial"
    Port,           ///< a whole number from 1 to 65535
    Address,        ///< four groups of three digits
    ListenAddress,  ///< four numbers from 0 to 255
    Colour,         ///< a colour is not negative
    Language,       ///< one of the eight languages
};

/// A stored setting that could not be used: where it is, what it holds, the rule it breaks
/// and what replaces it.
struct SettingProblem {
    std::string section;
    std::string key;
    std::string storedText;
    SettingRule rule = SettingRule::Number;
    std::string replacement;
};

/// Settings as read at start-up, with the problems met on the way.
struct LoadedSettings {
    Settings settings;
    std::vector<SettingProblem> problems;
};

class SettingsStore;

/// Reads every setting from `store` in start-up order and applies the start-up corrections
/// (the port normalised). Every value that cannot be used as it stands is listed as a
/// problem and its default is used instead: a text that is not a number or a flag, a number
/// out of its type's range, a scan time below 10 ms, a connection mode other than 0 to 2, a
/// port outside 1 to 65535, an invalid address, units other than exactly "Metric" or
/// "Imperial", a negative background colour. Never fails.
LoadedSettings loadSettings(const SettingsStore &store);

/// Writes the setting `key` from `settings` to `store` in its stored form: numbers with
/// their leading blank, flags as "True" or "False", texts as held.
void saveSetting(SettingsStore &store, const Settings &settings, SettingKey key);

/// The stored place of the overlay tile named `tile` in section [Overlay], as written
/// ("x,y,w,h"); empty when none is stored.
std::string readOverlayPlace(const SettingsStore &store, std::string_view tile);

/// Stores `place` as the place of the overlay tile named `tile`.
void saveOverlayPlace(SettingsStore &store, std::string_view tile, std::string_view place);

/// Writes the eight thresholds back to section MaxMin, in their start-up order.
void writeThresholds(const Settings &settings, SettingsStore &store);

} // namespace ostrelo::core
