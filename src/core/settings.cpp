// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/ip_address.h"
#include "core/settings_store.h"

#include <cmath>
#include <optional>
#include <string_view>
#include <type_traits>
#include <variant>

namespace ostrelo::core {
namespace {

// Where a setting is held, and so how it is read and written.
using Member =
    std::variant<std::string Settings::*, std::int16_t Settings::*, std::int32_t Settings::*,
                 bool Settings::*, ConnectionMode Settings::*, Units Settings::*>;

// The rule a value breaks, or nothing.
using Broken = std::optional<SettingRule>;

// One row of the key table: the key, where its value is held, and the rule a value must meet
// beyond its type.
struct KeyRow {
    SettingKey key;
    const char *section;
    const char *name;
    Member member;
    Broken (*check)(const Settings &) = nullptr;
};

// A port is held as the text of a whole number from 1 to 65535, with its leading blank.
Broken portRule(const std::string &port) {
    const double number = TextToNumber(port);
    return number != std::floor(number) || number < 1 || number > 65535 ? Broken(SettingRule::Port)
                                                                        : std::nullopt;
}

// The section of the overlays: their switches, and each tile's place under the tile's name.
constexpr const char *kOverlaySection = "Overlay";

// clang-format off
const KeyRow kKeys[] = {
    {SettingKey::Idioma, "Opcions", "Idioma", &Settings::Idioma},
    {SettingKey::ScanTime, "Opcions", "ScanTime", &Settings::ScanTime, [](const Settings &s) {
         // Below the menu's shortest interval the scan would take the whole processor, or (at
         // 0 and below) never run.
         return s.ScanTime < kShortestScanTimeMs ? Broken(SettingRule::ScanTime) : std::nullopt; }},
    {SettingKey::TipusConexio, "Opcions", "TipusConexio", &Settings::TipusConexio},
    {SettingKey::Port, "Opcions", "Port", &Settings::Port, [](const Settings &s) {
         return portRule(s.Port); }},
    {SettingKey::IP, "Opcions", "IP", &Settings::IP, [](const Settings &s) {
         return Valid_IP(s.IP) ? std::nullopt : Broken(SettingRule::Address); }},
    {SettingKey::NoGrafics, "Opcions", "NoGrafics", &Settings::NoGrafics},
    {SettingKey::Unitats, "Opcions", "Unitats", &Settings::Unitats},
    {SettingKey::DadesServ, "Opcions", "DadesServ", &Settings::DadesServ},
    {SettingKey::PosFormX, "Opcions", "PosFormX", &Settings::PosFormX},
    {SettingKey::PosFormY, "Opcions", "PosFormY", &Settings::PosFormY},
    {SettingKey::BackgroundColor, "Opcions", "BackgroundColor", &Settings::BackgroundColor, [](const Settings &s) {
         return s.BackgroundColor < 0 ? Broken(SettingRule::Colour) : std::nullopt; }},
    {SettingKey::MaxPneu, "MaxMin", "MaxPneu", &Settings::MaxPneu},
    {SettingKey::MinPneu, "MaxMin", "MinPneu", &Settings::MinPneu},
    {SettingKey::MaxMotor, "MaxMin", "MaxMotor", &Settings::MaxMotor},
    {SettingKey::MinMotor, "MaxMin", "MinMotor", &Settings::MinMotor},
    {SettingKey::MaxPress, "MaxMin", "MaxPress", &Settings::MaxPress},
    {SettingKey::MinPress, "MaxMin", "MinPress", &Settings::MinPress},
    {SettingKey::MaxFrens, "MaxMin", "MaxFrens", &Settings::MaxFrens},
    {SettingKey::MinFrens, "MaxMin", "MinFrens", &Settings::MinFrens},
    {SettingKey::Administrar, "Administrar", "Administrar", &Settings::Administrar},
    {SettingKey::Depurar, "Depurar", "Depurar", &Settings::Depurar},
    {SettingKey::WebEnabled, "Web", "Enabled", &Settings::WebEnabled},
    {SettingKey::WebAddress, "Web", "Address", &Settings::WebAddress, [](const Settings &s) {
         return isListenAddress(s.WebAddress)
                    ? std::nullopt : Broken(SettingRule::ListenAddress); }},
    {SettingKey::WebPort, "Web", "Port", &Settings::WebPort, [](const Settings &s) {
         return portRule(s.WebPort); }},
    {SettingKey::OverlayShown, kOverlaySection, "Shown", &Settings::OverlayShown},
    {SettingKey::OverlayLocked, kOverlaySection, "Locked", &Settings::OverlayLocked},
    {SettingKey::OverlayTiles, kOverlaySection, "Tiles", &Settings::OverlayTiles},
    {SettingKey::RadioEnabled, "Radio", "Enabled", &Settings::RadioEnabled},
    {SettingKey::RadioMuted, "Radio", "Muted", &Settings::RadioMuted},
    {SettingKey::RadioVolume, "Radio", "Volume", &Settings::RadioVolume, [](const Settings &s) {
         return s.RadioVolume < 0 || s.RadioVolume > 100 ? Broken(SettingRule::Range) : std::nullopt; }},
    {SettingKey::RadioCalls, "Radio", "Calls", &Settings::RadioCalls},
    {SettingKey::EngineerReserve, "Engineer", "Reserve", &Settings::EngineerReserve, [](const Settings &s) {
         return s.EngineerReserve < 0 || s.EngineerReserve > 3 ? Broken(SettingRule::Range) : std::nullopt; }},
    {SettingKey::EngineerHighest, "Engineer", "Highest", &Settings::EngineerHighest},
};
// clang-format on

const KeyRow &rowOf(SettingKey key) {
    return kKeys[static_cast<std::size_t>(key)];
}

// The text of a held value as the file stores it.
std::string storedForm(const Settings &settings, const Member &member) {
    return std::visit(
        [&settings](auto field) -> std::string {
            const auto &value = settings.*field;
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return value;
            } else if constexpr (std::is_same_v<T, bool>) {
                return FlagToText(value);
            } else if constexpr (std::is_same_v<T, ConnectionMode>) {
                return NumberToText(static_cast<int>(value));
            } else if constexpr (std::is_same_v<T, Units>) {
                return value == Units::Imperial ? "Imperial" : "Metric";
            } else {
                return NumberToText(value);
            }
        },
        member);
}

// The default in the form a missing key reads as: numbers without their leading blank, flags
// as 0 or 1.
std::string defaultText(const Member &member) {
    const Settings defaults;
    return std::visit(
        [&defaults](auto field) -> std::string {
            const auto &value = defaults.*field;
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, bool>) {
                return value ? "1" : "0";
            } else if constexpr (std::is_arithmetic_v<T>) {
                return std::to_string(value);
            } else {
                return std::string(trimBlanks(storedForm(defaults, field)));
            }
        },
        member);
}

