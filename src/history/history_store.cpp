// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/history_store.h"

#include "core/error.h"
#include "dashboard/formats.h"
#include "i18n/language_table.h"

#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <utility>
#include <variant>
#include <vector>

namespace ostrelo::history {
namespace {

using Clock = std::chrono::steady_clock;

// How long a file another program holds locked, or a write it refused, is left before the
// next try: twice as long after each try that fails, up to the longest.
constexpr auto kRetry = std::chrono::milliseconds(500);
constexpr auto kLongestRetry = std::chrono::milliseconds(8000);
// At the end: how long what is still to be written may take, and then how long the thread may
// take to end once what SQLite is doing has been stopped.
constexpr auto kLastWrites = std::chrono::milliseconds(400);
constexpr auto kStopping = std::chrono::milliseconds(400);

// What the store hands the thread, in order.
struct BeginSession {
    std::int64_t number;
    std::string track;
    std::string car;
    std::int64_t startedMs;
};
struct AddLap {
    std::int64_t session;
    engineer::LapRecord lap;
};
struct KeepTank {
    std::string car;
    engineer::TankCapacity tank;
};
struct AskBest {
    std::string track;
    std::string car;
};
struct AskTank {
    std::string car;
};
struct AskConsumption {
    std::string track;
    std::string car;
};
using Job = std::variant<BeginSession, AddLap, KeepTank, AskBest, AskTank, AskConsumption>;

bool isQuestion(const Job &job) {
    return std::holds_alternative<AskBest>(job) || std::holds_alternative<AskTank>(job) ||
           std::holds_alternative<AskConsumption>(job);
}

// What the thread hands back.
struct Opened {
    HistoryProblem problem;
};
struct ProblemSeen {
    HistoryProblem problem;
};
struct BestFound {
    std::string track;
    std::string car;
    double bestS;
};
struct TankFound {
    std::string car;
    engineer::TankCapacity tank;
};
struct ConsumptionFound {
    std::string track;
    std::string car;
    engineer::EarlierConsumption used;
};
using Answer = std::variant<Opened, ProblemSeen, BestFound, TankFound, ConsumptionFound>;

} // namespace

// What the store and its thread share; the thread keeps it alive if it outlives the store.
struct HistoryStore::Shared {
    std::mutex mutex;
    // The thread waits on `wake`, the store on `ended` when it ends.
    std::condition_variable wake;
    std::condition_variable ended;
    std::deque<Job> jobs;
    std::vector<Answer> answers;
    // Where the answers go; none once the store ends.
    QObject *receiver = nullptr;
    HistoryStore *store = nullptr;
    bool stopping = false;
    std::atomic<bool> abandoned{false};
    bool done = false;
    // The connection in use, for the store to stop.
    HistoryDatabase *database = nullptr;

    void hand(Job job) {
        {
            const std::lock_guard lock(mutex);
            jobs.push_back(std::move(job));
        }
        wake.notify_one();
    }
};

// The thread's side: the one connection to the file, used on this thread only.
class HistoryStore::Worker {
public:
    Worker(std::string path, std::shared_ptr<Shared> shared)
        : m_path(std::move(path)), m_shared(std::move(shared)) {}

    void run() {
        while (wait()) {
            work();
            if (m_stopping) {
                break;
            }
        }
        release();
        {
            const std::lock_guard lock(m_shared->mutex);
            m_shared->done = true;
        }
        m_shared->ended.notify_all();
    }

private:
    enum class State { Opening, Open, Closed };
    struct Session {
        std::string track;
        std::string car;
        std::int64_t id = 0;
    };

    // Waits for something to do; false when the store has given up on this thread.
    bool wait() {
        std::unique_lock lock(m_shared->mutex);
        const auto due = [this] {
            return m_shared->stopping || m_shared->abandoned ||
                   (m_state != State::Opening && !m_shared->jobs.empty());
        };
        if (m_state == State::Opening || !m_blocked.empty() || !m_queue.empty()) {
            m_shared->wake.wait_until(lock, m_retryAt, due);
        } else {
            m_shared->wake.wait(lock, due);
        }
        for (Job &job : m_shared->jobs) {
            m_queue.push_back(std::move(job));
        }
        m_shared->jobs.clear();
        m_stopping = m_shared->stopping;
        return !m_shared->abandoned;
    }

    void work() {
        // At the end, each thing still to do is tried once more, at once.
        const bool due = m_stopping || Clock::now() >= m_retryAt;
        if (m_state == State::Opening && due) {
            tryToOpen();
        }
        if (m_state == State::Opening) {
            return;
        }
        if (due) {
            writeBlocked();
        }
        while (!m_queue.empty() && !m_shared->abandoned) {
            Job &job = m_queue.front();
            if (const auto *begin = std::get_if<BeginSession>(&job)) {
                m_sessions[begin->number] = {begin->track, begin->car, 0};
            }
            if (isQuestion(job)) {
                if (!m_stopping && !answer(job)) {
                    later();
                    return;
                }
            } else if (m_state == State::Open && (!m_blocked.empty() || !write(job))) {
                // Kept, and everything after it, in the order given.
                if (m_blocked.empty()) {
                    later();
                }
                m_blocked.push_back(std::move(job));
            }
            m_queue.pop_front();
        }
    }

