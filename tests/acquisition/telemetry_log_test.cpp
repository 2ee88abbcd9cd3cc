#include "acquisition/telemetry_log.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace ostrelo::acquisition {
namespace {

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
    s.TyreTemp[1][2] = 99.5F;
    {
        TelemetryLog log(path);
        log.write(1700000000123, "game", s, 3, "RACE07 RUNNING");
    }
    {
        TelemetryLog log(path);
        log.write(1700000000456, "received", TelemetrySample{}, 0, "");
    }
    const std::vector<std::string> rows = lines(dir.read("session.csv"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].starts_with("time_ms,source,DriverName,OilTemp,WaterTemp,SlotName,"));
    EXPECT_NE(rows[0].find(",Gear,TyreTemp_FL_0,"), std::string::npos);
    EXPECT_NE(rows[0].find(",TyreTemp_RR_2,TyrePressure_FL,"), std::string::npos);
    EXPECT_NE(rows[0].find(",AmbientTemp,CarSlot,BrakeTemp_FL,"), std::string::npos);
    EXPECT_TRUE(rows[0].ends_with(",BrakeTemp_RR,CarName,Status\r"));
    EXPECT_TRUE(rows[1].starts_with("1700000000123,game,\"Vidal, Marta\",0,0,,0,"));
    EXPECT_TRUE(rows[1].ends_with(",3,0,0,0,0,\"The \"\"Lince\"\"\",RACE07 RUNNING\r"));
    EXPECT_NE(rows[1].find(",42.5,"), std::string::npos);
    EXPECT_NE(rows[1].find(",80.125,"), std::string::npos);
    EXPECT_TRUE(rows[2].starts_with("1700000000456,received,"));
    // 2 + 53 wire fields less the reserved one + Status: 55 columns.
    EXPECT_EQ(std::count(rows[2].begin(), rows[2].end(), ','), 54);
}

TEST(TelemetryLog, SaysWhenItCannotOpenTheFile) {
    TelemetryLog log("/nonexistent-folder/session.csv");
    EXPECT_FALSE(log.error().empty());
    log.write(1, "game", TelemetrySample{}, 0, "");
}

} // namespace
} // namespace ostrelo::acquisition
