// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"
#include "support/temp_dir.h"
#include "telemetry/telemetry_log.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace ostrelo::telemetry {
namespace {

// How many files, and other handles, the process holds open.
long openHandles() {
#ifdef _WIN32
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return static_cast<long>(count);
#else
    return static_cast<long>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator()));
#endif
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

TEST(TelemetryLog, WritesAHeaderOnceAndOneQuotedLinePerSample) {
    testing::TempDir dir;
    const std::string path = dir.file("session.csv");
    TelemetrySample s;
    s.DriverName = "Vidal, Marta";
    s.CarName = "The \"Lince\"";
    s.SlotName = std::string(1, '\0');
    s.Fuel = 42.5F;
    s.WheelSpeed[3] = 80.125;
    s.WheelSpeed[0] = 0.1;
    s.OilTemp = 0.1F; // a single writes 7 digits, a double 15
    s.TyreTemp[1][2] = 99.5F;
    {
        TelemetryLog log(path);
        log.write(1700000000123, "game", s, 3, "RACE07 RUNNING");
    }
    const long before = openHandles();
    {
        TelemetryLog log(path);
        log.write(1700000000456, "received", TelemetrySample{}, 0, "");
    }
    // The log lets go of its file.
    EXPECT_EQ(openHandles(), before);
    const std::vector<std::string> rows = lines(dir.read("session.csv"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].starts_with("time_ms,source,DriverName,OilTemp,WaterTemp,SlotName,"));
    EXPECT_NE(rows[0].find(",Gear,TyreTemp_FL_0,"), std::string::npos);
    EXPECT_NE(rows[0].find(",TyreTemp_RR_2,TyrePressure_FL,"), std::string::npos);
    EXPECT_NE(rows[0].find(",AmbientTemp,CarSlot,BrakeTemp_FL,"), std::string::npos);
    EXPECT_TRUE(rows[0].ends_with(",BrakeTemp_RR,CarName,Status\r"));
    EXPECT_NE(rows[0].find(",TyreTemp_FL_2,TyreTemp_FR_0,"), std::string::npos);
    EXPECT_NE(rows[0].find(",TyrePressure_RR,WheelSpeed_FL,"), std::string::npos);
    EXPECT_TRUE(rows[1].starts_with("1700000000123,game,\"Vidal, Marta\",0.1,0,,0,"));
    EXPECT_NE(rows[1].find(",0.1,0,0,80.125,"), std::string::npos);
    EXPECT_TRUE(rows[1].ends_with(",3,0,0,0,0,\"The \"\"Lince\"\"\",RACE07 RUNNING\r"));
    EXPECT_NE(rows[1].find(",42.5,"), std::string::npos);
    EXPECT_NE(rows[1].find(",80.125,"), std::string::npos);
    EXPECT_TRUE(rows[2].starts_with("1700000000456,received,"));
    // 2 + 53 wire fields less the reserved one + Status: 55 columns.
    EXPECT_EQ(std::count(rows[2].begin(), rows[2].end(), ','), 54);
}

TEST(TelemetryLog, RefusesEveryPathThatIsNoRegularFileWithoutBlocking) {
    testing::TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
#ifndef _WIN32
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0644), 0);
    std::filesystem::create_symlink(dir.file("loop"), dir.file("loop"));
#endif
    const std::string paths[] = {
        dir.file("folder"),
        dir.file(std::string(300, 'n')),
        dir.file("nonexistent-folder/session.csv"),
#ifdef _WIN32
        "NUL",
        "CON",
#else
        dir.file("fifo"), // no reader: a plain open would wait for ever
        dir.file("loop"),
        dir.file("loop") + "/session.csv",
        "/dev/null",
#endif
    };
    for (const std::string &path : paths) {
        SCOPED_TRACE(path);
        TelemetryLog log(path);
        EXPECT_FALSE(log.error().empty());
        EXPECT_EQ(log.error().path, path) << log.error().reportText();
        EXPECT_FALSE(log.write(1, "game", TelemetrySample{}, 0, ""));
    }
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("fifo")));
#endif
}

#ifndef _WIN32
// A full disk is made with a file size limit, which Windows does not have.
TEST(TelemetryLog, WritesWholeLinesOnlyAndResumesWhenTheDiskHasRoomAgain) {
    testing::TempDir dir;
    const std::string path = dir.file("session.csv");
    // A child process with a file size limit stands in for a full disk: the kernel cuts a
    // write short at the limit and refuses the next one.
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        int reports = 0;
        core::ErrorReporter::instance().setSink([&](const core::ErrorReport &) { ++reports; });
        TelemetryLog log(path);
        TelemetrySample s;
        bool ok = log.write(1, "game", s, 0, "first");
        const auto size = static_cast<rlim_t>(std::filesystem::file_size(path));
        rlimit limit{size + 40, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        ok = ok && !log.write(2, "game", s, 0, "cut") && !log.write(3, "game", s, 0, "none");
        limit.rlim_cur = RLIM_INFINITY;
        setrlimit(RLIMIT_FSIZE, &limit);
        ok = ok && log.write(4, "game", s, 0, "again") && log.write(5, "game", s, 0, "on");
        _exit(ok && reports == 2 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::vector<std::string> rows = lines(dir.read("session.csv"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(rows[1].starts_with("1,game,") && rows[1].ends_with(",first\r"));
    EXPECT_TRUE(rows[2].starts_with("4,game,") && rows[2].ends_with(",again\r"));
}
#endif

} // namespace
} // namespace ostrelo::telemetry
