// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engineer/lap_record.h"
#include "telemetry/telemetry_sample.h"

#include <optional>
#include <vector>

namespace ostrelo::engineer {

/// Sees fuel put in. While the car runs its fuel only goes down, so fuel above the lowest
/// seen by more than a reading's wobble was put in, however slowly it came (a little with each
/// sample at a fast scan).
class RefuelWatch {
public:
    /// Watches afresh from `fuelLitres`.
    void restart(float fuelLitres) {
        m_lowest = fuelLitres;
        m_seen = false;
    }
    /// Takes the fuel now; true once fuel has been put in since the restart.
    bool take(float fuelLitres);

private:
    float m_lowest = 0;
    bool m_seen = false;
};

/// Turns the stream of samples into finished laps. A lap ends when the lap number goes up;
/// its time is taken when the game's last-lap time changes, which may come a few samples
/// later. A lap number that goes down is a restart, and one that jumps by more than one was
/// not seen whole: either way the lap under way is dropped.
class LapRecorder {
public:
    /// How many samples after a lap change the game may take to give that lap's time; after
    /// them the time has not changed because the lap took exactly as long as the one before.
    static constexpr int kLateTimeSamples = 10;

    /// Takes one sample as read from the game (not converted to other units); returns the
    /// laps it finishes, oldest first.
    std::vector<LapRecord> feed(const telemetry::TelemetrySample &sample);

    /// The lap under way, or none before the first sample.
    std::optional<int> currentLap() const;

private:
    struct LapUnderWay {
        int number = 0;
        float startFuel = 0;
        float lastLapTimeAtStart = 0;
        int samples = 0;
        std::array<double, 4> treadSum{};
        bool pitted = false;
        bool limiter = false;
        RefuelWatch refuel;
        bool counts = false;
    };

    void start(const telemetry::TelemetrySample &sample, bool counts);
    void take(const telemetry::TelemetrySample &sample);
    LapRecord finish(const telemetry::TelemetrySample &sample) const;

    std::optional<LapUnderWay> m_lap;
    // A finished lap whose time the game has not given yet.
    std::optional<LapRecord> m_waiting;
    float m_waitingOldTime = 0;
    int m_waitingSamples = 0;
};

} // namespace ostrelo::engineer
