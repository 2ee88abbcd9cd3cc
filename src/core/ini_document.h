// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::core {

/// An INI text held line by line, so that a change rewrites one line and keeps every other
/// line (comments, unknown keys, order, blank lines, line endings) exactly as it was.
/// Section and key names match without regard to letter case; the first match wins.
class IniDocument {
public:
    /// Splits UTF-8 text into lines at "\r\n", "\n" or a lone "\r"; each line keeps its own
    /// ending, and a new line takes the ending of the text's first line.
    static IniDocument parse(std::string_view text);

    /// The value of `key` in `section`, without the blanks around it (and without one pair of
    /// enclosing quotes); nullopt when the section or the key is absent.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    /// Sets `key` in `section` to `value`: replaces the line of an existing key in place,
    /// adds the key at the end of its section, or appends the section. Line breaks inside
    /// `value` become blanks so that a value can never start a new line.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    /// The whole text, each line followed by its own ending.
    std::string text() const;

private:
    struct Line {
        std::string text;
        std::string ending;
    };

    std::optional<std::size_t> findSection(std::string_view section) const;
    std::optional<std::size_t> findKey(std::size_t sectionLine, std::string_view key) const;
    void insertLine(std::size_t at, std::string text);

    std::vector<Line> m_lines;
    std::string m_lineEnding = "\n";
};

} // namespace ostrelo::core
