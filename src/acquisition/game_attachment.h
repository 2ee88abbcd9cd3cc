// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "platform/process_memory.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ostrelo::acquisition {

/// What the game status line says.
enum class GameStatus { Running, NotRunning };

/// Window titles of the two games; "RACE 07" wins when both are open.
inline constexpr const char *kRace07Title = "RACE 07";
inline constexpr const char *kGtrEvolutionTitle = "GTR Evolution";

/// Finds the game and holds its process open while it runs. The attach waits about 3.5 s
/// after the window appears; a window that vanishes still counts as active for about 1.5 s.
/// A held process that has ended, or a game window that now belongs to another process,
/// counts as a closed game at once: the attachment lets go and starts looking again.
class GameAttachment {
public:
    /// Reads the scan time from `settings`; keeps `gameActive`, the game counted as active.
    GameAttachment(platform::ProcessMemory &memory, const core::Settings &settings,
                   bool &gameActive);
    ~GameAttachment();
    GameAttachment(const GameAttachment &) = delete;
    GameAttachment &operator=(const GameAttachment &) = delete;

    /// Once per tick: whether the game counts as active. Tells the game status to `onStatus`,
    /// opens the process after the attach delay and closes it after the grace period.
    /// Failures are reported under "RACE07_Actiu" and give false.
    bool RACE07_Actiu();

    /// The game status as it changes (and again on each tick without the game).
    std::function<void(GameStatus)> onStatus;
    /// The game's process could not be opened; the next tick tries again.
    std::function<void()> onOpenFailure;

    /// Back to "no game": GameActive false, counter 0, a held process closed.
    void reset();

    /// The process every read goes through; 0 while none is held.
    platform::ProcessHandle process() const { return m_processClosed ? 0 : m_process; }
    bool processClosed() const { return m_processClosed; }
    std::int16_t attachCounter() const { return m_attachCounter; }

private:
    void closeProcess();
    void tell(GameStatus status);
    bool heldProcessGone();
    void reportOnce(const std::string &problem);
    bool windowPresent(double attachThreshold);
    bool windowAbsent(double detachThreshold);

    platform::ProcessMemory &m_memory;
    const core::Settings &m_settings;
    bool &m_gameActive;
    platform::WindowHandle m_window = 0;
    platform::WindowHandle m_attachedWindow = 0;
    platform::ProcessId m_processId = 0;
    platform::ProcessHandle m_process = 0;
    bool m_processClosed = true;
    std::int16_t m_attachCounter = 0;
    // The backend's last problem, reported once until it changes or a process opens.
    std::string m_reported;
};

} // namespace ostrelo::acquisition
