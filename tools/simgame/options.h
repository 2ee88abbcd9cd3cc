// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ostrelo::simgame {

/// What the simulated game's command line asks for.
struct Options {
    std::string title = "RACE 07";
    std::string scenarioPath;
    double speed = 1;
    /// Litres the player's car starts with and takes on at each stop, stopping for fuel;
    /// none for a full tank and a stop every few laps.
    std::optional<double> stint;
    bool help = false;
    bool version = false;
    /// Why the command line cannot be used; empty when it can.
    std::string error;
    /// Options for Qt (single dash, such as "-platform offscreen" or "-geometry +0+0"),
    /// passed on with their values.
    std::vector<std::string> toolkit;
};

/// Reads the arguments after the program name. Never fails: a bad argument sets `error`.
Options parseOptions(std::span<const std::string> arguments);

/// The help text, with the keys a scenario may pin.
std::string usageText();

} // namespace ostrelo::simgame
