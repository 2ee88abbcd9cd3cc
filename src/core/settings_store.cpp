// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings_store.h"

#include "core/error.h"
#include "core/ini_file.h"
#include "core/regular_file.h"

#include <algorithm>
#include <cctype>

namespace ostrelo::core {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

SettingsStore::SettingsStore(std::string path)
    : m_path(std::move(path)), m_loaded(loadIni(m_path)) {
}

SettingsStore SettingsStore::inMemory(std::string_view text) {
    SettingsStore store;
    store.m_loaded.document = IniDocument::parse(text);
    return store;
}

std::string SettingsStore::read(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    return ReadIni(m_loaded.document, section, key, defaultValue);
}

bool SettingsStore::write(std::string_view section, std::string_view key, std::string_view value) {
    m_loaded.document.setValue(section, key, value);
    std::erase_if(m_changes, [&](const Change &change) {
        return sameName(change.section, section) && sameName(change.key, key);
    });
    m_changes.push_back({std::string(section), std::string(key), std::string(value)});
    m_pending = true;
    return m_holding || flush();
}

bool SettingsStore::flush() {
    m_holding = false;
    if (!m_pending || m_path.empty()) {
        m_pending = false;
        m_changes.clear();
        return true;
    }
    FileProblem failure = m_loaded.problem;
    LoadedIni merged;
    if (failure.empty()) {
        failure = rewriteFile(m_path, [&](const FileContents &now) -> std::optional<std::string> {
            merged = decodeIni(now, m_path);
            if (!merged.problem.empty()) {
                return std::nullopt;
            }
            if (merged.exists) {
                for (const Change &change : m_changes) {
                    merged.document.setValue(change.section, change.key, change.value);
                }
            } else {
                // A file removed meanwhile is made again from what this store knows.
                merged.document = m_loaded.document;
                merged.encoding = m_loaded.encoding;
            }
            std::string bytes = encodeIni(merged.document.text(), merged.encoding);
            if (merged.exists && bytes == now.bytes) {
                return std::nullopt;
            }
            return bytes;
        });
        if (failure.empty()) {
            failure = merged.problem;
        }
    }
    if (failure.empty()) {
        m_loaded = std::move(merged);
        m_loaded.exists = true;
        m_changes.clear();
        m_pending = false;
        m_told = false;
        return true;
    }
    if (!m_told) {
        m_told = true;
        ReportError("WriteIni", "WriteIni", "Settings cannot be saved: " + failure.reportText());
    }
    return false;
}

FileProblem SettingsStore::problem() const {
    if (m_path.empty()) {
        return {};
    }
    return m_loaded.problem.empty() ? cannotReplace(m_path) : m_loaded.problem;
}

} // namespace ostrelo::core
