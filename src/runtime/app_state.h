// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "i18n/texts.h"

#include <cstdint>
#include <string>

namespace ostrelo::runtime {

/// How the followed car is chosen: the local driver's, the one the game monitors, or
/// `ForcedSlot` (the Admin window's options "Local", "Monitor", "Forçat").
enum class FollowedCar : std::int16_t { Local = 0, Monitor = 1, Forced = 2 };

/// The car the samples follow: its slot (0 to 63) and how it is chosen, with the slot the Admin
/// window forces. Written by the acquisition and the Admin window, read by the display.
struct FollowedCarState {
    std::int16_t CarSlot = 0;
    FollowedCar SlotMode = FollowedCar::Local;
    std::int16_t ForcedSlot = 0;
};

/// The state of the link to the other copy, found by the connection upkeep.
struct LinkState {
    bool ServerConnected = false;
    bool ClientConnected = false;
    /// The server may hand the next frame to its socket.
    bool SendReady = false;
};

/// The state that the program keeps on the one user-interface thread. Each module is handed
/// only the part it reads or writes.
struct AppState {
    /// The settings file every setting is read from and written to.
    core::SettingsStore store = core::SettingsStore::inMemory();
    core::Settings settings;
    /// The texts of the language in force.
    i18n::Texts texts;

    /// The game counted as active at the last tick.
    bool GameActive = false;
    LinkState link;

    /// Car name of the last displayed sample, and the car the picture was last looked up for.
    std::string CurrentCarName;
    std::string SkinCarName;

    /// Millisecond counter taken just before the last processing run started by a tick.
    std::int32_t ProcessStartTick = 0;

    FollowedCarState followed;
};

} // namespace ostrelo::runtime
