// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/history_database.h"

#include "dashboard/formats.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <span>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <utility>

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

// The statements that take a database from one layout version to the next. Each is written as
// that version had it, never changed.
constexpr const char *kSessionsAndLaps[] = {
    "CREATE TABLE sessions (id INTEGER PRIMARY KEY, started_ms INTEGER NOT NULL,"
    " track TEXT NOT NULL, car TEXT NOT NULL)",
    "CREATE TABLE laps (id INTEGER PRIMARY KEY, session INTEGER NOT NULL REFERENCES sessions(id),"
    " number INTEGER NOT NULL, time_s REAL NOT NULL, fuel_used_l REAL NOT NULL,"
    " position INTEGER NOT NULL, pitted INTEGER NOT NULL, limiter INTEGER NOT NULL,"
    " refuelled INTEGER NOT NULL, counts INTEGER NOT NULL,"
    " tread_fl REAL, tread_fr REAL, tread_rl REAL, tread_rr REAL,"
    " pressure_fl REAL, pressure_fr REAL, pressure_rl REAL, pressure_rr REAL,"
    " wear_fl REAL, wear_fr REAL, wear_rl REAL, wear_rr REAL,"
    " brake_fl REAL, brake_fr REAL, brake_rl REAL, brake_rr REAL)",
    "CREATE INDEX laps_by_session ON laps(session)"};
constexpr const char *kCars[] = {"CREATE TABLE cars (car TEXT PRIMARY KEY,"
                                 " tank_learned_l REAL NOT NULL, tank_given_l REAL NOT NULL)"};

struct Migration {
    std::int64_t from;
    std::span<const char *const> statements;
};
constexpr Migration kMigrations[] = {{0, kSessionsAndLaps}, {1, kCars}};
static_assert(std::size(kMigrations) == kSchemaVersion);

// The step from layout `version` to the next; none from the current one or one never written.
const Migration *migrationFrom(std::int64_t version) {
    for (const Migration &migration : kMigrations) {
        if (migration.from == version) {
            return &migration;
        }
    }
    return nullptr;
}

// Each column of each table as (table, column, type), in the order SQLite keeps them; nothing
// when they cannot be read (`error` says why).
using Tables = std::vector<QStringList>;
std::optional<Tables> tablesOf(const QSqlDatabase &db, QSqlError &error) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "SELECT m.name, p.name, p.type FROM sqlite_master AS m, pragma_table_info(m.name) AS p"
            " WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"
            " ORDER BY m.name, p.cid"))) {
        error = query.lastError();
        return std::nullopt;
    }
    Tables tables;
    while (query.next()) {
        tables.push_back(
            {query.value(0).toString(), query.value(1).toString(), query.value(2).toString()});
    }
    if (query.lastError().isValid()) {
        error = query.lastError();
        return std::nullopt;
    }
    return tables;
}

// The tables of layout `version` as its migrations make them, in a database in memory.
std::optional<Tables> layoutOf(std::int64_t version) {
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("ostrelo-history-layout-%1").arg(++counter);
    std::optional<Tables> tables;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            bool made = true;
            {
                QSqlQuery query(db);
                for (const Migration *step = migrationFrom(0); step && step->from < version;
                     step = migrationFrom(step->from + 1)) {
                    for (const char *statement : step->statements) {
                        made = made && query.exec(QString::fromLatin1(statement));
                    }
                }
            }
            QSqlError ignored;
            tables = made ? tablesOf(db, ignored) : std::nullopt;
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return tables;
}

// The lap columns as a list for a statement: "number, time_s, ...".
QString lapColumns() {
    QString list;
    const engineer::LapRecord none;
    engineer::forEachLapColumn(none, [&list](const char *name, const auto &) {
        list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + QString::fromLatin1(name);
    });
    return list;
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

using InterruptFunction = void (*)(sqlite3 *);

// What a name in the file system is, the name itself and never what a link leads to.
struct FileFound {
    bool exists = false;
    bool regular = false;
    bool writable = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool operator==(const FileFound &) const = default;
};

FileFound lookAt(const std::string &path) {
    FileFound found;
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        // Anything but a name that is not there is something the program cannot look at.
        found.exists = errno != ENOENT;
        return found;
    }
    found.exists = true;
    found.regular = S_ISREG(status.st_mode);
    // A file nobody may write is read-only by intent, even for the administrator.
    found.writable = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    found.device = status.st_dev;
    found.inode = status.st_ino;
    return found;
}

// Makes an empty file at `path` that is no link, or finds one there; errno when it cannot.
int makeFile(const std::string &path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return errno == EEXIST ? 0 : errno;
    }
    ::close(fd);
    return 0;
}

