// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_problem.h"
#include "core/ini_codec.h"

#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::core {

/// The settings file, parsed at start-up and held in memory. Values are read from the parsed
/// text. A write takes in the file as it is on disk at that moment (edited by hand, or by
/// another copy of the program, since it was read), changes there the lines of the keys this
/// store wrote, and writes it back as `replaceFile` does (owner, links and mode kept), only
/// when its text changed: what others put in the file stays. A file that cannot be read or
/// decoded, that is not a regular file, or that this user may not write is never written: its
/// changes live on in memory. A write that fails is made again by the next write or by
/// `flush`, and the first failure is reported once under "WriteIni".
class SettingsStore {
public:
    /// The store of the file at `path`, read now.
    explicit SettingsStore(std::string path);
    /// A store of `text` without a file, for tests: nothing is ever written.
    static SettingsStore inMemory(std::string_view text = {});

    /// The file; empty for a store in memory.
    const std::string &path() const { return m_path; }

    /// The value of `key` in `section` by the rules of `ReadIni`.
    std::string read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) const;

    /// Stores `value` under `key` in `section` (the section and the key made as needed, every
    /// other line of the file as it is now kept) and commits the file. Returns false when the file
    /// could not be written; the value is kept for the next commit.
    bool write(std::string_view section, std::string_view key, std::string_view value);

    /// Holds the writes that follow in memory until `flush`, so that a run of them (the
    /// start-up's) replaces the file once.
    void holdWrites() { m_holding = true; }

    /// Commits what earlier writes held or could not write. Returns true when nothing is
    /// left to write.
    bool flush();

    /// Why changes cannot be saved in the file; empty when they can (a missing file in a
    /// folder this user may write can).
    FileProblem problem() const;

    /// The whole text as it would be written.
    std::string text() const { return m_loaded.document.text(); }

private:
    SettingsStore() = default;

    struct Change {
        std::string section;
        std::string key;
        std::string value;
    };

    std::string m_path;
    LoadedIni m_loaded;
    /// The writes not yet in the file, in order, one for each key.
    std::vector<Change> m_changes;
    bool m_pending = false;
    bool m_holding = false;
    bool m_told = false;
};

} // namespace ostrelo::core
