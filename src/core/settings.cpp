// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/ip_address.h"
#include "core/settings_store.h"

#include <cmath>
#include <string_view>
#include <type_traits>
#include <variant>

namespace ostrelo::core {
namespace {

// Where a setting is held, and so how it is read and written.
using Member =
    std::variant<std::string Settings::*, std::int16_t Settings::*, std::int32_t Settings::*,
                 bool Settings::*, ConnectionMode Settings::*, Units Settings::*>;

// One row of the key table: the key, where its value is held, and the rule a value must meet
// beyond its type (the reason it fails, or nullptr).
struct KeyRow {
    SettingKey key;
    const char *section;
    const char *name;
    Member member;
    const char *(*check)(const Settings &) = nullptr;
};

// A port is held as the text of a whole number from 1 to 65535, with its leading blank.
const char *portRule(const std::string &port) {
    const double number = TextToNumber(port);
    return number != std::floor(number) || number < 1 || number > 65535
               ? "a port is a whole number from 1 to 65535"
               : nullptr;
}

// clang-format off
const KeyRow kKeys[] = {
    {SettingKey::Idioma, "Opcions", "Idioma", &Settings::Idioma},
    {SettingKey::ScanTime, "Opcions", "ScanTime", &Settings::ScanTime, [](const Settings &s) {
         // Below the menu's shortest interval the scan would take the whole processor, or (at
         // 0 and below) never run.
         return s.ScanTime < kShortestScanTimeMs ? "a scan time is at least 10 ms" : nullptr; }},
    {SettingKey::TipusConexio, "Opcions", "TipusConexio", &Settings::TipusConexio},
    {SettingKey::Port, "Opcions", "Port", &Settings::Port, [](const Settings &s) {
         return portRule(s.Port); }},
    {SettingKey::IP, "Opcions", "IP", &Settings::IP, [](const Settings &s) {
         return Valid_IP(s.IP) ? nullptr : "an address is four groups of three digits"; }},
    {SettingKey::NoGrafics, "Opcions", "NoGrafics", &Settings::NoGrafics},
    {SettingKey::Unitats, "Opcions", "Unitats", &Settings::Unitats},
    {SettingKey::DadesServ, "Opcions", "DadesServ", &Settings::DadesServ},
    {SettingKey::PosFormX, "Opcions", "PosFormX", &Settings::PosFormX},
    {SettingKey::PosFormY, "Opcions", "PosFormY", &Settings::PosFormY},
    {SettingKey::BackgroundColor, "Opcions", "BackgroundColor", &Settings::BackgroundColor, [](const Settings &s) {
         return s.BackgroundColor < 0 ? "a colour cannot be negative" : nullptr; }},
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
                    ? nullptr : "an address is four numbers from 0 to 255"; }},
    {SettingKey::WebPort, "Web", "Port", &Settings::WebPort, [](const Settings &s) {
         return portRule(s.WebPort); }},
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

// Converts `text` into the member's type, throwing RunTimeError when it does not convert.
// "500ms" or "abc" would read as 500 or 0: a correction the user must hear of.
void convertInto(Settings &settings, const Member &member, const std::string &text) {
    const auto requireNumber = [&text] {
        if (!isStrictNumber(text)) {
            throw RunTimeError("TextToNumber", "not a number");
        }
    };
    std::visit(
        [&](auto field) {
            auto &value = settings.*field;
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, bool>) {
                value = TextToFlag(text);
            } else if constexpr (std::is_same_v<T, std::string>) {
                if (field == &Settings::Port || field == &Settings::WebPort) {
                    requireNumber();
                    value = NumberToText(TextToNumber(text));
                } else {
                    value = text;
                }
            } else if constexpr (std::is_same_v<T, std::int16_t>) {
                requireNumber();
                value = ToInteger16(TextToNumber(text));
            } else if constexpr (std::is_same_v<T, ConnectionMode>) {
                requireNumber();
                const std::int16_t mode = ToInteger16(TextToNumber(text));
                if (mode < 0 || mode > 2) {
                    throw RunTimeError("TipusConexio",
                                       "the connection is 0 (none), 1 (server) or 2 (client)");
                }
                value = static_cast<ConnectionMode>(mode);
            } else if constexpr (std::is_same_v<T, Units>) {
                // Letter case counts: "imperial" is no unit system.
                if (text != "Metric" && text != "Imperial") {
                    throw RunTimeError("Unitats", "the units are Metric or Imperial");
                }
                value = text == "Imperial" ? Units::Imperial : Units::Metric;
            } else {
                requireNumber();
                value = ToInteger32(TextToNumber(text));
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
        const char *reason = nullptr;
        std::string why;
        try {
            convertInto(loaded.settings, row.member, stored);
            reason = row.check ? row.check(loaded.settings) : nullptr;
        } catch (const RunTimeError &error) {
            why = error.what();
        }
        if (reason) {
            why = reason;
        }
        if (!why.empty()) {
            loaded.problems.push_back(
                {row.section, row.name, stored, why, shownDefault(row.member)});
            std::visit([&](auto field) { loaded.settings.*field = defaults.*field; }, row.member);
        }
    }
    return loaded;
}

void saveSetting(SettingsStore &store, const Settings &settings, SettingKey key) {
    const KeyRow &row = rowOf(key);
    store.write(row.section, row.name, storedForm(settings, row.member));
}

void writeThresholds(const Settings &settings, SettingsStore &store) {
    for (const KeyRow &row : kKeys) {
        if (std::string_view(row.section) == "MaxMin") {
            saveSetting(store, settings, row.key);
        }
    }
}

std::string describeProblem(const SettingProblem &problem, const std::string &iniPath) {
    return iniPath + ": [" + problem.section + "] " + problem.key + " holds \"" +
           problem.storedText + "\" (" + problem.reason + "); using " + problem.replacement +
           " instead.";
}

} // namespace ostrelo::core
