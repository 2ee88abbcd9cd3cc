// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i18n/texts.h"
#include "replay/replay_player.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ostrelo::replay {

/// What is wrong with a session file, in the language of `texts`; empty for nothing.
std::string describe(const SessionFault &fault, const i18n::Texts &texts);

/// A session file opened to be played instead of the game, with what the user is told about it
/// and the moves the replay window asks for.
class ReplaySession {
public:
    /// Opens the session file at `path`, to play at `speed`; `texts` (the language in force)
    /// give the notices.
    ReplaySession(const std::string &path, double speed, const i18n::Texts &texts);

    /// The player; none when the file cannot be played.
    ReplayPlayer *player() { return m_player.get(); }
    /// Why the file cannot be played, or where it is damaged, in the language it was opened
    /// with; empty for a whole file.
    const std::string &notice() const { return m_notice; }

    /// Pauses or plays; play at the end plays the session again from its start.
    void setPaused(bool paused);
    /// Moves to `positionMs` from the start.
    void seek(std::int64_t positionMs);
    /// Whether the replay stands still, as its bar shows it: paused, or at its end.
    bool standing() const { return m_player && (m_player->paused() || m_player->finished()); }

    /// The replay moved to another point: the samples that follow do not continue the ones
    /// before, so what counts from lap to lap starts again.
    std::function<void()> onMoved;

private:
    std::unique_ptr<ReplayPlayer> m_player;
    std::string m_notice;
};

/// Where a recording chosen in the file dialog goes, and whether a file there may be replaced:
/// the dialog has asked before a name it shows is replaced; a name given without the extension
/// gets ".ostrelo", and a file of that name is not replaced unasked.
struct RecordingTarget {
    std::string path;
    bool replace = false;
};
RecordingTarget recordingTarget(const std::string &chosen);

} // namespace ostrelo::replay
