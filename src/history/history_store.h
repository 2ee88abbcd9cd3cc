// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engineer/race_engineer.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace ostrelo::history {

/// The version of the database layout this program writes.
inline constexpr int kSchemaVersion = 1;

/// Every session (track, car, start) and its laps, kept in one SQLite file. Each lap is
/// committed when it is added, so a program that is killed loses at most the lap under way.
/// Nothing here ever stops the dashboard: a file that cannot be used leaves the store closed
/// and says why in `problem()`, reported once under "History".
class HistoryStore : public engineer::LapHistory {
public:
    /// Opens or makes the database at `path` (its folder made when missing), in WAL mode at
    /// the current layout. A file that is not a database or is damaged is renamed aside
    /// (`problem()` says to what) and a new one started; a file another program holds locked,
    /// that may not be written, or that a newer program made leaves the store closed.
    explicit HistoryStore(const std::string &path);
    ~HistoryStore() override;
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    bool isOpen() const { return m_open; }
    /// What went wrong last, for a person; empty while all is well.
    const std::string &problem() const { return m_problem; }

    /// Starts a session at `startedMs` (milliseconds since 1970) and returns its number, or 0
    /// when it cannot be stored.
    std::int64_t beginSession(const std::string &track, const std::string &car,
                              std::int64_t startedMs) override;
    /// Stores one lap of `session` at once; false (and `problem()` set) when it cannot be.
    bool addLap(std::int64_t session, const engineer::LapRecord &lap) override;
    /// The laps of `session` in the order they were driven.
    std::vector<engineer::LapRecord> laps(std::int64_t session) const;
    /// The best time of any lap on `track` with `car` in every session, pit laps left out;
    /// 0 when there is none.
    double personalBest(const std::string &track, const std::string &car) const override;

private:
    bool open();
    bool migrate();
    bool moveAside();
    void fail(const std::string &what, const std::string &why);

    std::string m_path;
    QString m_connection;
    bool m_open = false;
    bool m_damaged = false;
    std::string m_problem;
};

} // namespace ostrelo::history
