// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_state.h"

#include <cstdint>
#include <string>

namespace ostrelo::simgame {

/// A page-aligned range of the game's memory, [start, end).
struct MemoryRegion {
    std::uintptr_t start;
    std::uintptr_t end;
};

/// The ranges that cover every address the program reads, slot 63 included. Around them the
/// game's memory cannot be read.
inline constexpr MemoryRegion kMemoryRegions[] = {
    {0x810000, 0x814000},   // track path, monitored slot
    {0xA03000, 0xC0C000},   // the car slot array
    {0xD5F000, 0xD6A000},   // wheels, engine, driver aids, pedals, local driver
    {0x114F000, 0x1150000}, // weather
};

/// On Windows, one page at a fixed place far above the game's image with nothing after it:
/// where the memory of the game ends for a read. (Wine lets every address around the image
/// be read.)
inline constexpr std::uintptr_t kLastPage = 0x100000000000;

/// The game's memory at the fixed telemetry addresses: on Linux one private mapping per
/// region, placed exactly there (never over anything already mapped); on Windows the
/// program's own image, linked at the game's image base.
class MemoryImage {
public:
    /// Maps the regions; `error()` says why when that failed.
    MemoryImage();
    ~MemoryImage();
    MemoryImage(const MemoryImage &) = delete;
    MemoryImage &operator=(const MemoryImage &) = delete;

    bool mapped() const { return m_error.empty(); }
    const std::string &error() const { return m_error; }

    /// Writes `state` at the telemetry addresses as the game stores it.
    void publish(const GameState &state);

private:
    std::string m_error;
};

} // namespace ostrelo::simgame
