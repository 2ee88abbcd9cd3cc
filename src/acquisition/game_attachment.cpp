// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/game_attachment.h"

#include "core/error.h"

namespace ostrelo::acquisition {

GameAttachment::GameAttachment(platform::ProcessMemory &memory, const core::Settings &settings,
                               bool &gameActive)
    : m_memory(memory), m_settings(settings), m_gameActive(gameActive) {
}

void GameAttachment::tell(GameStatus status) {
    if (onStatus) {
        onStatus(status);
    }
}

GameAttachment::~GameAttachment() {
    closeProcess();
}

void GameAttachment::closeProcess() {
    if (!m_processClosed) {
        m_memory.closeProcess(m_process);
        m_process = 0;
        m_processClosed = true;
    }
}

void GameAttachment::reset() {
    m_gameActive = false;
    m_attachCounter = 0;
    closeProcess();
}

bool GameAttachment::windowPresent(double attachThreshold) {
    if (!m_gameActive && m_attachCounter < attachThreshold) {
        ++m_attachCounter;
        return false;
    }
    m_attachCounter = 0;
    if (m_processClosed) {
        m_processId = m_memory.windowProcess(m_window);
        m_process = m_memory.openProcess(m_processId);
        if (m_process == 0) {
            reportOnce(m_memory.problem());
            // Still active: the next tick tries again, and the reads meanwhile give nothing.
            if (onOpenFailure) {
                onOpenFailure();
            }
            return true;
        }
        m_processClosed = false;
        m_reported.clear();
        m_attachedWindow = m_window;
        tell(GameStatus::Running);
    }
    return true;
}

bool GameAttachment::windowAbsent(double detachThreshold) {
    if (m_gameActive && m_attachCounter < detachThreshold) {
        ++m_attachCounter;
        return true;
    }
    m_attachCounter = 0;
    tell(GameStatus::NotRunning);
    closeProcess();
    return false;
}

void GameAttachment::reportOnce(const std::string &problem) {
    if (!problem.empty() && problem != m_reported) {
        core::ReportError("RACE07_Actiu", "OpenProcess", problem);
        m_reported = problem;
    }
}

bool GameAttachment::heldProcessGone() {
    if (m_processClosed) {
        return false;
    }
    if (!m_memory.processRunning(m_process)) {
        return true;
    }
    // Another window than the one attached to (the game restarted, or the other game is
    // left): it must belong to the process held.
    return m_window != 0 && m_window != m_attachedWindow &&
           m_memory.windowProcess(m_window) != m_processId;
}

bool GameAttachment::RACE07_Actiu() {
    bool active = false;
    core::trap("RACE07_Actiu", [&] {
        const std::int16_t scanTime = m_settings.ScanTime;
        if (scanTime == 0) {
            throw core::RunTimeError("RACE07_Actiu", "Division by zero: the scan time is 0");
        }
        m_window = m_memory.findWindow(kRace07Title);
        if (m_window == 0) {
            m_window = m_memory.findWindow(kGtrEvolutionTitle);
            // Without a display there is no window to find: say so once.
            reportOnce(m_memory.problem());
        }
        if (heldProcessGone()) {
            reset();
            tell(GameStatus::NotRunning);
        }
        active = m_window != 0 ? windowPresent(3500.0 / scanTime) : windowAbsent(1500.0 / scanTime);
    });
    return active;
}

} // namespace ostrelo::acquisition
