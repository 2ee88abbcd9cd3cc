// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_file.h"
#include "replay/session_format.h"
#include "support/patience.h"
#include "support/temp_dir.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrelo::app {
namespace {

const QString kBinary = QStringLiteral(OSTRELO_BINARY);

// Runs the program to completion (it must end by itself) and returns its exit code.
int runToEnd(QProcess &process, const QStringList &arguments) {
    process.start(kBinary, arguments);
    EXPECT_TRUE(process.waitForFinished(testing::kPatienceMs));
    return process.exitCode();
}

// Starts the program offscreen with `arguments` and waits until its window has loaded (the
// load step writes the show-server-data option to `ini` last); returns what it wrote on
// stderr so far.
QByteArray startAndWaitForLoad(QProcess &process, const std::string &ini,
                               const QStringList &arguments) {
    process.start(kBinary, QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")} +
                               arguments);
    EXPECT_TRUE(process.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    QByteArray errors;
    while (core::ReadIni(ini, "Opcions", "DadesServ", "") == "-1" &&
           clock.elapsed() < testing::kPatienceMs) {
        process.waitForReadyRead(50);
        errors += process.readAllStandardError();
    }
    return errors;
}

QByteArray startAndWaitForLoad(QProcess &process, const std::string &ini) {
    return startAndWaitForLoad(process, ini,
                               {QStringLiteral("--config"), QString::fromStdString(ini)});
}

TEST(StartUp, AnswersHelpAndVersionWithoutADisplay) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    process.setProcessEnvironment(environment);
    EXPECT_EQ(runToEnd(process, {QStringLiteral("--version")}), 0);
    EXPECT_EQ(process.readAllStandardOutput(), "Ostrelo 1.1.1.20\n");
    EXPECT_EQ(runToEnd(process, {QStringLiteral("--help")}), 0);
    EXPECT_TRUE(process.readAllStandardOutput().contains("--config PATH"));
    EXPECT_EQ(runToEnd(process, {}), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("no display"));
    // A display that does not answer is a message too, never a crash.
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
    process.setProcessEnvironment(environment);
    EXPECT_EQ(runToEnd(process, {}), 1);
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(process.readAllStandardError().contains("cannot connect to the X display :4711"));
    // Qt's own platform needs no X display: a session that cannot be played is refused.
    testing::TempDir dir;
    const QString ini = QString::fromStdString(dir.file("Ostrelo.ini"));
    EXPECT_EQ(runToEnd(process, {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                 QStringLiteral("--config"), ini, QStringLiteral("--replay"),
                                 QString::fromStdString(dir.write("x.ostrelo", "not a session"))}),
              2);
    // Said in the language the settings give: the default, Spanish.
    EXPECT_TRUE(process.readAllStandardError().contains("no es un archivo de sesión de Ostrelo"));

    // The simulated game answers the same way, and refuses what it does not know.
    QProcess simgame;
    simgame.setProcessEnvironment(environment);
    const auto runGame = [&simgame](const QStringList &arguments) {
        simgame.start(QStringLiteral(OSTRELO_SIMGAME_BINARY), arguments);
        EXPECT_TRUE(simgame.waitForFinished(testing::kPatienceMs));
        EXPECT_EQ(simgame.exitStatus(), QProcess::NormalExit);
        return simgame.exitCode();
    };
    EXPECT_EQ(runGame({QStringLiteral("--version")}), 0);
    EXPECT_EQ(simgame.readAllStandardOutput(), "ostrelo-simgame 1.1.1.20\n");
    EXPECT_EQ(runGame({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(simgame.readAllStandardOutput().contains("--scenario FILE"));
    EXPECT_EQ(runGame({QStringLiteral("--bogus")}), 2);
    EXPECT_EQ(runGame({}), 1);
    EXPECT_TRUE(simgame.readAllStandardError().contains("X display :4711"));
}

TEST(StartUp, RejectsAnUnknownOption) {
    QProcess process;
    EXPECT_EQ(runToEnd(process, {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                 QStringLiteral("--bogus")}),
              2);
    EXPECT_TRUE(process.readAllStandardError().contains("unknown option: --bogus"));
}

TEST(StartUp, ReportsABadSettingAndOpensTheWindowAnyway) {
    testing::TempDir dir;
    const std::string ini =
        dir.write("Ostrelo.ini", "[Opcions]\nScanTime=40000\nIdioma=Klingon\nTipusConexio=5\n");
    QProcess process;
    QByteArray errors = startAndWaitForLoad(process, ini);
    EXPECT_EQ(process.state(), QProcess::Running);
    process.terminate();
    process.waitForFinished(testing::kPatienceMs);
    errors += process.readAllStandardError();
    // Klingon is no language: the notices come in the default one.
    EXPECT_TRUE(errors.contains("[Opcions] ScanTime contiene \"40000\"")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("se usa 500 en su lugar")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("[Opcions] TipusConexio contiene \"5\"")) << errors.toStdString();
    EXPECT_EQ(core::ReadIni(ini, "Opcions", "ScanTime", ""), "500");
    EXPECT_EQ(core::ReadIni(ini, "Opcions", "TipusConexio", ""), "0");
    EXPECT_TRUE(errors.contains("[Opcions] Idioma contiene \"Klingon\"")) << errors.toStdString();
    EXPECT_EQ(core::ReadIni(ini, "Opcions", "Idioma", ""), "Español");
    EXPECT_EQ(core::ReadIni(ini, "MaxMin", "MaxPneu", ""), "100");
}

TEST(StartUp, RefusesASettingsFileOrLogThatIsNoRegularFile) {
    testing::TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0644), 0);
    std::filesystem::create_symlink(dir.file("loop"), dir.file("loop"));
    const QString offscreen = QStringLiteral("offscreen");
    for (const char *name : {"fifo", "loop", "."}) {
        SCOPED_TRACE(name);
        QProcess process;
        EXPECT_EQ(
            runToEnd(process, {QStringLiteral("-platform"), offscreen, QStringLiteral("--config"),
                               QString::fromStdString(dir.file(name))}),
            2);
        EXPECT_TRUE(process.readAllStandardError().contains("--config: ")) << name;
    }
    // An unusable log is said once; the program runs on without it and ends on a signal.
    for (const char *name : {"fifo", "loop"}) {
        SCOPED_TRACE(name);
        QProcess process;
        const std::string ini = dir.file(std::string(name) + ".ini");
        const QByteArray errors =
            startAndWaitForLoad(process, ini,
                                {QStringLiteral("--config"), QString::fromStdString(ini),
                                 QStringLiteral("--log"), QString::fromStdString(dir.file(name))});
        EXPECT_TRUE(errors.contains("El registro de telemetría está desactivado: "))
            << errors.toStdString();
        EXPECT_EQ(process.state(), QProcess::Running);
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(testing::kPatienceMs));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("fifo")));
}

