// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/race_engineer.h"
#include "history/history_database.h"
#include "history/history_store.h"
#include "i18n/language_table.h"
#include "support/error_capture.h"
#include "support/event_wait.h"
#include "support/temp_dir.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <ostream>
#include <sstream>

namespace ostrelo::history {

// Failures read as their numbers, the rest as text.
void PrintTo(const HistoryProblem &problem, std::ostream *out) {
    *out << "{failure " << static_cast<int>(problem.failure) << ", \"" << problem.path << "\", \""
         << problem.subject << "\", reason " << static_cast<int>(problem.reason) << ", \""
         << problem.systemText << "\"}";
}

namespace {

engineer::LapRecord lap(int number, float time, bool pitted = false) {
    engineer::LapRecord record;
    record.number = number;
    record.timeS = time;
    record.fuelUsedL = 2.5F;
    record.position = 3;
    record.pitted = pitted;
    record.counts = !pitted;
    record.treadC = {80, 81, 82, 83.5F};
    record.pressureKpa = {180, 181, 182, 183};
    record.wear = {0.99F, 0.98F, 0.97F, 0.96F};
    record.brakeC = {400, 410, 420, 430};
    return record;
}

// A second program's connection to the same file.
class OtherProgram {
public:
    explicit OtherProgram(const std::string &path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(QString::fromStdString(path));
        db.open();
    }
    ~OtherProgram() {
        QSqlDatabase::database(kName).close();
        QSqlDatabase::removeDatabase(kName);
    }
    QVariant ask(const QString &statement) {
        QSqlQuery query(QSqlDatabase::database(kName));
        query.exec(statement);
        return query.next() ? query.value(0) : QVariant();
    }
    // Whether it could write now, without waiting for another's lock.
    bool mayWrite() {
        QSqlQuery query(QSqlDatabase::database(kName));
        query.exec(QStringLiteral("PRAGMA busy_timeout=0"));
        const bool began = query.exec(QStringLiteral("BEGIN IMMEDIATE"));
        query.exec(QStringLiteral("ROLLBACK"));
        return began;
    }

private:
    static inline const QString kName = QStringLiteral("other");
};

std::string bytesOf(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string pinned(const char *name) {
    return bytesOf(std::filesystem::path(OSTRELO_TEST_DATA) / name);
}

using testing::runUntil;

// The files moved aside from `dir` as damaged.
std::vector<std::filesystem::path> movedAside(const testing::TempDir &dir) {
    std::vector<std::filesystem::path> aside;
    for (const auto &entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename().string().starts_with("history.sqlite.damaged-")) {
            aside.push_back(entry.path());
        }
    }
    return aside;
}

TEST(HistoryDatabase, KeepsEverySessionAndFindsThePersonalBest) {
    testing::TempDir dir;
    const std::string path = dir.file("data/Ostrelo/history.sqlite");
    {
        HistoryDatabase store(path);
        ASSERT_TRUE(store.open()) << store.problem().systemText;
        const std::int64_t first = store.beginSession("Anella Sud", "Lince", 1000);
        EXPECT_TRUE(store.addLap(first, lap(1, 92.5F)));
        EXPECT_TRUE(store.addLap(first, lap(2, 80, true))); // a pit lap is no record
        const std::int64_t other = store.beginSession("Anella Sud", "Falcon", 2000);
        EXPECT_TRUE(store.addLap(other, lap(1, 85)));
        EXPECT_EQ(store.laps(first), (std::vector{lap(1, 92.5F), lap(2, 80, true)}));
    }
    HistoryDatabase again(path);
    ASSERT_TRUE(again.open());
    const std::int64_t later = again.beginSession("Anella Sud", "Lince", 3000);
    EXPECT_EQ(again.personalBest("Anella Sud", "Lince"), 92.5);
    EXPECT_TRUE(again.addLap(later, lap(1, 91.25F)));
    EXPECT_EQ(again.personalBest("Anella Sud", "Lince"), 91.25);
    EXPECT_EQ(again.personalBest("Elsewhere", "Lince"), 0);
    const std::string csv = engineer::lapsCsv(again.laps(later));
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "number,time_s,fuel_used_l,position,pitted,limiter,refuelled,counts,tread_fl,"
              "tread_fr,tread_rl,tread_rr,pressure_fl,pressure_fr,pressure_rl,pressure_rr,wear_fl,"
              "wear_fr,wear_rl,wear_rr,brake_fl,brake_fr,brake_rl,brake_rr");

