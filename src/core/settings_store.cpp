// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings_store.h"

#include "core/error.h"
#include "core/ini_file.h"
#include "core/regular_file.h"

namespace ostrelo::core {

SettingsStore::SettingsStore(std::string path)
    : m_path(std::move(path)), m_loaded(loadIni(m_path)) {
    m_written = m_loaded.exists ? m_loaded.document.text() : std::string();
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
    m_pending = true;
    return m_holding || flush();
}

bool SettingsStore::flush() {
    m_holding = false;
    if (!m_pending || m_path.empty()) {
        m_pending = false;
        return true;
    }
    const std::string text = m_loaded.document.text();
    if (m_loaded.exists && text == m_written) {
        m_pending = false;
        return true;
    }
    std::string failure = m_loaded.problem;
    if (failure.empty()) {
        failure = replaceFile(m_path, encodeIni(text, m_loaded.encoding));
    }
    if (failure.empty()) {
        m_written = text;
        m_loaded.exists = true;
        m_pending = false;
        m_told = false;
        return true;
    }
    if (!m_told) {
        m_told = true;
        ReportError("WriteIni", "WriteIni", "Settings cannot be saved: " + failure);
    }
    return false;
}

std::string SettingsStore::problem() const {
    if (m_path.empty()) {
        return {};
    }
    return m_loaded.problem.empty() ? cannotReplace(m_path) : m_loaded.problem;
}

} // namespace ostrelo::core
