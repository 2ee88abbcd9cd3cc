// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/ini_file.h"
#include "core/ip_address.h"

#include <cmath>
#include <string_view>
#include <type_traits>

namespace ostrelo::core {
namespace {

// Reads one key and converts it; a text that does not convert is listed as a problem and
// the key's default is used instead.
class SettingReader {
public:
    SettingReader(const std::string &path, std::vector<SettingProblem> &problems)
        : m_path(path), m_problems(problems) {}

    std::string text(std::string_view section, std::string_view key,
                     std::string_view defaultText) const {
        return ReadIni(m_path, section, key, defaultText);
    }

    std::int16_t integer16(std::string_view section, std::string_view key,
                           std::int16_t defaultValue) const {
        return convert(section, key, defaultValue, NumberToText(defaultValue),
                       [](const std::string &t) { return ToInteger16(TextToNumber(t)); });
    }

    std::int32_t integer32(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const {
        return convert(section, key, defaultValue, NumberToText(defaultValue),
                       [](const std::string &t) { return ToInteger32(TextToNumber(t)); });
    }

    bool flag(std::string_view section, std::string_view key, bool defaultValue) const {
        return convert(section, key, defaultValue, defaultValue ? "1" : "0",
                       [](const std::string &t) { return TextToFlag(t); });
    }

    void reject(std::string_view section, std::string_view key, std::string storedText,
                std::string reason, std::string replacement) const {
        m_problems.push_back({std::string(section), std::string(key), std::move(storedText),
                              std::move(reason), std::move(replacement)});
    }

private:
    template <typename T, typename Convert>
    T convert(std::string_view section, std::string_view key, T defaultValue,
              const std::string &defaultText, Convert convertText) const {
        const std::string stored = text(section, key, trimBlanks(defaultText));
        try {
            // "500ms" or "abc" would read as 500 or 0: a correction the user must hear of.
            if constexpr (!std::is_same_v<T, bool>) {
                if (!isStrictNumber(stored)) {
                    throw RunTimeError("TextToNumber", "not a number");
                }
            }
            return convertText(stored);
        } catch (const RunTimeError &error) {
            reject(section, key, stored, error.what(), describe(defaultValue));
            return defaultValue;
        }
    }

    template <typename T> static std::string describe(T value) {
        if constexpr (std::is_same_v<T, bool>) {
            return FlagToText(value);
        } else {
            return std::to_string(value);
        }
    }

    const std::string &m_path;
    std::vector<SettingProblem> &m_problems;
};

} // namespace

LoadedSettings loadSettings(const std::string &iniPath) {
    LoadedSettings loaded;
    Settings &s = loaded.settings;
    const Settings defaults;
    const SettingReader read(iniPath, loaded.problems);

    s.Idioma = read.text("Opcions", "Idioma", defaults.Idioma);
    s.ScanTime = read.integer16("Opcions", "ScanTime", defaults.ScanTime);
    if (s.ScanTime < kShortestScanTimeMs) {
        // Below the menu's shortest interval the scan would take the whole processor, or
        // (at 0 and below) never run.
        read.reject("Opcions", "ScanTime", read.text("Opcions", "ScanTime", "500"),
                    "a scan time is at least 10 ms", std::to_string(defaults.ScanTime));
        s.ScanTime = defaults.ScanTime;
    }
    s.TipusConexio = read.integer16("Opcions", "TipusConexio", defaults.TipusConexio);
    if (s.TipusConexio < 0 || s.TipusConexio > 2) {
        read.reject("Opcions", "TipusConexio", read.text("Opcions", "TipusConexio", "0"),
                    "the connection is 0 (none), 1 (server) or 2 (client)", "0");
        s.TipusConexio = defaults.TipusConexio;
    }
    const std::string port = read.text("Opcions", "Port", "1001");
    s.Port = NumberToText(TextToNumber(port));
    if (const double number = TextToNumber(port);
        !isStrictNumber(port) || number != std::floor(number) || number < 1 || number > 65535) {
        read.reject("Opcions", "Port", port, "a port is a whole number from 1 to 65535", "1001");
        s.Port = defaults.Port;
    }
    s.IP = read.text("Opcions", "IP", defaults.IP);
    if (!Valid_IP(s.IP)) {
        read.reject("Opcions", "IP", s.IP, "an address is four groups of three digits",
                    defaults.IP);
        s.IP = defaults.IP;
    }
    s.NoGrafics = read.flag("Opcions", "NoGrafics", defaults.NoGrafics);
    s.Unitats = read.text("Opcions", "Unitats", defaults.Unitats);
    if (s.Unitats != "Imperial" && s.Unitats != "Metric") {
        read.reject("Opcions", "Unitats", s.Unitats, "the units are Metric or Imperial",
                    defaults.Unitats);
        s.Unitats = defaults.Unitats;
    }
    s.DadesServ = read.flag("Opcions", "DadesServ", defaults.DadesServ);
    s.PosFormX = read.integer32("Opcions", "PosFormX", defaults.PosFormX);
    s.PosFormY = read.integer32("Opcions", "PosFormY", defaults.PosFormY);
    s.BackgroundColor = read.integer32("Opcions", "BackgroundColor", defaults.BackgroundColor);
    if (s.BackgroundColor < 0) {
        read.reject("Opcions", "BackgroundColor", read.text("Opcions", "BackgroundColor", "0"),
                    "a colour cannot be negative", "0");
        s.BackgroundColor = 0;
    }

    s.MaxPneu = read.integer16("MaxMin", "MaxPneu", defaults.MaxPneu);
    s.MinPneu = read.integer16("MaxMin", "MinPneu", defaults.MinPneu);
    s.MaxMotor = read.integer16("MaxMin", "MaxMotor", defaults.MaxMotor);
    s.MinMotor = read.integer16("MaxMin", "MinMotor", defaults.MinMotor);
    s.MaxPress = read.integer16("MaxMin", "MaxPress", defaults.MaxPress);
    s.MinPress = read.integer16("MaxMin", "MinPress", defaults.MinPress);
    s.MaxFrens = read.integer16("MaxMin", "MaxFrens", defaults.MaxFrens);
    s.MinFrens = read.integer16("MaxMin", "MinFrens", defaults.MinFrens);

    s.Administrar = read.flag("Administrar", "Administrar", defaults.Administrar);
    s.Depurar = read.flag("Depurar", "Depurar", defaults.Depurar);
    return loaded;
}

void writeThresholds(const Settings &s, const std::string &iniPath) {
    const std::pair<const char *, std::int16_t> thresholds[] = {
        {"MaxPneu", s.MaxPneu},   {"MinPneu", s.MinPneu},   {"MaxMotor", s.MaxMotor},
        {"MinMotor", s.MinMotor}, {"MaxPress", s.MaxPress}, {"MinPress", s.MinPress},
        {"MaxFrens", s.MaxFrens}, {"MinFrens", s.MinFrens},
    };
    for (const auto &[key, value] : thresholds) {
        WriteIni("MaxMin", key, NumberToText(value), iniPath);
    }
}

std::string describeProblem(const SettingProblem &problem, const std::string &iniPath) {
    return iniPath + ": [" + problem.section + "] " + problem.key + " holds \"" +
           problem.storedText + "\" (" + problem.reason + "); using " + problem.replacement +
           " instead.";
}

} // namespace ostrelo::core