    OtherProgram look(path);
    EXPECT_EQ(look.ask(QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
    EXPECT_EQ(look.ask(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
}

TEST(HistoryDatabase, ADamagedFileIsMovedAsideAndANewOneStarted) {
    testing::TempDir dir;
    const std::string path = dir.write("history.sqlite", "these bytes are no database at all, "
                                                         "not even its header..............");
    HistoryDatabase store(path);
    ASSERT_TRUE(store.open());
    EXPECT_EQ(store.problem().failure, HistoryProblem::Failure::MovedAside);
    EXPECT_TRUE(store.problem().subject.starts_with(path + ".damaged-"));
    EXPECT_EQ(movedAside(dir).size(), 1u);
    EXPECT_TRUE(store.addLap(store.beginSession("T", "C", 1), lap(1, 90)));

    // A table gone is damage too.
    OtherProgram(path).ask(QStringLiteral("DROP TABLE laps"));
    HistoryDatabase again(path);
    ASSERT_TRUE(again.open());
    EXPECT_EQ(again.problem().failure, HistoryProblem::Failure::MovedAside);
    EXPECT_TRUE(again.addLap(again.beginSession("T", "C", 2), lap(1, 91)));

    // One nobody may write is left where it is.
    std::filesystem::create_directory(dir.file("kept"));
    const std::string kept = dir.write("kept/history.sqlite", "no database either");
    std::filesystem::permissions(kept, std::filesystem::perms::owner_read);
    EXPECT_FALSE(HistoryDatabase(kept).open());
    EXPECT_EQ(bytesOf(kept).substr(0, 20), "no database either");
}

TEST(HistoryDatabase, ALockedOrReadOnlyFileStopsNothing) {
    testing::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    HistoryDatabase store(path);
    ASSERT_TRUE(store.open());
    const std::int64_t session = store.beginSession("T", "C", 1);
    {
        OtherProgram other(path);
        other.ask(QStringLiteral("BEGIN EXCLUSIVE"));
        EXPECT_FALSE(store.addLap(session, lap(1, 90)));
        EXPECT_EQ(store.problem(), (HistoryProblem{HistoryProblem::Failure::CannotAddLap, path, "1",
                                                   HistoryProblem::Reason::Locked, ""}));
        other.ask(QStringLiteral("ROLLBACK"));
    }
    EXPECT_TRUE(store.addLap(session, lap(2, 90)));
    EXPECT_TRUE(store.problem().empty());

    OtherProgram(path).ask(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read);
    const auto before = std::filesystem::file_size(path);
    HistoryDatabase readOnly(path);
    EXPECT_FALSE(readOnly.open());
    EXPECT_FALSE(readOnly.mayOpenLater());
    EXPECT_EQ(readOnly.problem(), (HistoryProblem{HistoryProblem::Failure::NotKept, path, "",
                                                  HistoryProblem::Reason::ReadOnly, ""}));
    EXPECT_EQ(std::filesystem::file_size(path), before);
}

// Only a version this program wrote, with the tables that version has, is used: a file of an
// older version than any is moved aside untouched, one of a newer version left alone, and no
// table is added to a database that holds another program's.
TEST(HistoryDatabase, UsesOnlyTheLayoutsItWrote) {
    const QString accounts = QStringLiteral("CREATE TABLE accounts (id INTEGER PRIMARY KEY,"
                                            " owner TEXT)");
    const auto version = [](const char *number) {
        return QStringLiteral("PRAGMA user_version=") + QString::fromLatin1(number);
    };
    const struct {
        const char *what;
        const char *from; // a pinned history, or none for a new file
        std::vector<QString> statements;
        bool movedAside;
    } cases[] = {
        {"a negative version", "history-v2.sqlite", {version("-1")}, true},
        {"the lowest version", "history-v2.sqlite", {version("-2147483648")}, true},
        {"a negative version without tables", nullptr, {version("-7")}, true},
        {"the next version", "history-v2.sqlite", {version("3")}, false},
        {"the highest version", nullptr, {version("2147483647")}, false},
        {"another program's tables", nullptr, {accounts}, true},
        {"another program's tables at version 1", nullptr, {accounts, version("1")}, true},
        {"version 1 with a table more", "history-v1.sqlite", {accounts}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const std::string path = dir.write("history.sqlite", c.from ? pinned(c.from) : "");
        {
            OtherProgram other(path);
            for (const QString &statement : c.statements) {
                other.ask(statement);
            }
        }
        const std::string before = bytesOf(path);
        HistoryDatabase store(path);
        EXPECT_EQ(store.open(), c.movedAside);
        const std::vector<std::filesystem::path> aside = movedAside(dir);
        if (c.movedAside) {
            EXPECT_EQ(store.problem().failure, HistoryProblem::Failure::MovedAside);
            ASSERT_EQ(aside.size(), 1u);
            EXPECT_TRUE(bytesOf(aside[0]) == before) << "the file moved aside was changed";
            // A new history in its place.
            EXPECT_EQ(store.laps(1).size(), 0u);
            EXPECT_EQ(store.beginSession("T", "C", 1), 1);
            EXPECT_EQ(OtherProgram(path).ask(QStringLiteral("PRAGMA user_version")).toInt(),
                      kSchemaVersion);
        } else {
            EXPECT_EQ(store.problem(), (HistoryProblem{HistoryProblem::Failure::MadeByNewer, path,
                                                       "", HistoryProblem::Reason::System, ""}));
            EXPECT_TRUE(aside.empty());
            EXPECT_TRUE(bytesOf(path) == before) << "the file left alone was changed";
        }
    }
}

// The history is a regular file of its own: a symbolic link, to another program's database or
// to nothing, or beside it where SQLite keeps its log, is refused and nothing is written
// through it.
TEST(HistoryDatabase, OpensOnlyARegularFileNeverThroughALink) {
    const struct {
        const char *what;
        const char *link; // the name of the link
        const char *to;   // where it leads
    } cases[] = {
        {"a link to another program's database", "history.sqlite", "other.sqlite"},
        {"a link to nothing", "history.sqlite", "nowhere.sqlite"},
        {"a link where the log goes", "history.sqlite-wal", "other.sqlite"},
        {"a folder", "history.sqlite", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const std::string path = dir.file("history.sqlite");
        OtherProgram(dir.file("other.sqlite"))
            .ask(QStringLiteral("CREATE TABLE accounts (id INTEGER PRIMARY KEY, owner TEXT)"));
        const std::string other = bytesOf(dir.file("other.sqlite"));
        if (c.to) {
            std::filesystem::create_symlink(c.to, dir.file(c.link));
        } else {
            std::filesystem::create_directory(dir.file(c.link));
        }
        HistoryDatabase store(path);
        EXPECT_FALSE(store.open());
        EXPECT_FALSE(store.mayOpenLater());
        EXPECT_EQ(store.problem(), (HistoryProblem{HistoryProblem::Failure::CannotUse, path, "",
                                                   HistoryProblem::Reason::NotRegular, ""}));
        EXPECT_TRUE(bytesOf(dir.file("other.sqlite")) == other) << "written through the link";
        EXPECT_FALSE(std::filesystem::exists(dir.file("nowhere.sqlite")));
    }
}

// What the history tells the user comes in the language in force, SQLite's own text as it came.
TEST(HistoryDatabase, TellsItsProblemsInTheLanguageInForce) {
    const std::string path = "/home/marta/.local/share/Ostrelo/history.sqlite";
    // As a lock and a newer file leave them (ALockedOrReadOnlyFileStopsNothing and
    // UsesOnlyTheLayoutsItWrote hold the store to that).
    const HistoryProblem locked{HistoryProblem::Failure::CannotAddLap, path, "4",
                                HistoryProblem::Reason::Locked, ""};
    const HistoryProblem newer{HistoryProblem::Failure::MadeByNewer, path, "",
                               HistoryProblem::Reason::System, ""};
    const HistoryProblem sqlite{HistoryProblem::Failure::CannotOpen, path, "",
                                HistoryProblem::Reason::System, "unable to open %2 (14)"};
    const HistoryProblem link{HistoryProblem::Failure::CannotUse, path, "",
                              HistoryProblem::Reason::NotRegular, ""};
    const struct {
        const HistoryProblem *problem;
        const char *language;
        std::string said;
    } cases[] = {
        {&locked, "Deutsch",
         "Der Rundenverlauf " + path +
             " kann Runde 4 nicht aufnehmen: ein anderes Programm hält ihn gesperrt."},
        {&newer, "Català",
         "L'historial de voltes " + path + " es deixa com està: el va crear un Ostrelo més nou."},
        {&sqlite, "Deutsch",
         "Der Rundenverlauf " + path + " kann nicht geöffnet werden: unable to open %2 (14)."},
        {&link, "English",
         "The lap history " + path + " cannot be used: it is not a regular file."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        EXPECT_EQ(describe(*c.problem, i18n::findLanguage(c.language)->texts), c.said);
    }
}

// Each layout version's file, as that version of the program wrote it, opened by this one: the
// laps and the bests come through whatever the layout now is.
TEST(HistoryDatabase, ReadsTheFilesEachLayoutVersionWrote) {
    const struct {
        const char *name;
        engineer::TankCapacity lince;
        engineer::TankCapacity falcon;
    } files[] = {
        {"history-v1.sqlite", {}, {}},
        {"history-v2.sqlite", {58.5, 0}, {44.25, 60}},
    };
    for (const auto &[name, lince, falcon] : files) {
        SCOPED_TRACE(name);
        const std::filesystem::path kept = std::filesystem::path(OSTRELO_TEST_DATA) / name;
        const std::string before = bytesOf(kept);
        ASSERT_FALSE(before.empty());
        testing::TempDir dir;
        const std::string path = dir.write("history.sqlite", before);
        {
            HistoryDatabase store(path);
            ASSERT_TRUE(store.open()) << store.problem().systemText;
            const std::vector<engineer::LapRecord> laps = store.laps(1);
            const struct {
                int number;
                float timeS;
                float fuelUsedL;
                bool pitted;
                bool counts;
            } expected[] = {{1, 95.5F, 3.25F, false, false},
                            {2, 91.25F, 2.75F, false, true},
                            {3, 90.75F, 2.5F, false, true},
                            {4, 88, -40, true, false},
                            {5, 0, 2.625F, false, false}};
            ASSERT_EQ(laps.size(), std::size(expected));
            for (std::size_t i = 0; i < laps.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_EQ(laps[i].number, expected[i].number);
                EXPECT_EQ(laps[i].timeS, expected[i].timeS);
                EXPECT_EQ(laps[i].fuelUsedL, expected[i].fuelUsedL);
                EXPECT_EQ(laps[i].position, 10 - expected[i].number);
                EXPECT_EQ(laps[i].pitted, expected[i].pitted);
                EXPECT_EQ(laps[i].limiter, expected[i].pitted);
                EXPECT_EQ(laps[i].refuelled, expected[i].pitted);
                EXPECT_EQ(laps[i].counts, expected[i].counts);
            }
            EXPECT_EQ(laps[2].treadC, (std::array<float, 4>{83, 84, 85, 86}));
            EXPECT_EQ(laps[2].pressureKpa, (std::array<float, 4>{180, 181, 182, 183}));
            for (std::size_t wheel = 0; wheel < 4; ++wheel) {
                EXPECT_FLOAT_EQ(laps[2].wear[wheel], 0.97F - 0.001F * static_cast<float>(wheel));
            }
            EXPECT_EQ(laps[2].brakeC, (std::array<float, 4>{400, 410, 420, 430}));
            EXPECT_EQ(store.personalBest("Anella Sud", "Lince Turbo 16V"), 90.75);
            EXPECT_EQ(store.personalBest("Anella Sud", "Falcon RS 2.0"), 89.5);
            EXPECT_EQ(store.personalBest("Monza", "Lince Turbo 16V"), 100.125);
            EXPECT_EQ(store.laps(3).size(), 1u);
            EXPECT_EQ(store.tankCapacity("Lince Turbo 16V"), lince);
            EXPECT_EQ(store.tankCapacity("Falcon RS 2.0"), falcon);
            // What it keeps from now on follows the sessions it had.
            EXPECT_EQ(store.beginSession("Monza", "Falcon RS 2.0", 1700001800000), 4);
            EXPECT_TRUE(store.keepTankCapacity("Nordic Coupe S", {40, 0}));
        }
        EXPECT_EQ(OtherProgram(path).ask(QStringLiteral("PRAGMA user_version")).toInt(),
                  kSchemaVersion);
        EXPECT_EQ(bytesOf(kept), before);
    }
}

// Whatever time a lap is stored with, the best is the best lap time: a lap without one is
// kept, and is none.
TEST(HistoryDatabase, ALapWithoutATimeIsKeptAndIsNoBest) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const struct {
        const char *what;
        float timeS;
        float keptS;
        double best;
    } cases[] = {
        {"none", 0, 0, 91},           {"a negative time", -1, 0, 91},
        {"not a number", nan, 0, 91}, {"infinite", infinity, 0, 91},
        {"a day", 86400, 0, 91},      {"a faster lap", 90.5F, 90.5F, 90.5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const std::string path = dir.file("history.sqlite");
        {
            HistoryDatabase store(path);
            ASSERT_TRUE(store.open());
            const std::int64_t session = store.beginSession("Anella Sud", "Lince", 1);
            EXPECT_TRUE(store.addLap(session, lap(1, 91)));
            EXPECT_TRUE(store.addLap(session, lap(2, c.timeS)));
            EXPECT_EQ(store.laps(session).size(), 2u);
            EXPECT_EQ(store.laps(session).back().timeS, c.keptS);
        }
        HistoryDatabase again(path);
        ASSERT_TRUE(again.open());
        EXPECT_EQ(again.personalBest("Anella Sud", "Lince"), c.best);
    }

    // What an earlier version kept as it came: a time of a day or more is none either.
    testing::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    HistoryDatabase store(path);
    ASSERT_TRUE(store.open());
    EXPECT_TRUE(store.addLap(store.beginSession("Anella Sud", "Lince", 1), lap(1, 91)));
    OtherProgram(path).ask(QStringLiteral("UPDATE laps SET time_s = 86400"));
    EXPECT_EQ(store.personalBest("Anella Sud", "Lince"), 0);
}

TEST(HistoryDatabase, KeepsEachCarsTank) {
    testing::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    {
        HistoryDatabase store(path);
        ASSERT_TRUE(store.open());
        EXPECT_EQ(store.tankCapacity("Lince"), engineer::TankCapacity{});
        EXPECT_TRUE(store.keepTankCapacity("Lince", {58.5, 0}));
        EXPECT_TRUE(store.keepTankCapacity("Falcon", {0, 70}));
        EXPECT_TRUE(store.keepTankCapacity("Lince", {59.25, 60}));
    }
    HistoryDatabase again(path);
    ASSERT_TRUE(again.open());
    EXPECT_EQ(again.tankCapacity("Lince"), (engineer::TankCapacity{59.25, 60}));
    EXPECT_EQ(again.tankCapacity("Falcon"), (engineer::TankCapacity{0, 70}));
    EXPECT_EQ(again.tankCapacity("Nordic"), engineer::TankCapacity{});
}

// A sample of the race on `lap` with `fuel` litres, the last lap's time `lastLap`.
telemetry::TelemetrySample at(int lap, float fuel, float lastLap = 0) {
    telemetry::TelemetrySample s;
    s.TrackName = "Anella Sud";
    s.CarName = "Lince Turbo 16V";
    s.LapNumber = static_cast<std::int16_t>(lap);
    s.Fuel = fuel;
    s.LastLapTime = lastLap;
    s.Ignition = 1;
    return s;
}

// Another program holds the file from start-up on: the engineer goes on with the laps of this
// run, and once the file is free it is brought up to date, the laps that ended meanwhile are
// written and the best kept before comes back.
TEST(HistoryStore, WritesWhatALockHeldUpOnceTheFileIsFree) {
    testing::TempDir dir;
    const std::string path = dir.write("history.sqlite", pinned("history-v1.sqlite"));
    testing::ErrorCapture capture;
    OtherProgram other(path);
    other.ask(QStringLiteral("BEGIN EXCLUSIVE"));
    std::optional<HistoryProblem> opened;
    HistoryStore store(path);
    store.onOpened = [&opened](const HistoryProblem &problem) { opened = problem; };
    engineer::RaceEngineer engineer(&store);
    // Lap 2 in 93, lap 3 in 92.
    for (const telemetry::TelemetrySample &s : {at(2, 40), at(3, 37, 93), at(4, 34, 92)}) {
        engineer.feed(s, 1700002000000);
    }
    ASSERT_TRUE(runUntil([&] { return !store.problem().empty(); }));
    EXPECT_EQ(store.problem(), (HistoryProblem{HistoryProblem::Failure::CannotUpdate, path, "",
                                               HistoryProblem::Reason::Locked, ""}));
    EXPECT_DOUBLE_EQ(engineer.personalBest(), 92);
    EXPECT_FALSE(opened);

    other.ask(QStringLiteral("ROLLBACK"));
    ASSERT_TRUE(runUntil([&] { return engineer.personalBest() == 90.75; }));
    EXPECT_NEAR(*engineer.lastAgainstBest(), 1.25, 1e-5);
    ASSERT_TRUE(runUntil([&] {
        return other
                   .ask(QStringLiteral("SELECT group_concat(number || ' ' || time_s, ', ')"
                                       " FROM laps WHERE session = 4"))
                   .toString() == QStringLiteral("2 93.0, 3 92.0");
    }));
    EXPECT_EQ(other.ask(QStringLiteral("SELECT track || ', ' || car FROM sessions WHERE id = 4"))
                  .toString(),
              QStringLiteral("Anella Sud, Lince Turbo 16V"));
    EXPECT_EQ(other.ask(QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
    ASSERT_TRUE(runUntil([&] { return store.problem().empty(); }));
    EXPECT_EQ(opened, HistoryProblem{});
    ASSERT_EQ(capture.reports().size(), 1u);
    EXPECT_EQ(capture.reports()[0].routine, "History");
    EXPECT_EQ(capture.reports()[0].description,
              "The lap history " + path +
                  " cannot be brought up to date: another program holds it locked.");
}

// A statement that does not end (a trigger someone put in the file) holds up neither the
// calls, which return while it runs, nor the end, which stops it.
TEST(HistoryStore, NeverWaitsForTheFileAndStopsWhatSQLiteDoesAtTheEnd) {
    testing::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    {
        HistoryDatabase made(path);
        ASSERT_TRUE(made.open());
    }
    OtherProgram other(path);
    // A hundred sessions joined with themselves six times: 10^12 rows to count for each lap.
    other.ask(QStringLiteral("INSERT INTO sessions (started_ms, track, car) WITH RECURSIVE"
                             " n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100)"
                             " SELECT i, 'T', 'C' FROM n"));
    other.ask(QStringLiteral("CREATE TRIGGER stall AFTER INSERT ON laps BEGIN SELECT count(*)"
                             " FROM sessions a, sessions b, sessions c, sessions d, sessions e,"
                             " sessions f; END"));
    ASSERT_TRUE(other.mayWrite());
    {
        HistoryStore store(path);
        store.addLap(store.beginSession("T", "C", 1), lap(1, 90));
        store.askPersonalBest("T", "C");
        // The insert runs, holding the file, while this thread goes on.
        ASSERT_TRUE(runUntil([&] { return !other.mayWrite(); }));
    }
    // Stopped, not left running: the file is free, and the lap was not written.
    EXPECT_TRUE(runUntil([&] { return other.mayWrite(); }));
    EXPECT_EQ(other.ask(QStringLiteral("SELECT count(*) FROM laps")).toInt(), 0);
}

// Takes the answers of a history.
struct Answers : engineer::LapHistory::Listener {
    struct Best {
        std::string track;
        std::string car;
        double bestS;
        bool operator==(const Best &) const = default;
    };
    void personalBestFound(const std::string &track, const std::string &car,
                           double bestS) override {
        bests.push_back({track, car, bestS});
    }
    void tankCapacityFound(const std::string &car, const engineer::TankCapacity &tank) override {
        tanks.emplace_back(car, tank);
    }
    void consumptionFound(const std::string &track, const std::string &,
                          const engineer::EarlierConsumption &used) override {
        consumptions.emplace_back(track, used);
    }
    std::vector<Best> bests;
    std::vector<std::pair<std::string, engineer::TankCapacity>> tanks;
    std::vector<std::pair<std::string, engineer::EarlierConsumption>> consumptions;
};

// While another program holds the file, what waits to be written counts in the answers as if
// it were: the laps of this run for the best and the fuel used, the last tank handed over.
TEST(HistoryStore, AnswersWithWhatWaitsToBeWritten) {
    testing::TempDir dir;
    const std::string path = dir.write("history.sqlite", pinned("history-v2.sqlite"));
    testing::ErrorCapture capture;
    Answers answers;
    HistoryStore store(path);
    store.setListener(&answers);
    bool opened = false;
    store.onOpened = [&opened](const HistoryProblem &) { opened = true; };
    ASSERT_TRUE(runUntil([&] { return opened; }));
    OtherProgram other(path);
    other.ask(QStringLiteral("BEGIN EXCLUSIVE"));
    const std::int64_t session = store.beginSession("Anella Sud", "Lince Turbo 16V", 1);
    store.addLap(session, lap(1, 90.5F));
    store.addLap(session, lap(2, 89, true)); // a pit lap is no record
    store.keepTankCapacity("Lince Turbo 16V", {59, 61});
    store.askPersonalBest("Anella Sud", "Lince Turbo 16V");
    store.askPersonalBest("Anella Sud", "Falcon RS 2.0");
    store.addLap(store.beginSession("Monza", "Falcon RS 2.0", 2), lap(1, 95));
    store.askPersonalBest("Monza", "Falcon RS 2.0");
    store.askTankCapacity("Lince Turbo 16V");
    store.askTankCapacity("Falcon RS 2.0");
    store.askConsumption("Anella Sud", "Lince Turbo 16V");
    store.askConsumption("Monza", "Lince Turbo 16V");
    ASSERT_TRUE(runUntil([&] { return answers.consumptions.size() == 2; }));
    // The lap waiting (2.5 litres) and the last two counting laps kept (2.5 and 2.75); no lap
    // at Monza counts.
    EXPECT_EQ(answers.consumptions[0].first, "Anella Sud");
    EXPECT_NEAR(answers.consumptions[0].second.mean, 7.75 / 3, 1e-5);
    EXPECT_NEAR(answers.consumptions[0].second.most, 2.75, 1e-5);
    EXPECT_EQ(answers.consumptions[1].second, (engineer::EarlierConsumption{}));
    EXPECT_EQ(answers.bests, (std::vector<Answers::Best>{
                                 {"Anella Sud", "Lince Turbo 16V", 90.5},
                                 {"Anella Sud", "Falcon RS 2.0", 89.5},
                                 {"Monza", "Falcon RS 2.0", 95},
                             }));
    EXPECT_EQ(answers.tanks, (std::vector<std::pair<std::string, engineer::TankCapacity>>{
                                 {"Lince Turbo 16V", {59, 61}},
                                 {"Falcon RS 2.0", {44.25, 60}},
                             }));
    EXPECT_EQ(other.ask(QStringLiteral("SELECT count(*) FROM laps")).toInt(), 7);
    other.ask(QStringLiteral("ROLLBACK"));
    ASSERT_TRUE(runUntil(
        [&] { return other.ask(QStringLiteral("SELECT count(*) FROM laps")).toInt() == 10; }));
    // Once written: the newest counting laps, and the mean of as many as there are.
    engineer::LapRecord heavy = lap(3, 91);
    heavy.fuelUsedL = 4;
    store.addLap(session, heavy);
    store.askConsumption("Anella Sud", "Lince Turbo 16V");
    store.askConsumption("Monza", "Falcon RS 2.0");
    ASSERT_TRUE(runUntil([&] { return answers.consumptions.size() == 4; }));
    EXPECT_NEAR(answers.consumptions[2].second.mean, 3, 1e-5);
    EXPECT_NEAR(answers.consumptions[2].second.most, 4, 1e-5);
    EXPECT_NEAR(answers.consumptions[3].second.mean, 2.5, 1e-5);
    EXPECT_EQ(capture.reports().size(), 1u);
}

// What is handed over just before the program ends is written before the store goes.
TEST(HistoryStore, WritesWhatIsHandedOverBeforeItEnds) {
    testing::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    {
        HistoryStore store(path);
        bool opened = false;
        store.onOpened = [&opened](const HistoryProblem &) { opened = true; };
        ASSERT_TRUE(runUntil([&] { return opened; }));
        store.addLap(store.beginSession("Anella Sud", "Lince", 1), lap(7, 91.5F));
    }
    EXPECT_EQ(OtherProgram(path).ask(QStringLiteral("SELECT number FROM laps")).toInt(), 7);
}

// What goes wrong is reported once, in English, and said to whoever waits for the opening.
TEST(HistoryStore, ReportsEachProblemOnceAndTellsItWhenOpen) {
    const struct {
        const char *what;
        const char *bytes;
        QString statement;
        HistoryProblem::Failure failure;
        std::string report; // its beginning
    } cases[] = {
        {"damaged",
         "no database at all, not even its header.........................",
         {},
         HistoryProblem::Failure::MovedAside,
         "was damaged: it was moved to "},
        {"made by a newer program", "", QStringLiteral("PRAGMA user_version=99"),
         HistoryProblem::Failure::MadeByNewer, "is left alone: a newer Ostrelo made it."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const std::string path = dir.write("history.sqlite", c.bytes);
        if (!c.statement.isEmpty()) {
            OtherProgram(path).ask(c.statement);
        }
        testing::ErrorCapture capture;
        std::vector<HistoryProblem> opened;
        HistoryStore store(path);
        store.onOpened = [&opened](const HistoryProblem &problem) { opened.push_back(problem); };
        ASSERT_TRUE(runUntil([&] { return !opened.empty(); }));
        EXPECT_EQ(opened[0].failure, c.failure);
        EXPECT_EQ(store.problem(), opened[0]);
        ASSERT_EQ(capture.reports().size(), 1u);
        EXPECT_EQ(capture.reports()[0].routine, "History");
        EXPECT_TRUE(capture.reports()[0].description.starts_with("The lap history " + path + " " +
                                                                 c.report))
            << capture.reports()[0].description;
    }
}

} // namespace
} // namespace ostrelo::history
