// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/history_store.h"

#include "core/error.h"
#include "dashboard/formats.h"
#include "i18n/language_table.h"
#include "i18n/messages.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>
#include <initializer_list>
#include <type_traits>

namespace ostrelo::history {
namespace {

// SQLite's primary result codes, in the low byte of its extended ones.
constexpr int kBusy = 5;
constexpr int kLocked = 6;
constexpr int kReadOnly = 8;
constexpr int kCorrupt = 11;
constexpr int kNotADatabase = 26;

int resultCode(const QSqlError &error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xFF : -1;
}

// The statements that take a database from one layout version to the next; element n
// takes it from version n to n + 1. Each is written as that version had it, never changed.
const std::initializer_list<const char *> kMigrations[] = {
    {"CREATE TABLE sessions (id INTEGER PRIMARY KEY, started_ms INTEGER NOT NULL,"
     " track TEXT NOT NULL, car TEXT NOT NULL)",
     "CREATE TABLE laps (id INTEGER PRIMARY KEY, session INTEGER NOT NULL REFERENCES sessions(id),"
     " number INTEGER NOT NULL, time_s REAL NOT NULL, fuel_used_l REAL NOT NULL,"
     " position INTEGER NOT NULL, pitted INTEGER NOT NULL, limiter INTEGER NOT NULL,"
     " refuelled INTEGER NOT NULL, counts INTEGER NOT NULL,"
     " tread_fl REAL, tread_fr REAL, tread_rl REAL, tread_rr REAL,"
     " pressure_fl REAL, pressure_fr REAL, pressure_rl REAL, pressure_rr REAL,"
     " wear_fl REAL, wear_fr REAL, wear_rl REAL, wear_rr REAL,"
     " brake_fl REAL, brake_fr REAL, brake_rl REAL, brake_rr REAL)",
     "CREATE INDEX laps_by_session ON laps(session)"},
    {"CREATE TABLE cars (car TEXT PRIMARY KEY, tank_learned_l REAL NOT NULL,"
     " tank_given_l REAL NOT NULL)"},
};
static_assert(std::size(kMigrations) == kSchemaVersion);

// The lap columns as a list for a statement: "number, time_s, ...".
QString lapColumns() {
    QString list;
    const engineer::LapRecord none;
    engineer::forEachLapColumn(none, [&list](const char *name, const auto &) {
        list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + QString::fromLatin1(name);
    });
    return list;
}

// Whether the tables hold the columns this layout version has.
bool laidOut(const QSqlDatabase &db) {
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT (SELECT count(*) FROM pragma_table_info('sessions')),"
                                     " (SELECT count(*) FROM pragma_table_info('laps')),"
                                     " (SELECT count(*) FROM pragma_table_info('cars'))")) &&
           query.next() && query.value(0).toInt() == 4 &&
           query.value(1).toInt() == 2 + static_cast<int>(engineer::kLapColumnCount) &&
           query.value(2).toInt() == 3;
}

// A problem that says why, not yet what failed.
HistoryProblem because(HistoryProblem::Reason reason, std::string systemText = {}) {
    HistoryProblem problem;
    problem.reason = reason;
    problem.systemText = std::move(systemText);
    return problem;
}

// Why a statement failed.
HistoryProblem why(const QSqlError &error) {
    using Reason = HistoryProblem::Reason;
    switch (resultCode(error)) {
    case kBusy:
    case kLocked:
        return because(Reason::Locked);
    case kReadOnly:
        return because(Reason::ReadOnly);
    default:
        return because(Reason::System, error.text().toStdString());
    }
}

} // namespace

HistoryStore::HistoryStore(const std::string &path) : m_path(path) {
    static std::atomic<int> counter{0};
    m_connection = QStringLiteral("ostrelo-history-%1").arg(++counter);
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    if (!open()) {
        return;
    }
    if (!migrate()) {
        QSqlDatabase::database(m_connection).close();
        m_open = false;
        // Tables that are not the ones this layout has: as damaged as a broken file.
        if (m_damaged && moveAside() && open() && !migrate()) {
            QSqlDatabase::database(m_connection).close();
            m_open = false;
        }
    }
}

