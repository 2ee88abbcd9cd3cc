// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_state.h"

#include <functional>
#include <string>
#include <vector>

namespace ostrelo::simgame {

/// Values pinned by a scenario file: section [Pin], one key per published value, in the
/// game's own units (kelvin, rad/s, 0 to 1 pedals). Pinned values override the simulation
/// after every step, so a test knows exactly what the memory holds. Wheel keys end in
/// _FL, _FR, _RL or _RR (tyre zones in _FL_0 to _FL_2).
class Scenario {
public:
    /// Reads `path`; `error()` tells what went wrong.
    explicit Scenario(const std::string &path = {});

    const std::string &error() const { return m_error; }
    /// Overwrites the pinned values of `state`; the driven car is slot `slot`.
    void apply(GameState &state, int slot) const;
    /// Every key a scenario may pin.
    static std::vector<std::string> keys();

private:
    std::vector<std::function<void(GameState &, SlotState &)>> m_pins;
    std::string m_error;
};

} // namespace ostrelo::simgame
