// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_document.h"

#include "core/conversions.h"

#include <cctype>

namespace ostrelo::core {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The section name of a header line "[name]", or nullopt for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
    const std::string_view t = trimBlanks(line);
    if (t.size() < 2 || t.front() != '[') {
        return std::nullopt;
    }
    const auto close = t.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return trimBlanks(t.substr(1, close - 1));
}

bool isComment(std::string_view line) {
    const std::string_view t = trimBlanks(line);
    return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// Splits "key = value"; nullopt for a line without "=" or a comment.
std::optional<std::pair<std::string_view, std::string_view>> keyValue(std::string_view line) {
    if (isComment(line)) {
        return std::nullopt;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return std::pair{trimBlanks(line.substr(0, equals)), trimBlanks(line.substr(equals + 1))};
}

std::string withoutLineBreaks(std::string_view value) {
    std::string out(value);
    for (char &c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

} // namespace

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument doc;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            doc.m_lines.push_back({std::string(text.substr(start)), ""});
            break;
        }
        const std::size_t endingLength = text.substr(end, 2) == "\r\n" ? 2 : 1;
        doc.m_lines.push_back({std::string(text.substr(start, end - start)),
                               std::string(text.substr(end, endingLength))});
        start = end + endingLength;
    }
    if (!doc.m_lines.empty() && !doc.m_lines.front().ending.empty()) {
        doc.m_lineEnding = doc.m_lines.front().ending;
    }
    return doc;
}

void IniDocument::insertLine(std::size_t at, std::string text) {
    Line line{std::move(text), m_lineEnding};
    if (at == m_lines.size() && !m_lines.empty()) {
        // The new last line takes over how the text ended; the old last line gets an end.
        std::swap(line.ending, m_lines.back().ending);
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::optional<std::size_t> IniDocument::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i].text);
        if (name && sameName(*name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::findKey(std::size_t sectionLine,
                                                std::string_view key) const {
    for (std::size_t i = sectionLine + 1; i < m_lines.size(); ++i) {
        if (sectionName(m_lines[i].text)) {
            break;
        }
        const auto kv = keyValue(m_lines[i].text);
        if (kv && sameName(kv->first, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view section,
                                              std::string_view key) const {
    const auto sectionLine = findSection(section);
    if (!sectionLine) {
        return std::nullopt;
    }
    const auto keyLine = findKey(*sectionLine, key);
    if (!keyLine) {
        return std::nullopt;
    }
    std::string_view v = keyValue(m_lines[*keyLine].text)->second;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return std::string(v);
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value) {
    const std::string clean = withoutLineBreaks(value);
    const auto sectionLine = findSection(section);
    if (!sectionLine) {
        insertLine(m_lines.size(), '[' + std::string(section) + ']');
        insertLine(m_lines.size(), std::string(key) + '=' + clean);
        // An added section always ends its text with a line ending.
        m_lines.back().ending = m_lineEnding;
        return;
    }
    if (const auto keyLine = findKey(*sectionLine, key)) {
        // Keep the key as the user spelled it; only the value changes.
        std::string &line = m_lines[*keyLine].text;
        line = line.substr(0, line.find('=') + 1) + clean;
        return;
    }
    // New key: after the last non-blank line of the section, before any blank lines.
    std::size_t insertAt = *sectionLine + 1;
    for (std::size_t i = *sectionLine + 1; i < m_lines.size() && !sectionName(m_lines[i].text);
         ++i) {
        if (!trimBlanks(m_lines[i].text).empty()) {
            insertAt = i + 1;
        }
    }
    insertLine(insertAt, std::string(key) + '=' + clean);
}

std::string IniDocument::text() const {
    std::string out;
    for (const Line &line : m_lines) {
        out += line.text;
        out += line.ending;
    }
    return out;
}

} // namespace ostrelo::core