HistoryStore::~HistoryStore() {
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

std::string describe(const HistoryProblem &problem, const i18n::Texts &t) {
    using enum HistoryProblem::Failure;
    using Reason = HistoryProblem::Reason;
    const std::string &reason = problem.reason == Reason::Locked     ? t.TextHistoryLocked
                                : problem.reason == Reason::ReadOnly ? t.TextHistoryReadOnly
                                                                     : problem.systemText;
    const std::string &path = problem.path;
    switch (problem.failure) {
    case None:
        return {};
    case CannotOpen:
        return i18n::fill(t.TextHistoryCannotOpen, {path, reason});
    case NotKept:
        return i18n::fill(t.TextHistoryNotKept, {path, reason});
    case CannotUse:
        return i18n::fill(t.TextHistoryCannotUse, {path, reason});
    case CannotMoveAside:
        return i18n::fill(t.TextHistoryStuck, {path});
    case MovedAside:
        return i18n::fill(t.TextHistoryMovedAside, {path, problem.subject});
    case MadeByNewer:
        return i18n::fill(t.TextHistoryNewer, {path});
    case CannotUpdate:
        return i18n::fill(t.TextHistoryCannotUpdate, {path, reason});
    case CannotBeginSession:
        return i18n::fill(t.TextHistoryCannotBegin, {path, reason});
    case CannotAddLap:
        return i18n::fill(t.TextHistoryCannotAddLap, {path, problem.subject, reason});
    case CannotKeepTank:
        return i18n::fill(t.TextHistoryCannotKeepTank, {path, problem.subject, reason});
    }
    return {};
}

void HistoryStore::fail(HistoryProblem::Failure failure, const HistoryProblem &why,
                        const std::string &subject) {
    HistoryProblem problem = why;
    problem.failure = failure;
    problem.path = m_path;
    problem.subject = subject;
    if (problem != m_problem) {
        m_problem = problem;
        // The error reports are in English whatever the language in force.
        core::ReportError("History", "SQLite",
                          describe(problem, i18n::findLanguage("English")->texts));
    }
}

bool HistoryStore::open() {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    const QString file = QString::fromStdString(m_path);
    db.setDatabaseName(file);
    // A file nobody may write is read-only by intent, even for the administrator.
    const QFileInfo info(file);
    const bool readOnly =
        info.exists() &&
        (info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)) == 0;
    db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=200")
                                  : QStringLiteral("QSQLITE_BUSY_TIMEOUT=200"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!db.open()) {
            fail(HistoryProblem::Failure::CannotOpen,
                 because(HistoryProblem::Reason::System, db.lastError().text().toStdString()));
            return false;
        }
        QSqlQuery check(db);
        const bool checked = check.exec(QStringLiteral("PRAGMA quick_check")) && check.next();
        if (checked && check.value(0).toString() == QStringLiteral("ok")) {
            if (readOnly) {
                fail(HistoryProblem::Failure::NotKept, because(HistoryProblem::Reason::ReadOnly));
                db.close();
                return false;
            }
            m_open = true;
            return true;
        }
        const int code = resultCode(check.lastError());
        if (!checked && code != kCorrupt && code != kNotADatabase) {
            fail(HistoryProblem::Failure::CannotUse, why(check.lastError()));
            db.close();
            return false;
        }
        // Damaged, or no database at all: keep it for whoever wants to look, start anew.
        db.close();
        if (readOnly || !moveAside()) {
            return false;
        }
    }
    return false;
}

bool HistoryStore::moveAside() {
    const QString file = QString::fromStdString(m_path);
    const QString aside =
        file + QStringLiteral(".damaged-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss-zzz"));
    if (!QFile::rename(file, aside)) {
        fail(HistoryProblem::Failure::CannotMoveAside);
        return false;
    }
    QFile::remove(file + QStringLiteral("-wal"));
    QFile::remove(file + QStringLiteral("-shm"));
    fail(HistoryProblem::Failure::MovedAside, {}, aside.toStdString());
    return true;
}

bool HistoryStore::migrate() {
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
        !query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        fail(HistoryProblem::Failure::CannotUse, why(query.lastError()));
        return false;
    }
    const int version = query.value(0).toInt();
    if (version > kSchemaVersion) {
        fail(HistoryProblem::Failure::MadeByNewer);
        return false;
    }
    if (version == kSchemaVersion && !laidOut(db)) {
        m_damaged = true;
        return false;
    }
    for (int step = version; step < kSchemaVersion; ++step) {
        db.transaction();
        for (const char *statement : kMigrations[step]) {
            if (!query.exec(QString::fromLatin1(statement))) {
                fail(HistoryProblem::Failure::CannotUpdate, why(query.lastError()));
                db.rollback();
                return false;
            }
        }
        query.exec(QStringLiteral("PRAGMA user_version=%1").arg(step + 1));
        if (!db.commit()) {
            fail(HistoryProblem::Failure::CannotUpdate, why(db.lastError()));
            return false;
        }
    }
    return true;
}

