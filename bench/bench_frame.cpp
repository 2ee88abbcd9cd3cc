// SPDX-License-Identifier: GPL-3.0-or-later
// Writing and parsing the frame of one sample.
#include "net/frame.h"

#include <benchmark/benchmark.h>

namespace {

using namespace ostrelo;

telemetry::TelemetrySample busySample() {
    telemetry::TelemetrySample s;
    s.DriverName = "Marta Vidal";
    s.CarName = "Lince Turbo 16V";
    s.TrackName = "Anella Sud";
    s.OilTemp = 104.37F;
    s.WaterTemp = 91.2F;
    s.EngineSpeed = 812.25F;
    s.EngineSpeedMax = 921.5F;
    s.Fuel = 42.734F;
    s.LastLapTime = 98.251F;
    s.BestLapTime = 97.512F;
    for (auto &zones : s.TyreTemp) {
        zones = {88.12F, 91.57F, 86.33F};
    }
    s.TyrePressure = {190.2F, 191.7F, 188.4F, 189.9F};
    s.WheelSpeed = {187.3418, 187.5521, 186.9873, 187.0012};
    s.TyreWear = {0.98123, 0.98077, 0.97911, 0.97954};
    s.BrakeTemp = {412.5F, 415.1F, 301.2F, 299.8F};
    s.Throttle = 87.5F;
    s.Gear = 5;
    s.LapNumber = 7;
    return s;
}

void WriteFrame(benchmark::State &state) {
    const auto sample = busySample();
    for (auto _ : state) {
        benchmark::DoNotOptimize(net::writeSampleFrame(sample, 3, "RACE07 EN MARCHA", '.'));
    }
}
BENCHMARK(WriteFrame);

void ParseFrame(benchmark::State &state) {
    const std::string frame = net::writeSampleFrame(busySample(), 3, "RACE07 EN MARCHA", '.');
    for (auto _ : state) {
        telemetry::TelemetrySample read;
        std::int16_t slot = 0;
        net::takeOver(net::splitBody(std::string_view(frame).substr(7)), read, slot);
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(ParseFrame);

void WriteAndParseFrame(benchmark::State &state) {
    const auto sample = busySample();
    for (auto _ : state) {
        const std::string frame = net::writeSampleFrame(sample, 3, "RACE07 EN MARCHA", '.');
        telemetry::TelemetrySample read;
        std::int16_t slot = 0;
        net::takeOver(net::splitBody(std::string_view(frame).substr(7)), read, slot);
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(WriteAndParseFrame);

} // namespace

BENCHMARK_MAIN();