// The program's own notices come in the language the settings give; what the system says of
// a refused port comes as the system says it.
TEST(StartUp, TellsItsNoticesInTheLanguageTheSettingsGive) {
    testing::TempDir dir;
    const std::string ini = dir.write("Ostrelo.ini", "[Opcions]\nIdioma=Deutsch\nScanTime=5\n");
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    const quint16 port = taken.serverPort();
    QTcpServer again;
    ASSERT_FALSE(again.listen(QHostAddress::LocalHost, port));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dir.file("data")));
    process.setProcessEnvironment(environment);
    const std::string refused = "ostrelo: Das Web-Armaturenbrett kann nicht auf Port " +
                                std::to_string(port) +
                                " lauschen: " + again.errorString().toStdString() + "\n";
    QByteArray errors = startAndWaitForLoad(
        process, ini,
        {QStringLiteral("--config"), QString::fromStdString(ini), QStringLiteral("--web"),
         QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--record"),
         QString::fromStdString(dir.path().string())});
    QElapsedTimer clock;
    clock.start();
    while (!errors.contains(refused.c_str()) && clock.elapsed() < testing::kPatienceMs) {
        process.waitForReadyRead(50);
        errors += process.readAllStandardError();
    }
    process.terminate();
    process.waitForFinished(testing::kPatienceMs);
    errors += process.readAllStandardError();
    for (const std::string &line :
         {"ostrelo: " + ini +
              ": [Opcions] ScanTime enthält „5“ (eine Abtastzeit beträgt mindestens 10 ms); "
              "stattdessen wird 500 verwendet.\n",
          "ostrelo: Die Sitzung wird nicht aufgezeichnet: " + dir.path().string() +
              " kann nicht verwendet werden: es ist ein Ordner.\n",
          refused}) {
        EXPECT_TRUE(errors.contains(line.c_str())) << line << "\n" << errors.toStdString();
    }
}