// sqlite3_interrupt of the SQLite that `driver` runs on, looked up from the driver's own library
// as the driver's calls are, so never from another copy of SQLite, whose connections differ;
// nothing when it cannot be found from there (a driver that keeps its own copy hidden).
InterruptFunction interruptFor(const QSqlDriver *driver) {
    Dl_info info{};
    if (dladdr(driver->metaObject(), &info) == 0 || !info.dli_fname) {
        return nullptr;
    }
    void *library = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!library) {
        return nullptr;
    }
    const auto found = reinterpret_cast<InterruptFunction>(dlsym(library, "sqlite3_interrupt"));
    // Qt keeps the driver loaded, and with it what it found.
    dlclose(library);
    return found;
}

} // namespace

HistoryDatabase::HistoryDatabase(std::string path) : m_path(std::move(path)) {
    static std::atomic<int> counter{0};
    m_connection = QStringLiteral("ostrelo-history-%1").arg(++counter);
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection)
        .setDatabaseName(QString::fromStdString(m_path));
}

HistoryDatabase::~HistoryDatabase() {
    close();
    QSqlDatabase::removeDatabase(m_connection);
}

void HistoryDatabase::fail(HistoryProblem::Failure failure, const HistoryProblem &why,
                           const std::string &subject) {
    m_problem = why;
    m_problem.failure = failure;
    m_problem.path = m_path;
    m_problem.subject = subject;
}

bool HistoryDatabase::mayOpenLater() const {
    return !m_open && !m_interrupted && m_problem.reason == HistoryProblem::Reason::Locked;
}

void HistoryDatabase::interrupt() {
    m_interrupted = true;
    const std::lock_guard lock(m_handleMutex);
    if (m_handle && m_stop) {
        m_stop(m_handle);
    }
}

void HistoryDatabase::close() {
    {
        const std::lock_guard lock(m_handleMutex);
        m_handle = nullptr;
    }
    QSqlDatabase::database(m_connection, false).close();
    m_open = false;
}

bool HistoryDatabase::open() {
    close();
    m_damaged = false;
    QDir().mkpath(QFileInfo(QString::fromStdString(m_path)).absolutePath());
    bool opened = !m_interrupted && openFile() && migrate();
    if (!opened && m_damaged) {
        close();
        // Tables that are not those of the layout its version names, or a version this
        // program never wrote: as damaged as a broken file.
        opened = moveAside() && openFile() && migrate();
    }
    if (!opened) {
        close();
    }
    m_open = opened;
    return opened;
}

bool HistoryDatabase::openFile() {
    using Reason = HistoryProblem::Reason;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Another program's file is never reached through a link, nor written in its place:
        // the database and the files SQLite keeps beside it are regular files or none.
        for (const char *beside : {"-wal", "-shm", "-journal"}) {
            const FileFound found = lookAt(m_path + beside);
            if (found.exists && !found.regular) {
                fail(HistoryProblem::Failure::CannotUse, because(Reason::NotRegular));
                return false;
            }
        }
        FileFound before = lookAt(m_path);
        if (!before.exists) {
            if (const int error = makeFile(m_path); error != 0) {
                fail(HistoryProblem::Failure::CannotOpen,
                     because(Reason::System, std::strerror(error)));
                return false;
            }
            before = lookAt(m_path);
        }
        if (!before.regular) {
            fail(HistoryProblem::Failure::CannotUse, because(Reason::NotRegular));
            return false;
        }
        db.setConnectOptions(
            before.writable ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=200")
                            : QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=200"));
        if (!db.open()) {
            fail(HistoryProblem::Failure::CannotOpen,
                 because(Reason::System, db.lastError().text().toStdString()));
            return false;
        }
        {
            const std::lock_guard lock(m_handleMutex);
            const QVariant handle = db.driver()->handle();
            if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
                m_handle = *static_cast<sqlite3 *const *>(handle.constData());
                m_stop = interruptFor(db.driver());
            }
            // Asked to stop while it was opening.
            if (m_interrupted && m_handle && m_stop) {
                m_stop(m_handle);
            }
        }
        // What SQLite opened is the file looked at, not one put in its place meanwhile.
        if (lookAt(m_path) != before) {
            close();
            fail(HistoryProblem::Failure::CannotUse, because(Reason::NotRegular));
            return false;
        }
        QSqlQuery check(db);
        const bool checked = check.exec(QStringLiteral("PRAGMA quick_check")) && check.next();
        if (checked && check.value(0).toString() == QStringLiteral("ok")) {
            if (!before.writable) {
                fail(HistoryProblem::Failure::NotKept, because(Reason::ReadOnly));
                return false;
            }
            return true;
        }
        const int code = resultCode(check.lastError());
        if (!checked && code != kCorrupt && code != kNotADatabase) {
            fail(HistoryProblem::Failure::CannotUse, why(check.lastError()));
            return false;
        }
        // Damaged, or no database at all: keep it for whoever wants to look, start anew.
        check.finish();
        close();
        if (!before.writable || !moveAside()) {
            return false;
        }
    }
    return false;
}

