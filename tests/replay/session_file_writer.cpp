// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the session files under tests/data, by hand, once for each format version: a short
// race of 30 samples, 500 ms apart, across a keyframe, with two cars in the standings.
#include "replay/session_format.h"

#include <fstream>
using namespace ostrelo;
int main(int argc, char **argv) {
    if (argc != 2) {
        return 2;
    }
    replay::SessionHeader header;
    header.program = "Ostrelo";
    header.createdMs = 1765000000000;
    header.track = "Anella Sud";
    header.car = "Lince Turbo 16V";
    std::string bytes = replay::SessionEncoder::header(header);
    replay::SessionEncoder encoder;
    for (int i = 0; i < 30; ++i) {
        replay::RecordedSample r;
#if OSTRELO_SESSION_STEADY_CLOCK // format 3 on: a clock that only goes forward, a day in
        r.timeMs = 86400000 + i * 500;
#else
        r.timeMs = header.createdMs + i * 500;
#endif
        r.carSlot = 3;
        auto &s = r.sample;
        s.DriverName = "Marta Vidal";
        s.CarName = "Lince Turbo 16V";
        s.TrackName = "Anella Sud";
        s.Ignition = 1;
        s.LapNumber = static_cast<std::int16_t>(1 + i / 10);
        s.Position = 2;
        s.Fuel = 50 - 0.25F * static_cast<float>(i);
        s.Gear = static_cast<std::int16_t>(i % 6);
        s.EngineSpeed = 600 + static_cast<float>(i);
        s.WaterTemp = 90;
        s.LastLapTime = i >= 10 ? 95.5F : 0;
        s.WheelSpeed = {40.0 + i, 40.0 + i, 40.0 + i, 40.0 + i};
#if OSTRELO_SESSION_STANDINGS // format 2 on
        r.standings.cars = {{3, 2, i / 10, 95.5F, 95.5F, false, "Marta Vidal", "Lince Turbo 16V"},
                            {5, 1, i / 10, 94.25F, 94.25F, i == 29, "Eric Lund", "Falcon RS"}};
#endif
        bytes += encoder.encode(r);
    }
    std::ofstream(argv[1], std::ios::binary) << bytes;
}
