// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/history_store.h"
#include "i18n/language_table.h"
#include "support/error_capture.h"
#include "support/temp_dir.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace ostrelo::history {
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

private:
    static inline const QString kName = QStringLiteral("other");
};

TEST(HistoryStore, KeepsEverySessionAndFindsThePersonalBest) {
    testing::TempDir dir;
    const std::string path = dir.file("data/Ostrelo/history.sqlite");
    {
        HistoryStore store(path);
        ASSERT_TRUE(store.isOpen()) << store.problem().systemText;
        const std::int64_t first = store.beginSession("Anella Sud", "Lince", 1000);
        EXPECT_TRUE(store.addLap(first, lap(1, 92.5F)));
        EXPECT_TRUE(store.addLap(first, lap(2, 80, true))); // a pit lap is no record
        const std::int64_t other = store.beginSession("Anella Sud", "Falcon", 2000);
        EXPECT_TRUE(store.addLap(other, lap(1, 85)));
        EXPECT_EQ(store.laps(first), (std::vector{lap(1, 92.5F), lap(2, 80, true)}));
    }
    HistoryStore again(path);
    const std::int64_t later = again.beginSession("Anella Sud", "Lince", 3000);
    EXPECT_DOUBLE_EQ(again.personalBest("Anella Sud", "Lince"), 92.5);
    EXPECT_TRUE(again.addLap(later, lap(1, 91.25F)));
    EXPECT_DOUBLE_EQ(again.personalBest("Anella Sud", "Lince"), 91.25);
    EXPECT_DOUBLE_EQ(again.personalBest("Elsewhere", "Lince"), 0);
    const std::string csv = engineer::lapsCsv(again.laps(later));
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "number,time_s,fuel_used_l,position,pitted,limiter,refuelled,counts,tread_fl,"
              "tread_fr,tread_rl,tread_rr,pressure_fl,pressure_fr,pressure_rl,pressure_rr,wear_fl,"
              "wear_fr,wear_rl,wear_rr,brake_fl,brake_fr,brake_rl,brake_rr");
    EXPECT_NE(csv.find("\r\n1,91.25,2.5,3,0,0,0,1,80,81,82,83.5,180,"), std::string::npos);

    OtherProgram look(path);
    EXPECT_EQ(look.ask(QStringLiteral("PRAGMA user_version")).toInt(), kSchemaVersion);
    EXPECT_EQ(look.ask(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
}

TEST(HistoryStore, ADamagedFileIsMovedAsideAndANewOneStarted) {
    testing::TempDir dir;
    const std::string path = dir.write("history.sqlite", "these bytes are no database at all, "
                                                         "not even its header..............");
    testing::ErrorCapture capture;
    HistoryStore store(path);
    ASSERT_TRUE(store.isOpen());
    EXPECT_EQ(store.problem().failure, HistoryProblem::Failure::MovedAside);
    EXPECT_TRUE(store.problem().subject.starts_with(path + ".damaged-"));
    ASSERT_EQ(capture.reports().size(), 1u);
    EXPECT_EQ(capture.reports()[0].routine, "History");
    int aside = 0;
    for (const auto &entry : std::filesystem::directory_iterator(dir.path())) {
        aside += entry.path().filename().string().starts_with("history.sqlite.damaged-");
    }
    EXPECT_EQ(aside, 1);
    EXPECT_TRUE(store.addLap(store.beginSession("T", "C", 1), lap(1, 90)));

    // A table gone is damage too.
    OtherProgram(path).ask(QStringLiteral("DROP TABLE laps"));
    HistoryStore again(path);
    ASSERT_TRUE(again.isOpen());
    EXPECT_TRUE(again.addLap(again.beginSession("T", "C", 2), lap(1, 91)));
    EXPECT_EQ(capture.reports().size(), 2u);
}

TEST(HistoryStore, ALockedReadOnlyOrNewerFileStopsNothing) {
    testing::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    testing::ErrorCapture capture;
    HistoryStore store(path);
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

    OtherProgram(path).ask(QStringLiteral("PRAGMA user_version=99"));
    EXPECT_FALSE(HistoryStore(path).isOpen());

    OtherProgram(path).ask(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read);
    const auto before = std::filesystem::file_size(path);
    HistoryStore readOnly(path);
    EXPECT_FALSE(readOnly.isOpen());
    EXPECT_EQ(readOnly.problem(), (HistoryProblem{HistoryProblem::Failure::NotKept, path, "",
                                                  HistoryProblem::Reason::ReadOnly, ""}));
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(capture.reports().size(), 3u);
}

// What the history tells the user comes in the language in force, SQLite's own text as it came;
// the error reports stay in English.
TEST(HistoryStore, TellsItsProblemsInTheLanguageInForce) {
    testing::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    testing::ErrorCapture capture;
    HistoryProblem locked;
    {
        HistoryStore store(path);
        const std::int64_t session = store.beginSession("T", "C", 1);
        OtherProgram other(path);
        other.ask(QStringLiteral("BEGIN EXCLUSIVE"));
        EXPECT_FALSE(store.addLap(session, lap(4, 90)));
        locked = store.problem();
        other.ask(QStringLiteral("ROLLBACK"));
    }
    OtherProgram(path).ask(QStringLiteral("PRAGMA user_version=99"));
    const HistoryProblem newer = HistoryStore(path).problem();
    ASSERT_FALSE(capture.reports().empty());
    EXPECT_EQ(capture.reports().back().description,
              "The lap history " + path + " is left alone: a newer Ostrelo made it.");
    const HistoryProblem sqlite{HistoryProblem::Failure::CannotOpen, path, "",
                                HistoryProblem::Reason::System, "unable to open %2 (14)"};
    const struct {
        const HistoryProblem *problem;
        const char *language;
        std::string said;
    } cases[] = {
        {&locked, "Deutsch",
         "Der Rundenverlauf " + path +
             " kann Runde 4 nicht aufnehmen: ein anderes Programm hält ihn gesperrt."},
        {&locked, "Català",
         "L'historial de voltes " + path +
             " no pot desar la volta 4: un altre programa el té blocat."},
        {&newer, "Deutsch",
         "Der Rundenverlauf " + path +
             " bleibt unangetastet: ein neueres Ostrelo hat ihn angelegt."},
        {&newer, "Català",
         "L'historial de voltes " + path + " es deixa com està: el va crear un Ostrelo més nou."},
        {&sqlite, "Deutsch",
         "Der Rundenverlauf " + path + " kann nicht geöffnet werden: unable to open %2 (14)."},
        {&sqlite, "Català",
         "L'historial de voltes " + path + " no es pot obrir: unable to open %2 (14)."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        EXPECT_EQ(describe(*c.problem, i18n::findLanguage(c.language)->texts), c.said);
    }
}

std::string bytesOf(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Each layout version's file, as that version of the program wrote it, opened by this one: the
// laps and the bests come through whatever the layout now is.
TEST(HistoryStore, ReadsTheFilesEachLayoutVersionWrote) {
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
            HistoryStore store(path);
            ASSERT_TRUE(store.isOpen()) << store.problem().systemText;
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
            EXPECT_DOUBLE_EQ(store.personalBest("Anella Sud", "Lince Turbo 16V"), 90.75);
            EXPECT_DOUBLE_EQ(store.personalBest("Anella Sud", "Falcon RS 2.0"), 89.5);
            EXPECT_DOUBLE_EQ(store.personalBest("Monza", "Lince Turbo 16V"), 100.125);
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
TEST(HistoryStore, ALapWithoutATimeIsKeptAndIsNoBest) {
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
            HistoryStore store(path);
            const std::int64_t session = store.beginSession("Anella Sud", "Lince", 1);
            EXPECT_TRUE(store.addLap(session, lap(1, 91)));
            EXPECT_TRUE(store.addLap(session, lap(2, c.timeS)));
            EXPECT_EQ(store.laps(session).size(), 2u);
            EXPECT_EQ(store.laps(session).back().timeS, c.keptS);
        }
        EXPECT_DOUBLE_EQ(HistoryStore(path).personalBest("Anella Sud", "Lince"), c.best);
    }

    // What an earlier version kept as it came: a time of a day or more is none either.
    testing::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    HistoryStore store(path);
    EXPECT_TRUE(store.addLap(store.beginSession("Anella Sud", "Lince", 1), lap(1, 91)));
    OtherProgram(path).ask(QStringLiteral("UPDATE laps SET time_s = 86400"));
    EXPECT_DOUBLE_EQ(store.personalBest("Anella Sud", "Lince"), 0);
}

TEST(HistoryStore, KeepsEachCarsTank) {
    testing::TempDir dir;
    const std::string path = dir.file("history.sqlite");
    {
        HistoryStore store(path);
        EXPECT_EQ(store.tankCapacity("Lince"), engineer::TankCapacity{});
        EXPECT_TRUE(store.keepTankCapacity("Lince", {58.5, 0}));
        EXPECT_TRUE(store.keepTankCapacity("Falcon", {0, 70}));
        EXPECT_TRUE(store.keepTankCapacity("Lince", {59.25, 60}));
    }
    HistoryStore again(path);
    EXPECT_EQ(again.tankCapacity("Lince"), (engineer::TankCapacity{59.25, 60}));
    EXPECT_EQ(again.tankCapacity("Falcon"), (engineer::TankCapacity{0, 70}));
    EXPECT_EQ(again.tankCapacity("Nordic"), engineer::TankCapacity{});
}

} // namespace
} // namespace ostrelo::history
