// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/history_store.h"

#include "core/error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

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
// takes it from version n to n + 1.
const char *const kMigrations[][3] = {
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
};
static_assert(std::size(kMigrations) == kSchemaVersion);

const char *const kLapColumns =
    "number, time_s, fuel_used_l, position, pitted, limiter, refuelled, counts,"
    " tread_fl, tread_fr, tread_rl, tread_rr, pressure_fl, pressure_fr, pressure_rl,"
    " pressure_rr, wear_fl, wear_fr, wear_rl, wear_rr, brake_fl, brake_fr, brake_rl, brake_rr";

// Whether the tables hold the columns this layout version has.
bool laidOut(const QSqlDatabase &db) {
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT (SELECT count(*) FROM pragma_table_info('sessions')),"
                                     " (SELECT count(*) FROM pragma_table_info('laps'))")) &&
           query.next() && query.value(0).toInt() == 4 && query.value(1).toInt() == 26;
}

std::string why(const QSqlError &error) {
    switch (resultCode(error)) {
    case kBusy:
    case kLocked:
        return "another program holds it locked";
    case kReadOnly:
        return "it may not be written";
    default:
        return error.text().toStdString();
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

void HistoryStore::fail(const std::string &what, const std::string &reason) {
    const std::string problem = "The lap history " + m_path + " " + what + ": " + reason + ".";
    if (problem != m_problem) {
        m_problem = problem;
        core::ReportError("History", "SQLite", problem);
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
            fail("cannot be opened", db.lastError().text().toStdString());
            return false;
        }
        QSqlQuery check(db);
        const bool checked = check.exec(QStringLiteral("PRAGMA quick_check")) && check.next();
        if (checked && check.value(0).toString() == QStringLiteral("ok")) {
            if (readOnly) {
                fail("is not kept", "it may not be written");
                db.close();
                return false;
            }
            m_open = true;
            return true;
        }
        const int code = resultCode(check.lastError());
        if (!checked && code != kCorrupt && code != kNotADatabase) {
            fail("cannot be used", why(check.lastError()));
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
        fail("is damaged", "it cannot be moved aside");
        return false;
    }
    QFile::remove(file + QStringLiteral("-wal"));
    QFile::remove(file + QStringLiteral("-shm"));
    fail("was damaged", "it was moved to " + aside.toStdString() + " and a new one started");
    return true;
}

bool HistoryStore::migrate() {
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
        !query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        fail("cannot be used", why(query.lastError()));
        return false;
    }
    const int version = query.value(0).toInt();
    if (version > kSchemaVersion) {
        fail("is left alone", "a newer Ostrelo made it");
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
                fail("cannot be brought up to date", why(query.lastError()));
                db.rollback();
                return false;
            }
        }
        query.exec(QStringLiteral("PRAGMA user_version=%1").arg(step + 1));
        if (!db.commit()) {
            fail("cannot be brought up to date", why(db.lastError()));
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
        fail("cannot take a new session", why(query.lastError()));
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
                      .arg(QString::fromLatin1(kLapColumns), QStringLiteral(", ?").repeated(24)));
    query.addBindValue(QVariant::fromValue(static_cast<qint64>(session)));
    query.addBindValue(lap.number);
    query.addBindValue(static_cast<double>(lap.timeS));
    query.addBindValue(static_cast<double>(lap.fuelUsedL));
    query.addBindValue(lap.position);
    for (const bool flag : {lap.pitted, lap.limiter, lap.refuelled, lap.counts}) {
        query.addBindValue(flag ? 1 : 0);
    }
    for (const auto *values : {&lap.treadC, &lap.pressureKpa, &lap.wear, &lap.brakeC}) {
        for (const float value : *values) {
            query.addBindValue(static_cast<double>(value));
        }
    }
    if (!query.exec()) {
        fail("cannot take lap " + std::to_string(lap.number), why(query.lastError()));
        return false;
    }
    m_problem.clear();
    return true;
}

std::vector<engineer::LapRecord> HistoryStore::laps(std::int64_t session) const {
    std::vector<engineer::LapRecord> laps;
    if (!m_open) {
        return laps;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection));
    query.prepare(QStringLiteral("SELECT %1 FROM laps WHERE session = ? ORDER BY id")
                      .arg(QString::fromLatin1(kLapColumns)));
    query.addBindValue(QVariant::fromValue(static_cast<qint64>(session)));
    query.exec();
    while (query.next()) {
        engineer::LapRecord lap;
        int column = 0;
        const auto next = [&] { return query.value(column++); };
        lap.number = next().toInt();
        lap.timeS = next().toFloat();
        lap.fuelUsedL = next().toFloat();
        lap.position = next().toInt();
        for (bool *flag : {&lap.pitted, &lap.limiter, &lap.refuelled, &lap.counts}) {
            *flag = next().toInt() != 0;
        }
        for (auto *values : {&lap.treadC, &lap.pressureKpa, &lap.wear, &lap.brakeC}) {
            for (float &value : *values) {
                value = next().toFloat();
            }
        }
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
        " WHERE sessions.track = ? AND sessions.car = ? AND laps.time_s > 0 AND laps.pitted = 0"));
    query.addBindValue(QString::fromStdString(track));
    query.addBindValue(QString::fromStdString(car));
    return query.exec() && query.next() ? query.value(0).toDouble() : 0;
}

} // namespace ostrelo::history
