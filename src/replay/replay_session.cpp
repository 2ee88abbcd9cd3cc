// SPDX-License-Identifier: GPL-3.0-or-later
#include "replay/replay_session.h"

#include "i18n/messages.h"

#include <filesystem>

namespace ostrelo::replay {

std::string describe(const SessionFault &fault, const i18n::Texts &t) {
    using enum SessionFault::Kind;
    const auto stopped = [&](std::string_view why) {
        return i18n::fill(t.TextSessionStopped, {std::to_string(fault.number), why});
    };
    switch (fault.kind) {
    case None:
        return {};
    case Empty:
        return t.TextSessionEmpty;
    case NotASession:
        return t.TextSessionNotOurs;
    case HeaderCut:
        return t.TextSessionHeaderCut;
    case NewerFormat:
        return i18n::fill(t.TextSessionNewer,
                          {std::to_string(fault.number), std::to_string(kFormatVersion)});
    case CutRecord:
        return stopped(t.TextSessionCutRecord);
    case DamagedRecord:
        return stopped(t.TextSessionDamagedRecord);
    case DamagedStandings:
        return stopped(t.TextSessionDamagedStandings);
    case NoWholeSample:
        return stopped(t.TextSessionNoWholeSample);
    }
    return {};
}

ReplaySession::ReplaySession(const std::string &path, double speed, const i18n::Texts &texts) {
    // The file is read a piece at a time, never whole: a file of any size opens.
    core::FileProblem problem;
    std::unique_ptr<SessionSource> source = openSessionFile(path, problem);
    if (!source) {
        if (problem.empty()) {
            problem = {core::FileProblem::Cause::Missing, path, {}, {}};
        }
        m_notice = i18n::fill(texts.TextReplayRefused, {i18n::describe(problem, texts)});
        return;
    }
    m_player = std::make_unique<ReplayPlayer>(std::move(source));
    if (!m_player->refusal().empty()) {
        m_notice = i18n::fill(texts.TextReplayRefused,
                              {path + ": " + describe(m_player->refusal(), texts)});
        m_player.reset();
        return;
    }
    if (!m_player->damage().empty()) {
        m_notice = i18n::fill(texts.TextReplayDamaged,
                              {path + ": " + describe(m_player->damage(), texts)});
    }
    m_player->setSpeed(speed);
}

void ReplaySession::setPaused(bool paused) {
    if (!m_player) {
        return;
    }
    if (!paused && m_player->finished()) {
        seek(0);
    }
    m_player->setPaused(paused);
}

void ReplaySession::seek(std::int64_t positionMs) {
    if (!m_player) {
        return;
    }
    m_player->seek(positionMs);
    if (onMoved) {
        onMoved();
    }
}

RecordingTarget recordingTarget(const std::string &chosen) {
    if (std::filesystem::path(chosen).has_extension()) {
        return {chosen, true};
    }
    return {chosen + ".ostrelo", false};
}

} // namespace ostrelo::replay
