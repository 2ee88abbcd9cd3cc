// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ip_address.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/text_encoding.h"

#include <algorithm>
#include <array>
#include <string>

namespace ostrelo::core {
namespace {

constexpr std::array<std::size_t, 4> kGroupStarts = {0, 4, 8, 12};

// The group's value: digits with blanks around them, nothing else.
int groupValue(std::string_view group) {
    const std::string_view digits = trimBlanks(group);
    if (!isDigits(digits)) {
        throw RunTimeError("Valid_IP",
                           "Type mismatch: \"" + std::string(group) + "\" is not a number");
    }
    return static_cast<int>(TextToNumber(digits));
}

} // namespace

bool Valid_IP(std::string_view text) {
    if (characterCount(text) != 15) {
        return false;
    }
    bool valid = false;
    trap("Valid_IP", [&] {
        std::array<int, 4> values{};
        for (std::size_t i = 0; i < kGroupStarts.size(); ++i) {
            values[i] = groupValue(midCharacters(text, kGroupStarts[i], 3));
        }
        valid = true;
        for (const int value : values) {
            valid = valid && value >= 0 && value <= 255;
        }
        for (const std::size_t dot : {3u, 7u, 11u}) {
            valid = valid && midCharacters(text, dot, 1) == ".";
        }
    });
    return valid;
}

bool isListenAddress(std::string_view text) {
    if (text.empty()) {
        return true;
    }
    int groups = 0;
    while (true) {
        const std::size_t end = std::min(text.find('.'), text.size());
        const std::string_view group = text.substr(0, end);
        if (group.empty() || group.size() > 3 || !isDigits(group) ||
            std::stoi(std::string(group)) > 255) {
            return false;
        }
        ++groups;
        if (end == text.size()) {
            return groups == 4;
        }
        text.remove_prefix(end + 1);
    }
}

std::string plainListenAddress(std::string_view text) {
    std::string plain;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('.'), text.size());
        plain += (plain.empty() ? "" : ".") +
                 std::to_string(std::stoi(std::string(text.substr(0, end))));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return plain;
}

std::string RemoteAddress(std::string_view ip) {
    std::string address;
    for (const std::size_t start : kGroupStarts) {
        if (!address.empty()) {
            address += '.';
        }
        address += std::string(trimBlanks(NumberToText(TextToNumber(midCharacters(ip, start, 3)))));
    }
    return address;
}

} // namespace ostrelo::core