std::int64_t HistoryStore::beginSession(const std::string &track, const std::string &car,
                                        std::int64_t startedMs) {
    if (!m_open) {
        return 0;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection));
    query.prepare(QStringLiteral("INSERT INTO sessions (started_ms, track, car) VALUES (?, ?, ?)"));
    query.addBindValue(QVariant::fromValue(static_cast<qint64>(startedMs)));
    query.addBindValue(QString::fromStdString(track));
    query.addBindValue(QString::fromStdString(car));
    if (!query.exec()) {
        fail(HistoryProblem::Failure::CannotBeginSession, why(query.lastError()));
        return 0;
    }
    return query.lastInsertId().toLongLong();
}

bool HistoryStore::addLap(std::int64_t session, const engineer::LapRecord &lap) {
    if (!m_open || session == 0) {
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection));
    query.prepare(QStringLiteral("INSERT INTO laps (session, %1) VALUES (?%2)")
                      .arg(lapColumns(), QStringLiteral(", ?").repeated(
                                             static_cast<int>(engineer::kLapColumnCount))));
    query.addBindValue(QVariant::fromValue(static_cast<qint64>(session)));
    engineer::LapRecord kept = lap;
    // A lap without a time is kept with none, never as one.
    if (!dashboard::isLapTime(kept.timeS)) {
        kept.timeS = 0;
    }
    engineer::forEachLapColumn(kept, [&query](const char *, const auto &value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, float>) {
            query.addBindValue(static_cast<double>(value));
        } else {
            query.addBindValue(static_cast<int>(value));
        }
    });
    if (!query.exec()) {
        fail(HistoryProblem::Failure::CannotAddLap, why(query.lastError()),
             std::to_string(lap.number));
        return false;
    }
    m_problem = {};
    return true;
}

std::vector<engineer::LapRecord> HistoryStore::laps(std::int64_t session) const {
    std::vector<engineer::LapRecord> laps;
    if (!m_open) {
        return laps;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection));
    query.prepare(
        QStringLiteral("SELECT %1 FROM laps WHERE session = ? ORDER BY id").arg(lapColumns()));
    query.addBindValue(QVariant::fromValue(static_cast<qint64>(session)));
    query.exec();
    while (query.next()) {
        engineer::LapRecord lap;
        int column = 0;
        engineer::forEachLapColumn(lap, [&](const char *, auto &value) {
            using T = std::decay_t<decltype(value)>;
            const QVariant stored = query.value(column++);
            if constexpr (std::is_same_v<T, float>) {
                value = stored.toFloat();
            } else if constexpr (std::is_same_v<T, bool>) {
                value = stored.toInt() != 0;
            } else {
                value = stored.toInt();
            }
        });
        laps.push_back(lap);
    }
    return laps;
}

double HistoryStore::personalBest(const std::string &track, const std::string &car) const {
    if (!m_open) {
        return 0;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection));
    query.prepare(QStringLiteral(
        "SELECT MIN(laps.time_s) FROM laps JOIN sessions ON laps.session = sessions.id"
        " WHERE sessions.track = ? AND sessions.car = ? AND laps.time_s > 0"
        " AND laps.time_s < ? AND laps.pitted = 0"));
    query.addBindValue(QString::fromStdString(track));
    query.addBindValue(QString::fromStdString(car));
    query.addBindValue(dashboard::kLongestLapSeconds);
    return query.exec() && query.next() ? query.value(0).toDouble() : 0;
}

engineer::TankCapacity HistoryStore::tankCapacity(const std::string &car) const {
    if (!m_open) {
        return {};
    }
    QSqlQuery query(QSqlDatabase::database(m_connection));
    query.prepare(QStringLiteral("SELECT tank_learned_l, tank_given_l FROM cars WHERE car = ?"));
    query.addBindValue(QString::fromStdString(car));
    if (!query.exec() || !query.next()) {
        return {};
    }
    return {query.value(0).toDouble(), query.value(1).toDouble()};
}

bool HistoryStore::keepTankCapacity(const std::string &car, const engineer::TankCapacity &tank) {
    if (!m_open) {
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection));
    query.prepare(QStringLiteral("INSERT INTO cars (car, tank_learned_l, tank_given_l)"
                                 " VALUES (?, ?, ?) ON CONFLICT (car) DO UPDATE SET"
                                 " tank_learned_l = excluded.tank_learned_l,"
                                 " tank_given_l = excluded.tank_given_l"));
    query.addBindValue(QString::fromStdString(car));
    query.addBindValue(tank.learnedL);
    query.addBindValue(tank.givenL);
    if (!query.exec()) {
        fail(HistoryProblem::Failure::CannotKeepTank, why(query.lastError()), car);
        return false;
    }
    return true;
}

} // namespace ostrelo::history