bool HistoryDatabase::moveAside() {
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

bool HistoryDatabase::migrate() {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        fail(HistoryProblem::Failure::CannotUse, why(query.lastError()));
        return false;
    }
    // Only the versions this program wrote are known. A newer program's file is left as it is;
    // one below them all is no history of this program.
    const qint64 version = query.value(0).toLongLong();
    query.finish();
    if (version > kSchemaVersion) {
        fail(HistoryProblem::Failure::MadeByNewer);
        return false;
    }
    if (version < 0) {
        m_damaged = true;
        return false;
    }
    // Nothing is added to a database whose tables are not the layout its version names.
    QSqlError error;
    const std::optional<Tables> tables = tablesOf(db, error);
    if (!tables && why(error).reason == HistoryProblem::Reason::Locked) {
        fail(HistoryProblem::Failure::CannotUse, why(error));
        return false;
    }
    const std::optional<Tables> layout = layoutOf(version);
    if (!layout) {
        fail(HistoryProblem::Failure::CannotUse,
             because(HistoryProblem::Reason::System, "no layout to compare with"));
        return false;
    }
    if (!tables || *tables != *layout) {
        m_damaged = true;
        return false;
    }
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
        fail(HistoryProblem::Failure::CannotUse, why(query.lastError()));
        return false;
    }
    query.finish();
    for (const Migration *step = migrationFrom(version); step;
         step = migrationFrom(step->from + 1)) {
        if (!db.transaction()) {
            fail(HistoryProblem::Failure::CannotUpdate, why(db.lastError()));
            return false;
        }
        for (const char *statement : step->statements) {
            if (!query.exec(QString::fromLatin1(statement))) {
                fail(HistoryProblem::Failure::CannotUpdate, why(query.lastError()));
                db.rollback();
                return false;
            }
        }
        query.exec(QStringLiteral("PRAGMA user_version=%1").arg(step->from + 1));
        if (!db.commit()) {
            fail(HistoryProblem::Failure::CannotUpdate, why(db.lastError()));
            db.rollback();
            return false;
        }
    }
    return true;
}

std::int64_t HistoryDatabase::beginSession(const std::string &track, const std::string &car,
                                           std::int64_t startedMs) {
    if (!usable()) {
        return 0;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
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

bool HistoryDatabase::addLap(std::int64_t session, const engineer::LapRecord &lap) {
    if (!usable() || session == 0) {
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
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

std::vector<engineer::LapRecord> HistoryDatabase::laps(std::int64_t session) const {
    std::vector<engineer::LapRecord> laps;
    if (!usable()) {
        return laps;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
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

std::optional<double> HistoryDatabase::personalBest(const std::string &track,
                                                    const std::string &car) const {
    if (!usable()) {
        return std::nullopt;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral(
        "SELECT MIN(laps.time_s) FROM laps JOIN sessions ON laps.session = sessions.id"
        " WHERE sessions.track = ? AND sessions.car = ? AND laps.time_s > 0"
        " AND laps.time_s < ? AND laps.pitted = 0"));
    query.addBindValue(QString::fromStdString(track));
    query.addBindValue(QString::fromStdString(car));
    query.addBindValue(dashboard::kLongestLapSeconds);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return query.value(0).toDouble();
}

std::optional<std::vector<double>>
HistoryDatabase::recentConsumption(const std::string &track, const std::string &car) const {
    if (!usable()) {
        return std::nullopt;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral(
        "SELECT laps.fuel_used_l FROM laps JOIN sessions ON laps.session = sessions.id"
        " WHERE sessions.track = ? AND sessions.car = ? AND laps.counts = 1"
        " AND laps.fuel_used_l > 0 ORDER BY laps.id DESC LIMIT ?"));
    query.addBindValue(QString::fromStdString(track));
    query.addBindValue(QString::fromStdString(car));
    query.addBindValue(engineer::kFuelLaps);
    if (!query.exec()) {
        return std::nullopt;
    }
    std::vector<double> used;
    while (query.next()) {
        used.push_back(query.value(0).toDouble());
    }
    return used;
}

std::optional<engineer::TankCapacity> HistoryDatabase::tankCapacity(const std::string &car) const {
    if (!usable()) {
        return std::nullopt;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT tank_learned_l, tank_given_l FROM cars WHERE car = ?"));
    query.addBindValue(QString::fromStdString(car));
    if (!query.exec()) {
        return std::nullopt;
    }
    if (!query.next()) {
        return query.lastError().isValid() ? std::nullopt : std::optional(engineer::TankCapacity{});
    }
    return engineer::TankCapacity{query.value(0).toDouble(), query.value(1).toDouble()};
}

bool HistoryDatabase::keepTankCapacity(const std::string &car, const engineer::TankCapacity &tank) {
    if (!usable()) {
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
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
