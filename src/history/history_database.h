// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engineer/race_engineer.h"
#include "history/history_problem.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace ostrelo::history {

/// The version of the database layout this program writes: 1 sessions and laps, 2 also each
/// car's tank.
inline constexpr int kSchemaVersion = 2;

/// One connection to the lap history's SQLite file. It is made, used and destroyed on one
/// thread, and each call waits for SQLite: `HistoryStore` keeps it on a thread of its own.
/// Each lap is committed when it is added, so a program that is killed loses at most the lap
/// under way. Nothing here reports: `problem()` says what went wrong last.
class HistoryDatabase {
public:
    /// Nothing is opened yet.
    explicit HistoryDatabase(std::string path);
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase &) = delete;
    HistoryDatabase &operator=(const HistoryDatabase &) = delete;

    /// Opens or makes the database at the path (its folder made when missing), in WAL mode at
    /// the current layout. Only a regular file is opened, never through a symbolic link. A
    /// file that is not a database, is damaged, holds tables that are not those of the layout
    /// its version names, or has a version older than any this program wrote is renamed aside
    /// (`problem()` says to what) and a new one started; a file another program holds locked,
    /// that may not be written, or that a newer program made leaves it closed. False when
    /// closed.
    bool open();
    bool isOpen() const { return m_open; }
    /// Whether it is closed only because another program held the file locked: a later
    /// `open` may succeed.
    bool mayOpenLater() const;
    /// What went wrong last; empty once a lap has been added since.
    const HistoryProblem &problem() const { return m_problem; }

    /// Starts a session at `startedMs` (milliseconds since 1970) and returns its number, or 0
    /// when it cannot be stored.
    std::int64_t beginSession(const std::string &track, const std::string &car,
                              std::int64_t startedMs);
    /// Stores one lap of `session`; false (and `problem()` set) when it cannot be.
    bool addLap(std::int64_t session, const engineer::LapRecord &lap);
    /// The laps of `session` in the order they were driven.
    std::vector<engineer::LapRecord> laps(std::int64_t session) const;
    /// The best time of any lap on `track` with `car` in every session, pit laps and laps
    /// without a time left out; 0 when there is none, nothing when it cannot be read.
    std::optional<double> personalBest(const std::string &track, const std::string &car) const;
    /// The fuel used on the last `engineer::kFuelLaps` counting laps on `track` with `car`,
    /// the latest first; nothing when it cannot be read.
    std::optional<std::vector<double>> recentConsumption(const std::string &track,
                                                         const std::string &car) const;
    /// What is kept of `car`'s tank (nothing known when nothing is); nothing when it cannot
    /// be read.
    std::optional<engineer::TankCapacity> tankCapacity(const std::string &car) const;
    /// Keeps `tank` for `car` over what was kept; false (and `problem()` set) when it cannot be.
    bool keepTankCapacity(const std::string &car, const engineer::TankCapacity &tank);

    /// Safe from any thread: the statement under way fails at once, and every call after it.
    void interrupt();

private:
    bool openFile();
    bool migrate();
    bool moveAside();
    void close();
    bool usable() const { return m_open && !m_interrupted; }
    void fail(HistoryProblem::Failure failure, const HistoryProblem &why = {},
              const std::string &subject = {});

    std::string m_path;
    QString m_connection;
    bool m_open = false;
    bool m_damaged = false;
    HistoryProblem m_problem;
    std::atomic<bool> m_interrupted{false};
    // SQLite's handle of the open connection and its sqlite3_interrupt, for `interrupt`; null
    // while closed, or when it cannot be stopped.
    std::mutex m_handleMutex;
    sqlite3 *m_handle = nullptr;
    void (*m_stop)(sqlite3 *) = nullptr;
};

} // namespace ostrelo::history