    void tryToOpen() {
        auto database = std::make_unique<HistoryDatabase>(m_path);
        {
            const std::lock_guard lock(m_shared->mutex);
            m_shared->database = database.get();
        }
        m_database = std::move(database);
        const bool opened = m_database->open();
        tell();
        if (opened) {
            m_retry = kRetry;
            m_state = State::Open;
            post(Opened{m_told});
            return;
        }
        if (m_database->mayOpenLater() && !m_stopping) {
            later();
        } else {
            m_state = State::Closed;
            m_blocked.clear();
            post(Opened{m_told});
        }
        release();
    }

    // The next try, later each time until one succeeds.
    void later() {
        m_retryAt = Clock::now() + m_retry;
        m_retry = std::min(m_retry * 2, kLongestRetry);
    }

    void release() {
        {
            const std::lock_guard lock(m_shared->mutex);
            m_shared->database = nullptr;
        }
        m_database.reset();
    }

    void writeBlocked() {
        if (m_blocked.empty()) {
            return;
        }
        while (!m_blocked.empty() && !m_shared->abandoned) {
            if (!write(m_blocked.front())) {
                later();
                return;
            }
            m_blocked.pop_front();
        }
        m_retry = kRetry;
    }

    bool write(const Job &job) {
        bool written = true;
        if (const auto *begin = std::get_if<BeginSession>(&job)) {
            Session &session = m_sessions[begin->number];
            session.id = m_database->beginSession(begin->track, begin->car, begin->startedMs);
            written = session.id != 0;
        } else if (const auto *lap = std::get_if<AddLap>(&job)) {
            // A lap of a session never begun has nowhere to go.
            const auto found = m_sessions.find(lap->session);
            written = found == m_sessions.end() || found->second.id == 0 ||
                      m_database->addLap(found->second.id, lap->lap);
        } else if (const auto *tank = std::get_if<KeepTank>(&job)) {
            written = m_database->keepTankCapacity(tank->car, tank->tank);
        }
        tell();
        return written;
    }

    // Answers a question with what is kept and what waits to be; false when the file cannot
    // be read now. A history closed for good knows nothing.
    bool answer(const Job &job) {
        if (const auto *ask = std::get_if<AskBest>(&job)) {
            double best = 0;
            if (m_state == State::Open) {
                const std::optional<double> kept = m_database->personalBest(ask->track, ask->car);
                if (!kept) {
                    return false;
                }
                best = *kept;
                for (const Job &waiting : m_blocked) {
                    const auto *lap = std::get_if<AddLap>(&waiting);
                    const auto session = lap ? m_sessions.find(lap->session) : m_sessions.end();
                    if (session != m_sessions.end() && session->second.track == ask->track &&
                        session->second.car == ask->car && !lap->lap.pitted &&
                        dashboard::isLapTime(lap->lap.timeS) &&
                        (best <= 0 || lap->lap.timeS < best)) {
                        best = lap->lap.timeS;
                    }
                }
            }
            post(BestFound{ask->track, ask->car, best});
        } else if (const auto *askTank = std::get_if<AskTank>(&job)) {
            engineer::TankCapacity tank;
            if (m_state == State::Open) {
                const std::optional<engineer::TankCapacity> kept =
                    m_database->tankCapacity(askTank->car);
                if (!kept) {
                    return false;
                }
                tank = *kept;
                for (const Job &waiting : m_blocked) {
                    const auto *keep = std::get_if<KeepTank>(&waiting);
                    if (keep && keep->car == askTank->car) {
                        tank = keep->tank;
                    }
                }
            }
            post(TankFound{askTank->car, tank});
        } else if (const auto *askUsed = std::get_if<AskConsumption>(&job)) {
            std::vector<double> used;
            if (m_state == State::Open) {
                // The laps still waiting to be written are the latest.
                for (auto waiting = m_blocked.rbegin(); waiting != m_blocked.rend(); ++waiting) {
                    const auto *lap = std::get_if<AddLap>(&*waiting);
                    const auto session = lap ? m_sessions.find(lap->session) : m_sessions.end();
                    if (session != m_sessions.end() && session->second.track == askUsed->track &&
                        session->second.car == askUsed->car && lap->lap.counts &&
                        lap->lap.fuelUsedL > 0 && used.size() < engineer::kFuelLaps) {
                        used.push_back(lap->lap.fuelUsedL);
                    }
                }
                const std::optional<std::vector<double>> kept =
                    m_database->recentConsumption(askUsed->track, askUsed->car);
                if (!kept) {
                    return false;
                }
                for (const double litres : *kept) {
                    if (used.size() < engineer::kFuelLaps) {
                        used.push_back(litres);
                    }
                }
            }
            engineer::EarlierConsumption found;
            for (const double litres : used) {
                found.mean += litres / static_cast<double>(used.size());
                found.most = std::max(found.most, litres);
            }
            post(ConsumptionFound{askUsed->track, askUsed->car, found});
        }
        return true;
    }

