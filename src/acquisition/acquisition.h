// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "acquisition/game_memory.h"
#include "runtime/app_state.h"
#include "telemetry/standings.h"
#include "telemetry/telemetry_sample.h"

#include <vector>

namespace ostrelo::acquisition {

using telemetry::TelemetrySample;

/// Fills a `TelemetrySample` from the game's memory, following the car that `SlotMode`
/// chooses: 0 the local driver's (found by name), 1 the one the game monitors, 2 `ForcedSlot`.
class Acquisition {
public:
    Acquisition(GameMemory &memory, const core::Settings &settings,
                runtime::FollowedCarState &followed);

    /// Chooses the slot and reads every field. Returns false when the run must end quietly
    /// (a monitored slot whose driver name holds no NUL). Throws core::RunTimeError on an
    /// overflow or a text that cannot be cut.
    bool acquire(TelemetrySample &sample);

    /// Every occupied car slot, read in the same batch as the last sample `acquire` gave, or
    /// since by `readField`. A slot is free when its driver name is empty; a slot that could
    /// not be read is left out. The field is read at most every `telemetry::kFieldEveryMs` (at
    /// faster scans the standings stay those of the last read); the free slots about once a
    /// second: a car that takes one shows from then.
    const telemetry::Standings &standings() const { return m_standings; }

    /// Reads the field between two samples, for scans slower than the field is read: the lap
    /// counts, times, positions and pit flags of the cars in `standings()`, in one batch; their
    /// names and the free slots wait for the next sample. A car that cannot be read keeps its
    /// values. Returns whether anything was read; throws nothing.
    bool readField();

private:
    void followLocalDriver(TelemetrySample &sample);
    bool followSlot(TelemetrySample &sample, std::int16_t slot);
    void readFollowedCar(TelemetrySample &sample);
    void readFixedLocations(TelemetrySample &sample);
    std::string trackName();
    bool chooseSlotsToRead();
    void readStandings();

    GameMemory &m_memory;
    const core::Settings &m_settings;
    runtime::FollowedCarState &m_followed;
    telemetry::Standings m_standings;
    std::vector<std::int16_t> m_slotsRead;
    int m_samplesToEverySlot = 0;
    int m_samplesToField = 0;
    std::vector<GameMemory::Range> m_ranges;
};

} // namespace ostrelo::acquisition
