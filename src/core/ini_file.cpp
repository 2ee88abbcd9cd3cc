// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_file.h"

#include "core/ini_codec.h"
#include "core/text_encoding.h"

namespace ostrelo::core {

std::string ReadIni(const IniDocument &document, std::string_view section, std::string_view key,
                    std::string_view defaultValue) {
    const std::string fallback = defaultValue.empty() ? "-1" : std::string(defaultValue);
    const auto value = document.value(section, key);
    if (!value || value->empty()) {
        return fallback;
    }
    return std::string(leftCharacters(*value, kMaxIniValueLength));
}

std::string ReadIni(const std::string &path, std::string_view section, std::string_view key,
                    std::string_view defaultValue) {
    return ReadIni(loadIni(path).document, section, key, defaultValue);
}

} // namespace ostrelo::core