    // Hands the connection's problem back when it changed.
    void tell() {
        if (m_database && m_database->problem() != m_told) {
            m_told = m_database->problem();
            post(ProblemSeen{m_told});
        }
    }

    void post(Answer answer) {
        const std::lock_guard lock(m_shared->mutex);
        if (!m_shared->receiver) {
            return;
        }
        // One delivery takes every answer waiting.
        const bool first = m_shared->answers.empty();
        m_shared->answers.push_back(std::move(answer));
        if (first) {
            HistoryStore *store = m_shared->store;
            QMetaObject::invokeMethod(
                m_shared->receiver, [store] { store->deliver(); }, Qt::QueuedConnection);
        }
    }

    std::string m_path;
    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<HistoryDatabase> m_database;
    State m_state = State::Opening;
    Clock::time_point m_retryAt = Clock::now();
    std::chrono::milliseconds m_retry = kRetry;
    bool m_stopping = false;
    // What the store handed over, in order, and the writes that wait for the file.
    std::deque<Job> m_queue;
    std::deque<Job> m_blocked;
    // The sessions by the store's numbers.
    std::map<std::int64_t, Session> m_sessions;
    HistoryProblem m_told;
};

HistoryStore::HistoryStore(const std::string &path) : m_shared(std::make_shared<Shared>()) {
    m_shared->receiver = &m_receiver;
    m_shared->store = this;
    m_thread = std::thread([path, shared = m_shared] { Worker(path, shared).run(); });
}

HistoryStore::~HistoryStore() {
    std::unique_lock lock(m_shared->mutex);
    m_shared->receiver = nullptr;
    m_shared->stopping = true;
    m_shared->wake.notify_all();
    const auto done = [this] { return m_shared->done; };
    if (!m_shared->ended.wait_for(lock, kLastWrites, done)) {
        // What SQLite is doing (a statement a trigger in the file holds up) ends at once.
        m_shared->abandoned = true;
        if (m_shared->database) {
            m_shared->database->interrupt();
        }
        m_shared->wake.notify_all();
        m_shared->ended.wait_for(lock, kStopping, done);
    }
    const bool ended = m_shared->done;
    lock.unlock();
    if (ended) {
        m_thread.join();
    } else {
        // Still inside SQLite, where nothing can stop it: it ends with the program, and keeps
        // what it uses alive until then.
        m_thread.detach();
    }
}

std::int64_t HistoryStore::beginSession(const std::string &track, const std::string &car,
                                        std::int64_t startedMs) {
    const std::int64_t number = ++m_sessions;
    m_shared->hand(BeginSession{number, track, car, startedMs});
    return number;
}

void HistoryStore::addLap(std::int64_t session, const engineer::LapRecord &lap) {
    m_shared->hand(AddLap{session, lap});
}

void HistoryStore::askPersonalBest(const std::string &track, const std::string &car) {
    m_shared->hand(AskBest{track, car});
}

void HistoryStore::askTankCapacity(const std::string &car) {
    m_shared->hand(AskTank{car});
}

void HistoryStore::askConsumption(const std::string &track, const std::string &car) {
    m_shared->hand(AskConsumption{track, car});
}

void HistoryStore::keepTankCapacity(const std::string &car, const engineer::TankCapacity &tank) {
    m_shared->hand(KeepTank{car, tank});
}

void HistoryStore::deliver() {
    std::vector<Answer> answers;
    {
        const std::lock_guard lock(m_shared->mutex);
        answers.swap(m_shared->answers);
    }
    for (const Answer &answer : answers) {
        if (const auto *seen = std::get_if<ProblemSeen>(&answer)) {
            if (seen->problem != m_problem) {
                m_problem = seen->problem;
                if (!m_problem.empty()) {
                    // The error reports are in English whatever the language in force.
                    core::ReportError("History", "SQLite",
                                      describe(m_problem, i18n::findLanguage("English")->texts));
                }
            }
        } else if (const auto *opened = std::get_if<Opened>(&answer)) {
            if (onOpened) {
                onOpened(opened->problem);
            }
        } else if (const auto *best = std::get_if<BestFound>(&answer)) {
            if (m_listener) {
                m_listener->personalBestFound(best->track, best->car, best->bestS);
            }
        } else if (const auto *tank = std::get_if<TankFound>(&answer)) {
            if (m_listener) {
                m_listener->tankCapacityFound(tank->car, tank->tank);
            }
        } else if (const auto *used = std::get_if<ConsumptionFound>(&answer)) {
            if (m_listener) {
                m_listener->consumptionFound(used->track, used->car, used->used);
            }
        }
    }
}

} // namespace ostrelo::history
