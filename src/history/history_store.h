// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engineer/race_engineer.h"
#include "history/history_database.h"
#include "history/history_problem.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace ostrelo::history {

/// Every session (track, car, start) and its laps, kept in one SQLite file by a thread of its
/// own: no call here waits for the file, which SQLite may hold up for as long as a statement
/// (or a trigger someone put in the file) runs. What cannot be written now (another program
/// holds the file locked) is kept in order and written later; a file locked at start-up is
/// opened once it is free. Answers and problems come back on the thread that made the store,
/// from its event loop. Problems are reported once each under "History".
class HistoryStore : public engineer::LapHistory {
public:
    /// Starts opening or making the database at `path` (see `HistoryDatabase::open`).
    explicit HistoryStore(const std::string &path);
    /// Gives what is still to be written a moment, then stops the statement under way; returns
    /// within about a second whatever SQLite is doing.
    ~HistoryStore() override;
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    /// What went wrong last; empty while all is well.
    const HistoryProblem &problem() const { return m_problem; }
    /// Called once the opening is over, open or not for the rest of the run, with what the user
    /// should know (empty when nothing).
    std::function<void(const HistoryProblem &)> onOpened;

    void setListener(Listener *listener) override { m_listener = listener; }
    std::int64_t beginSession(const std::string &track, const std::string &car,
                              std::int64_t startedMs) override;
    void addLap(std::int64_t session, const engineer::LapRecord &lap) override;
    void askPersonalBest(const std::string &track, const std::string &car) override;
    void askTankCapacity(const std::string &car) override;
    void askConsumption(const std::string &track, const std::string &car) override;
    void keepTankCapacity(const std::string &car, const engineer::TankCapacity &tank) override;

private:
    struct Shared;
    class Worker;
    void deliver();

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    // Lives on this thread: what the worker posts runs here.
    QObject m_receiver;
    HistoryProblem m_problem;
    Listener *m_listener = nullptr;
    std::int64_t m_sessions = 0;
};

} // namespace ostrelo::history
