// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_state.h"

#include <string>

namespace ostrelo::simgame {

/// The game's memory at the fixed telemetry addresses: one private mapping per region,
/// placed exactly there (never over anything already mapped).
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
