// SPDX-License-Identifier: GPL-3.0-or-later
#include "car_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace ostrelo::simgame {
namespace {

// Half an hour of racing, looked at every half second: the field must look like a race.
TEST(SimulatedField, RacesLikeAField) {
    CarModel model;
    constexpr int kCars = CarModel::kFieldSize;
    std::array<int, kCars> firstPosition{};
    std::array<bool, kCars> pitted{};
    std::array<int, kCars> overtakes{};
    std::array<float, kCars> slowestLap{};
    int mostLapsDown = 0;
    for (int step = 0; step < 3600; ++step) {
        model.advance(0.5);
        const GameState &state = model.state();
        std::set<int> positions;
        int leaderLaps = 0;
        for (int slot = 0; slot < kCars; ++slot) {
            const SlotState &car = state.cars[static_cast<std::size_t>(slot)];
            positions.insert(car.position);
            leaderLaps = std::max(leaderLaps, car.lapCount);
            pitted[static_cast<std::size_t>(slot)] |= car.inPits != 0;
            slowestLap[static_cast<std::size_t>(slot)] =
                std::max(slowestLap[static_cast<std::size_t>(slot)], car.lastLapTime);
            if (step == 0) {
                firstPosition[static_cast<std::size_t>(slot)] = car.position;
            } else if (car.position != firstPosition[static_cast<std::size_t>(slot)]) {
                ++overtakes[static_cast<std::size_t>(slot)];
            }
        }
        // Every car has a place of its own, 1 to 12, and more laps is always further ahead;
        // the race starts in grid order.
        ASSERT_EQ(positions.size(), static_cast<std::size_t>(kCars));
        for (const SlotState &a : state.cars) {
            for (const SlotState &b : state.cars) {
                if (!a.driverName.empty() && !b.driverName.empty() && a.lapCount > b.lapCount) {
                    ASSERT_LT(a.position, b.position);
                }
            }
        }
        if (step == 0) {
            const int grid[] = {1, 2, 3, 6, 4, 5, 7, 8, 9, 10, 11, 12};
            for (int slot = 0; slot < kCars; ++slot) {
                EXPECT_EQ(state.cars[static_cast<std::size_t>(slot)].position, grid[slot]);
            }
        }
        ASSERT_EQ(*positions.begin(), 1);
        ASSERT_EQ(*positions.rbegin(), kCars);
        mostLapsDown = std::max(mostLapsDown, leaderLaps - state.cars[kCars - 1].lapCount);
    }
    const GameState &state = model.state();
    for (int slot = 0; slot < kCars; ++slot) {
        SCOPED_TRACE(slot);
        const SlotState &car = state.cars[static_cast<std::size_t>(slot)];
        EXPECT_FALSE(car.driverName.empty());
        EXPECT_TRUE(pitted[static_cast<std::size_t>(slot)]);
        // A stop costs time: the lap with it is well slower than the best.
        EXPECT_GT(slowestLap[static_cast<std::size_t>(slot)] - car.bestLapTime, 8);
        // Lap times of a believable car on this track: about a minute and a half.
        EXPECT_GT(car.bestLapTime, 70);
        EXPECT_LT(car.bestLapTime, 130);
        EXPECT_GE(car.lastLapTime, car.bestLapTime);
    }
    EXPECT_GT(std::count_if(overtakes.begin(), overtakes.end(), [](int n) { return n > 0; }), 3);
    EXPECT_GE(mostLapsDown, 2);
    EXPECT_TRUE(state.cars[kCars].driverName.empty());
}

// Given a stint, the local car stops for fuel when it runs low, never runs dry and leaves
// the box with the stint again; without one, it starts full.
TEST(SimulatedField, AStintIsRunUntilTheFuelRunsLow) {
    EXPECT_EQ(CarModel().state().cars[CarModel::kLocalSlot].fuel, 60);
    // Half an hour at about 1.8 litres a lap: a stop every eight laps or so with 17 litres,
    // every lap or two with 5; in with more than half a lap's fuel left.
    for (const double stint : {17.0, 5.0}) {
        SCOPED_TRACE(stint);
        CarModel model(7, stint);
        int stops = 0;
        bool inPits = false;
        float lowest = 60;
        float most = 0;
        for (int step = 0; step < 3600; ++step) {
            model.advance(0.5);
            const SlotState &car = model.state().cars[CarModel::kLocalSlot];
            stops += car.inPits != 0 && !inPits ? 1 : 0;
            inPits = car.inPits != 0;
            lowest = std::min(lowest, car.fuel);
            most = std::max(most, car.fuel);
        }
        EXPECT_GE(stops, 2);
        EXPECT_GT(lowest, 0.9F);
        EXPECT_LT(lowest, 4.0F);
        EXPECT_FLOAT_EQ(most, static_cast<float>(stint));
    }
}

} // namespace
} // namespace ostrelo::simgame