// What the user is told replaces a bad value: the default as a person reads it.
std::string shownDefault(const Member &member) {
    const Settings defaults;
    return std::string(trimBlanks(storedForm(defaults, member)));
}

// Runs `convert`, a conversion that throws RunTimeError when the text does not fit; `broken`
// when it throws.
template <typename Convert> Broken unless(SettingRule broken, Convert &&convert) {
    try {
        convert();
        return std::nullopt;
    } catch (const RunTimeError &) {
        return broken;
    }
}

// Converts `text` into the member's type, or gives the rule it breaks. "500ms" or "abc" would
// read as 500 or 0: a correction the user must hear of.
Broken convertInto(Settings &settings, const Member &member, const std::string &text) {
    return std::visit(
        [&](auto field) -> Broken {
            auto &value = settings.*field;
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, bool>) {
                return unless(SettingRule::Flag, [&] { value = TextToFlag(text); });
            } else if constexpr (std::is_same_v<T, std::string>) {
                if (field != &Settings::Port && field != &Settings::WebPort) {
                    value = text;
                    return std::nullopt;
                }
                if (!isStrictNumber(text)) {
                    return SettingRule::Number;
                }
                value = NumberToText(TextToNumber(text));
                return std::nullopt;
            } else if constexpr (std::is_same_v<T, ConnectionMode>) {
                if (!isStrictNumber(text)) {
                    return SettingRule::Number;
                }
                // Beyond the 16-bit range it is no mode either.
                std::int16_t mode = -1;
                const Broken overflow = unless(SettingRule::ConnectionMode,
                                               [&] { mode = ToInteger16(TextToNumber(text)); });
                if (overflow || mode < 0 || mode > 2) {
                    return SettingRule::ConnectionMode;
                }
                value = static_cast<ConnectionMode>(mode);
                return std::nullopt;
            } else if constexpr (std::is_same_v<T, Units>) {
                // Letter case counts: "imperial" is no unit system.
                if (text != "Metric" && text != "Imperial") {
                    return SettingRule::Units;
                }
                value = text == "Imperial" ? Units::Imperial : Units::Metric;
                return std::nullopt;
            } else {
                if (!isStrictNumber(text)) {
                    return SettingRule::Number;
                }
                return unless(SettingRule::Range, [&] {
                    if constexpr (std::is_same_v<T, std::int16_t>) {
                        value = ToInteger16(TextToNumber(text));
                    } else {
                        value = ToInteger32(TextToNumber(text));
                    }
                });
            }
        },
        member);
}

} // namespace

LoadedSettings loadSettings(const SettingsStore &store) {
    LoadedSettings loaded;
    const Settings defaults;
    for (const KeyRow &row : kKeys) {
        const std::string stored = store.read(row.section, row.name, defaultText(row.member));
        Broken broken = convertInto(loaded.settings, row.member, stored);
        if (!broken && row.check) {
            broken = row.check(loaded.settings);
        }
        if (broken) {
            loaded.problems.push_back(
                {row.section, row.name, stored, *broken, shownDefault(row.member)});
            std::visit([&](auto field) { loaded.settings.*field = defaults.*field; }, row.member);
        }
    }
    return loaded;
}

void saveSetting(SettingsStore &store, const Settings &settings, SettingKey key) {
    const KeyRow &row = rowOf(key);
    store.write(row.section, row.name, storedForm(settings, row.member));
}

std::string readOverlayPlace(const SettingsStore &store, std::string_view tile) {
    return store.read(kOverlaySection, tile, "");
}

void saveOverlayPlace(SettingsStore &store, std::string_view tile, std::string_view place) {
    store.write(kOverlaySection, tile, place);
}

void writeThresholds(const Settings &settings, SettingsStore &store) {
    for (const KeyRow &row : kKeys) {
        if (std::string_view(row.section) == "MaxMin") {
            saveSetting(store, settings, row.key);
        }
    }
}

} // namespace ostrelo::core
