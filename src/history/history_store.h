// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engineer/race_engineer.h"
#include "i18n/texts.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace ostrelo::history {

/// The version of the database layout this program writes: 1 sessions and laps, 2 also each
/// car's tank.
inline constexpr int kSchemaVersion = 2;

/// What went wrong with the lap history, in no language: what could not be done, the file,
/// what the failure names and why, SQLite's own text as it came.
struct HistoryProblem {
    enum class Failure {
        None,
        CannotOpen,
        NotKept,
        CannotUse,
        CannotMoveAside,
        MovedAside,
        MadeByNewer,
        CannotUpdate,
        CannotBeginSession,
        CannotAddLap,
        CannotKeepTank,
    };
    enum class Reason { System, Locked, ReadOnly };

    Failure failure = Failure::None;
    std::string path;
    /// The lap, the car, or where the damaged file went, for the failures that name one.
    std::string subject;
    Reason reason = Reason::System;
    /// SQLite's own text, for `Reason::System`.
    std::string systemText;

    bool empty() const { return failure == Failure::None; }
    bool operator==(const HistoryProblem &) const = default;
};

/// `problem` for a person, in the language of `texts`; empty when there is none.
std::string describe(const HistoryProblem &problem, const i18n::Texts &texts);

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
    /// What went wrong last; empty while all is well.
    const HistoryProblem &problem() const { return m_problem; }

    /// Starts a session at `startedMs` (milliseconds since 1970) and returns its number, or 0
    /// when it cannot be stored.
    std::int64_t beginSession(const std::string &track, const std::string &car,
                              std::int64_t startedMs) override;
    /// Stores one lap of `session` at once; false (and `problem()` set) when it cannot be.
    bool addLap(std::int64_t session, const engineer::LapRecord &lap) override;
    /// The laps of `session` in the order they were driven.
    std::vector<engineer::LapRecord> laps(std::int64_t session) const;
    /// The best time of any lap on `track` with `car` in every session, pit laps and laps
    /// without a time left out; 0 when there is none.
    double personalBest(const std::string &track, const std::string &car) const override;
    /// What is kept of `car`'s tank; nothing known when nothing is.
    engineer::TankCapacity tankCapacity(const std::string &car) const override;
    /// Keeps `tank` for `car` at once, over what was kept; false (and `problem()` set) when it
    /// cannot be.
    bool keepTankCapacity(const std::string &car, const engineer::TankCapacity &tank) override;

private:
    bool open();
    bool migrate();
    bool moveAside();
    void fail(HistoryProblem::Failure failure, const HistoryProblem &why = {},
              const std::string &subject = {});

    std::string m_path;
    QString m_connection;
    bool m_open = false;
    bool m_damaged = false;
    HistoryProblem m_problem;
};

} // namespace ostrelo::history