TEST(StartUp, KeepsTheSettingsInTheUsersConfigFolder) {
    testing::TempDir dir;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(dir.file("")));
    process.setProcessEnvironment(environment);
    const std::string ini = dir.file("Ostrelo/Ostrelo.ini");
    startAndWaitForLoad(process, ini, {});
    process.terminate();
    process.waitForFinished(testing::kPatienceMs);
    EXPECT_EQ(core::ReadIni(ini, "Opcions", "DadesServ", ""), "True");
    // Never next to the program, unless a file is already there.
    EXPECT_FALSE(std::filesystem::exists(
        std::filesystem::path(kBinary.toStdString()).parent_path() / "Ostrelo.ini"));
}

TEST(StartUp, ReplacesTheSettingsFileOnceAndBeforeTheFirstTick) {
    testing::TempDir dir;
    // Start-up writes many keys of this file; the first tick is 30 s away.
    const std::string ini = dir.write("Ostrelo.ini", "[Opcions]\nScanTime=30000\n");
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.path().c_str(), IN_MOVED_TO), 0);
    QProcess process;
    startAndWaitForLoad(process, ini);
    EXPECT_EQ(core::ReadIni(ini, "MaxMin", "MinFrens", ""), "300");
    process.terminate();
    process.waitForFinished(testing::kPatienceMs);
    int replacements = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t length; (length = read(watch, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(events + at);
            replacements += event->len > 0 && std::string(event->name) == "Ostrelo.ini";
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    close(watch);
    EXPECT_EQ(replacements, 1);
}

// The laps of a replay were kept when the race was driven: played again, they are shown and
// counted, and the lap history keeps nothing of them.
TEST(StartUp, AReplayKeepsNoLapsInTheHistory) {
    testing::TempDir dir;
    const std::string ini = dir.write("Ostrelo.ini", "[Opcions]\nScanTime=10\n");
    std::string bytes = replay::SessionEncoder::header({});
    replay::SessionEncoder encoder;
    for (int i = 0; i < 40; ++i) {
        replay::RecordedSample recorded;
        recorded.timeMs = 100 * i;
        auto &s = recorded.sample;
        s.Ignition = 1;
        s.TrackName = "Anella Sud";
        s.CarName = "Lince Turbo 16V";
        s.DriverName = i == 39 ? "Last Sample" : "Marta Vidal";
        s.LapNumber = static_cast<std::int16_t>(1 + i / 10);
        s.LastLapTime = i < 10 ? 0 : 90.0F + static_cast<float>(i / 10);
        s.Fuel = 50 - 0.2F * static_cast<float>(i);
        bytes += encoder.encode(recorded);
    }
    const std::string session = dir.write("race.ostrelo", bytes);
    const std::string log = dir.file("samples.csv");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dir.file("data")));
    process.setProcessEnvironment(environment);
    startAndWaitForLoad(process, ini,
                        {QStringLiteral("--config"), QString::fromStdString(ini),
                         QStringLiteral("--replay"), QString::fromStdString(session),
                         QStringLiteral("--speed"), QStringLiteral("2"), QStringLiteral("--log"),
                         QString::fromStdString(log)});
    QElapsedTimer clock;
    clock.start();
    while (dir.read("samples.csv").find("Last Sample") == std::string::npos &&
           clock.elapsed() < testing::kPatienceMs) {
        process.waitForFinished(50);
    }
    ASSERT_NE(dir.read("samples.csv").find("Last Sample"), std::string::npos);
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(testing::kPatienceMs));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("h"));
        db.setDatabaseName(QString::fromStdString(dir.file("data/Ostrelo/history.sqlite")));
        ASSERT_TRUE(db.open());
        QSqlQuery laps(db);
        ASSERT_TRUE(laps.exec(QStringLiteral("SELECT count(*) FROM laps")));
        ASSERT_TRUE(laps.next());
        EXPECT_EQ(laps.value(0).toInt(), 0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("h"));
}

} // namespace
} // namespace ostrelo::app
