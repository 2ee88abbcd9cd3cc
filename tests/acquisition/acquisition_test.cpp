// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/acquisition.h"
#include "acquisition/address_map.h"
#include "core/error.h"
#include "fakes/fake_process_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace ostrelo::acquisition {
namespace {

using telemetry::FL;
using telemetry::FR;
using telemetry::RL;
using telemetry::RR;

namespace address = acquisition::address;

// A game whose process is open, so that reads reach the fake memory.
class AcquisitionTest : public ::testing::Test {
protected:
    AcquisitionTest() {
        memory.windows["RACE 07"] = 1;
        state.settings.ScanTime = 1000;
        while (!attachment.RACE07_Actiu()) {
        }
    }

    void placeSlotName(std::int16_t slot, std::string_view name) {
        memory.placeText(static_cast<std::uint32_t>(address::slotField(slot, address::DriverName)),
                         std::string(name) + '\0');
    }

    TelemetrySample acquire() {
        TelemetrySample sample;
        EXPECT_TRUE(acquisition.acquire(sample));
        return sample;
    }

    runtime::AppState state;
    testing::FakeProcessMemory memory;
    GameAttachment attachment{memory, state.settings, state.GameActive};
    GameMemory reads{memory, attachment};
    Acquisition acquisition{reads, state.settings, state.followed};
};

TEST_F(AcquisitionTest, TypedReadsFollowTheCountOfBytesCopied) {
    memory.placeValue<std::uint8_t>(0x1000, 255);
    memory.placeValue<std::uint32_t>(0x2000, 0x0001FFFF);
    memory.placeValue<std::uint32_t>(0x3000, 0x12345678);
    memory.placeValue<float>(0x4000, 1.5F);
    memory.placeValue<double>(0x5000, -2.25);
    memory.placeText(0x6000, "Espa\xF1");
    EXPECT_EQ(reads.ReadMemoryInteger(0x1000, 1), 255);
    EXPECT_EQ(reads.ReadMemoryInteger(0x2000, 4), -1);
    EXPECT_EQ(reads.ReadMemoryInteger(0x3000, 4), 0x5678);
    EXPECT_EQ(reads.ReadMemorySingle(0x4000, 4), 1.5F);
    EXPECT_EQ(reads.ReadMemoryDouble(0x5000), -2.25);
    // Bytes that were not read stay blank; the text keeps its full size.
    EXPECT_EQ(reads.ReadMemory(0x6000, 8), "Españ   ");
    EXPECT_EQ(reads.ReadMemory(0x7000, 8), std::string(1, '\0'));
    EXPECT_EQ(reads.ReadMemoryInteger(0x7000, 4), 0);
    EXPECT_EQ(reads.ReadMemorySingle(0x7000, 4), 0);
    EXPECT_EQ(reads.ReadMemoryDouble(0x7000), 0);
}

TEST_F(AcquisitionTest, LocalModeSearchesOnceForTheLocalDriver) {
    memory.placeText(address::LocalDriver, "Ana Ruiz\\Profiles");
    for (std::int16_t slot = 0; slot < 5; ++slot) {
        placeSlotName(slot, "Driver " + std::to_string(slot));
    }
    placeSlotName(5, "Ana Ruiz");
    TelemetrySample first = acquire();
    EXPECT_EQ(state.followed.CarSlot, 5);
    EXPECT_EQ(first.DriverName, "Ana Ruiz");
    EXPECT_EQ(first.SlotName, "Ana Ruiz");
    // The followed slot still holds the driver: one read confirms it, no search.
    placeSlotName(2, "Ana Ruiz");
    const int readsBefore = memory.readCalls;
    acquire();
    EXPECT_EQ(state.followed.CarSlot, 5);
    EXPECT_EQ(memory.readCalls - readsBefore, 2 + 51);
}

TEST_F(AcquisitionTest, LocalModeWithoutABackslashFindsNoSlot) {
    memory.placeText(address::LocalDriver, "Ana Ruiz");
    placeSlotName(0, "Error");
    placeSlotName(4, "Ana Ruiz");
    state.followed.CarSlot = 7;
    const TelemetrySample sample = acquire();
    EXPECT_EQ(sample.DriverName, "Error");
    // Slot 0 holds the name "Error" and so matches.
    EXPECT_EQ(state.followed.CarSlot, 0);

    placeSlotName(0, "Joan");
    state.followed.CarSlot = 7;
    const TelemetrySample none = acquire();
    EXPECT_EQ(state.followed.CarSlot, 7);
    EXPECT_EQ(none.SlotName, std::string(1, '\0'));
}

TEST_F(AcquisitionTest, LocalModeWithAnEmptyFollowedSlotSearches) {
    memory.placeText(address::LocalDriver, "Ana\\x");
    placeSlotName(0, "");
    placeSlotName(9, "Ana");
    TelemetrySample sample;
    // The search starts because the followed slot reads as "NoTincNiidea".
    EXPECT_TRUE(acquisition.acquire(sample));
    EXPECT_EQ(state.followed.CarSlot, 9);
}

TEST_F(AcquisitionTest, MonitorModeTakesTheGamesSlotUnchecked) {
    state.followed.SlotMode = runtime::FollowedCar::Monitor;
    memory.placeValue<std::int32_t>(address::MonitorSlot, 70);
    placeSlotName(70, "Far Away");
    const TelemetrySample sample = acquire();
    EXPECT_EQ(state.followed.CarSlot, 70);
    EXPECT_EQ(sample.DriverName, "Far Away");
    EXPECT_EQ(sample.SlotName, "");

    memory.placeText(static_cast<std::uint32_t>(address::slotField(70, address::DriverName)),
                     std::string(24, 'x'));
    TelemetrySample ended;
    EXPECT_FALSE(acquisition.acquire(ended));
}

TEST_F(AcquisitionTest, ForcedModeFollowsTheForcedSlot) {
    state.followed.SlotMode = runtime::FollowedCar::Forced;
    state.followed.CarSlot = 12;
    placeSlotName(0, "Pole Sitter");
    memory.placeValue<std::int32_t>(address::LapCount, 4);
    const TelemetrySample sample = acquire();
    EXPECT_EQ(state.followed.CarSlot, 0);
    EXPECT_EQ(sample.DriverName, "Pole Sitter");
    EXPECT_EQ(sample.LapNumber, 5);
}

TEST_F(AcquisitionTest, NothingReadableGivesTheFailureValues) {
    const TelemetrySample s = acquire();
    EXPECT_EQ(s.DriverName, "Error");
    EXPECT_EQ(s.SlotName, std::string(1, '\0'));
    EXPECT_EQ(s.CarName, "");
    EXPECT_EQ(s.TrackName, "Error");
    EXPECT_EQ(s.LapNumber, 1);
    EXPECT_FLOAT_EQ(s.OilTemp, -273.15F);
    EXPECT_FLOAT_EQ(s.TyreTemp[RR][2], -273.15F);
    EXPECT_FLOAT_EQ(s.BrakeTemp[FL], -273.15F);
    EXPECT_EQ(s.Fuel, 0);
    EXPECT_EQ(s.WheelSpeed[FL], 0);
}

TEST_F(AcquisitionTest, CutsTheTrackNameOrFails) {
    struct Case {
        std::string text;
        const char *name;
    };
    const Case cases[] = {
        {std::string("Locations\\Anella Sud.trk\0", 25), "Anella Sud"},
        {std::string("Dir\\Sub\\Name.gdb\0", 17), "Sub\\Name"},
        {std::string("NoBackslash\0", 12), "Error"},
        {std::string(50, 'x'), "Error"},
        {std::string("Dir\\Pista\0", 10), "P"},
        // Cut by character: a letter of the game's code page is one character, not two bytes.
        {std::string("Locations\\N\xFCrburgring.trk\0", 26), "Nürburgring"},
        {std::string("\311tapes\\Col de l'\311p\351e.gdb\0", 25), "Col de l'Épée"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        memory.placeText(address::TrackName, c.text);
        EXPECT_EQ(acquire().TrackName, c.name);
    }
    memory.placeText(address::TrackName, std::string("Dir\\ab\0", 7));
    TelemetrySample sample;
    EXPECT_THROW(acquisition.acquire(sample), core::RunTimeError);
}

TEST_F(AcquisitionTest, OverflowsAndUncutTextsEndTheRun) {
    state.followed.SlotMode = runtime::FollowedCar::Forced;
    memory.placeValue<std::int32_t>(address::LapCount, 0x00017FFF);
    TelemetrySample sample;
    EXPECT_THROW(acquisition.acquire(sample), core::RunTimeError);

    memory.placeValue<std::int32_t>(address::LapCount, 0);
    memory.placeText(address::CarName, std::string(50, 'c'));
    EXPECT_THROW(acquisition.acquire(sample), core::RunTimeError);

    memory.placeText(address::CarName, std::string(1, '\0'));
    memory.placeValue<double>(address::OilTemp, 1e300);
    EXPECT_THROW(acquisition.acquire(sample), core::RunTimeError);
    memory.placeValue<double>(address::OilTemp, 373.15);
    EXPECT_TRUE(acquisition.acquire(sample));

    // A value that is not a finite number ends the run as an overflow does: such a sample
    // could be neither shown nor sent.
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<std::int32_t, double> doubles[] = {
        {address::OilTemp, nan},
        {address::WaterTemp, nan},
        {address::wheelField(RR, address::WheelTread + 16), inf},
        {address::wheelField(FR, address::WheelPressure), -inf},
        {address::wheelField(RL, address::WheelBrake), nan},
        {address::wheelField(FL, address::WheelSpin), inf},
        {address::wheelField(RR, address::WheelWear), nan},
    };
    for (const auto &[at, value] : doubles) {
        SCOPED_TRACE(at);
        memory.placeValue<double>(at, value);
        EXPECT_THROW(acquisition.acquire(sample), core::RunTimeError);
        memory.placeValue<double>(at, 300);
    }
    const std::int32_t singles[] = {address::Throttle,
                                    address::Brake,
                                    address::TrackTemp,
                                    address::AmbientTemp,
                                    address::slotField(0, address::Fuel),
                                    address::slotField(0, address::LastLapTime),
                                    address::slotField(0, address::BestLapTime),
                                    address::slotField(0, address::EngineSpeed),
                                    address::slotField(0, address::EngineSpeedMax)};
    for (const std::int32_t at : singles) {
        SCOPED_TRACE(at);
        memory.placeValue<float>(at, std::numeric_limits<float>::quiet_NaN());
        EXPECT_THROW(acquisition.acquire(sample), core::RunTimeError);
        memory.placeValue<float>(at, 0);
    }
    EXPECT_TRUE(acquisition.acquire(sample));
}

// The whole field comes in the sample's one batch, slot by slot as the game leaves it.
TEST_F(AcquisitionTest, ReadsEveryOccupiedSlotInTheSamplesBatch) {
    state.followed.SlotMode = runtime::FollowedCar::Forced;
    // Slots 0 to 62 mapped; slot 63 holds a name, but the rest of its record cannot be read.
    memory.map(address::InPits, address::slotField(62, address::CarName) + 50 - address::InPits);
    auto at = [](std::int16_t slot, std::int32_t field) { return address::slotField(slot, field); };
    auto name = [&](std::int16_t slot, std::string_view text) {
        memory.placeText(at(slot, address::DriverName), text);
    };
    name(0, std::string_view("Ana Ruiz\0", 9));
    memory.placeText(at(0, address::CarName), std::string_view("Lince\0", 6));
    memory.placeValue<std::uint8_t>(at(0, address::InPits), 1);
    memory.placeValue<std::int32_t>(at(0, address::LapCount), 7);
    memory.placeValue<float>(at(0, address::LastLapTime), 91.5F);
    memory.placeValue<std::int32_t>(at(0, address::Position), 2);
    memory.placeValue<float>(at(0, address::BestLapTime), 90.25F);
    name(5, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"); // 24 bytes without a NUL, and more after
    memory.placeText(at(5, address::CarName), std::string_view("Car\x01"
                                                               "Caf\xE9\0",
                                                               9));
    memory.placeValue<std::int32_t>(at(5, address::Position), -3);
    name(9, std::string_view("\0Ghost\0", 7));
    name(12, std::string_view("  Pad \t \0", 10));
    name(63, std::string_view("Nobody\0", 7));

    const int batches = memory.batchCalls;
    TelemetrySample sample;
    ASSERT_TRUE(acquisition.acquire(sample));
    EXPECT_EQ(memory.batchCalls, batches + 1);
    const std::vector<telemetry::CarStanding> &cars = acquisition.standings().cars;
    ASSERT_EQ(cars.size(), 3u);
    EXPECT_EQ(cars[0], (telemetry::CarStanding{0, 2, 7, 91.5F, 90.25F, true, "Ana Ruiz", "Lince"}));
    EXPECT_EQ(cars[1], (telemetry::CarStanding{5, -3, 0, 0, 0, false, "ABCDEFGHIJKLMNOPQRSTUVWX",
                                               "Car Caf\u00e9"}));
    EXPECT_EQ(cars[2].slot, 12);
    EXPECT_EQ(cars[2].driverName, "  Pad");

    // A slot that empties between two samples leaves the field.
    name(5, std::string_view("\0", 1));
    ASSERT_TRUE(acquisition.acquire(sample));
    ASSERT_EQ(acquisition.standings().cars.size(), 2u);
    EXPECT_EQ(acquisition.standings().cars[1].slot, 12);

    // At a 10 ms scan the batch holds the followed car; every fifth sample (50 ms) the
    // occupied slots, and about once a second every slot. Between, the standings stay.
    state.settings.ScanTime = 10;
    ASSERT_TRUE(acquisition.acquire(sample));
    std::vector<std::size_t> sizes;
    name(40, std::string_view("Nils Berg\0", 10));
    name(12, std::string_view("Pad\0", 4));
    for (int tick = 0; tick < 101 && acquisition.standings().cars.size() < 3; ++tick) {
        ASSERT_TRUE(acquisition.acquire(sample));
        sizes.push_back(memory.lastBatchSize);
        if (tick < 4) {
            EXPECT_EQ(acquisition.standings().cars[1].driverName, "  Pad");
        }
    }
    ASSERT_EQ(acquisition.standings().cars.size(), 3u);
    EXPECT_EQ(acquisition.standings().cars[2].driverName, "Nils Berg");
    ASSERT_EQ(sizes.size(), 100u);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) {
        EXPECT_EQ(sizes[i], i % 5 == 4 ? 8u + 3 * 2 : 8u + 3) << i;
    }
    EXPECT_EQ(sizes.back(), 8u + 3 * 64);
    EXPECT_EQ(acquisition.standings().cars[1].driverName, "Pad");
    for (int tick = 0; tick < 5; ++tick) {
        ASSERT_TRUE(acquisition.acquire(sample));
    }
    EXPECT_EQ(memory.lastBatchSize, 8u + 3 * 3);
}

// Between two samples of a slow scan, the field is read again at its own pace: what changes
// as the cars race, in one batch, and nothing else.
TEST_F(AcquisitionTest, ReadsTheFieldBetweenTheSamplesOfASlowScan) {
    state.followed.SlotMode = runtime::FollowedCar::Forced;
    memory.map(address::InPits, address::slotField(2, address::CarName) + 50 - address::InPits);
    auto at = [](std::int16_t slot, std::int32_t field) { return address::slotField(slot, field); };
    memory.placeText(at(0, address::DriverName), std::string_view("Ana Ruiz\0", 9));
    memory.placeText(at(2, address::DriverName), std::string_view("Nils Berg\0", 10));
    memory.placeValue<std::int32_t>(at(0, address::LapCount), 5);
    memory.placeValue<std::int32_t>(at(2, address::LapCount), 4);
    const struct {
        std::int16_t scanMs;
        bool read;
    } scans[] = {{1000, true}, {500, true}, {150, true}, {50, false}, {10, false}};
    for (const auto &scan : scans) {
        SCOPED_TRACE(scan.scanMs);
        state.settings.ScanTime = scan.scanMs;
        TelemetrySample sample;
        ASSERT_TRUE(acquisition.acquire(sample));
        ASSERT_EQ(acquisition.standings().cars.size(), 2u);
        const int batches = memory.batchCalls;
        EXPECT_EQ(acquisition.readField(), scan.read);
        EXPECT_EQ(memory.batchCalls, batches + (scan.read ? 1 : 0));
    }

    state.settings.ScanTime = 500;
    TelemetrySample sample;
    ASSERT_TRUE(acquisition.acquire(sample));
    memory.placeValue<std::uint8_t>(at(0, address::InPits), 1);
    memory.placeValue<std::int32_t>(at(0, address::LapCount), 6);
    memory.placeValue<float>(at(0, address::LastLapTime), 91.5F);
    memory.placeValue<std::int32_t>(at(0, address::Position), 1);
    memory.placeValue<float>(at(0, address::BestLapTime), 90.25F);
    memory.placeValue<std::int32_t>(at(2, address::LapCount), 5);
    memory.placeText(at(2, address::DriverName), std::string_view("Eric Lund\0", 10));
    memory.placeText(at(1, address::DriverName), std::string_view("Pau Soler\0", 10));
    ASSERT_TRUE(acquisition.readField());
    EXPECT_EQ(memory.lastBatchSize, 2u * 2);
    const std::vector<telemetry::CarStanding> &cars = acquisition.standings().cars;
    ASSERT_EQ(cars.size(), 2u);
    EXPECT_EQ(cars[0], (telemetry::CarStanding{0, 1, 6, 91.5F, 90.25F, true, "Ana Ruiz", ""}));
    EXPECT_EQ(cars[1], (telemetry::CarStanding{2, 0, 5, 0, 0, false, "Nils Berg", ""}));

    // A car whose pit flag can no longer be read keeps what it had, laps and all.
    memory.placeValue<std::int32_t>(at(2, address::LapCount), 6);
    const std::vector<std::byte> whole = memory.regions[address::InPits];
    const auto hole = static_cast<std::ptrdiff_t>(at(2, address::InPits) - address::InPits);
    memory.regions.clear();
    memory.mapped.clear();
    memory.regions[address::InPits] = {whole.begin(), whole.begin() + hole};
    memory.regions[static_cast<std::uint64_t>(at(2, address::InPits)) + 1] = {
        whole.begin() + hole + 1, whole.end()};
    EXPECT_TRUE(acquisition.readField());
    EXPECT_EQ(acquisition.standings().cars[1].lapsCompleted, 5);

    // Nothing readable: the field stays as it was read.
    memory.regions.clear();
    memory.mapped.clear();
    EXPECT_FALSE(acquisition.readField());
    EXPECT_EQ(acquisition.standings().cars[0].lapsCompleted, 6);
    EXPECT_EQ(acquisition.standings().cars[1].driverName, "Nils Berg");
}

// Names as the game leaves them in its slots, the last slot included.
TEST_F(AcquisitionTest, TakesEachSlotAsTheGameLeavesIt) {
    state.followed.SlotMode = runtime::FollowedCar::Forced;
    state.followed.ForcedSlot = 21;
    memory.map(address::InPits, address::slotField(63, address::CarName) + 50 - address::InPits);
    const std::string fifty(50, 'c'); // a car name that fills its field, without a NUL
    const struct {
        std::int16_t slot;
        std::string_view driver;
        std::string_view car;
        std::uint8_t inPits;
        const char *driverShown;
        std::string carShown;
        bool inPitsShown;
    } slots[] = {
        {20, {"Ana\0Ruiz", 8}, fifty, 2, "Ana", fifty, true},
        {21, {"X\x7FY\0", 4}, {"GT\0junk", 7}, 0xFF, "X Y", "GT", true},
        {63, {"Nils Berg\0", 10}, {"\0", 1}, 0, "Nils Berg", "", false},
    };
    for (const auto &s : slots) {
        memory.placeText(address::slotField(s.slot, address::DriverName), s.driver);
        memory.placeText(address::slotField(s.slot, address::CarName), s.car);
        memory.placeValue<std::uint8_t>(address::slotField(s.slot, address::InPits), s.inPits);
    }
    TelemetrySample sample;
    ASSERT_TRUE(acquisition.acquire(sample));
    const std::vector<telemetry::CarStanding> &cars = acquisition.standings().cars;
    ASSERT_EQ(cars.size(), std::size(slots));
    for (std::size_t i = 0; i < cars.size(); ++i) {
        SCOPED_TRACE(slots[i].slot);
        EXPECT_EQ(cars[i].slot, slots[i].slot);
        EXPECT_EQ(cars[i].driverName, slots[i].driverShown);
        EXPECT_EQ(cars[i].carName, slots[i].carShown);
        EXPECT_EQ(cars[i].inPits, slots[i].inPitsShown);
    }
}

TEST(AddressMap, PlacesSlotsAndWheels) {
    EXPECT_EQ(address::slotField(0, address::DriverName), 0xA06630);
    EXPECT_EQ(address::slotField(63, address::DriverName), 0xA06630 + 63 * 33632);
    EXPECT_EQ(address::wheelField(RR, address::WheelBrake), 0xD60918);
    EXPECT_EQ(address::wheelField(RL, address::WheelRadius), 0xD60190);
    EXPECT_EQ(address::wheelField(FR, address::WheelTread + 8), 0xD5FE30);
}

} // namespace
} // namespace ostrelo::acquisition
