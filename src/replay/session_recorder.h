// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_problem.h"
#include "replay/session_format.h"

#include <cstdint>
#include <string>

namespace ostrelo::replay {

/// Records the samples acquired from the game to a session file. What it takes is written at
/// least once a second, so a crash loses at most the last second; a failing write is reported
/// once under "SessionRecorder" and recording goes on when the disk takes it again.
class SessionRecorder {
public:
    /// Makes the file at `path`; `error()` says why when it cannot. A file that already holds
    /// something is only emptied when `replace` says the user chose so (else it is refused as
    /// `NotEmpty`).
    SessionRecorder(const std::string &path, std::string program, bool replace = false);
    ~SessionRecorder();
    SessionRecorder(const SessionRecorder &) = delete;
    SessionRecorder &operator=(const SessionRecorder &) = delete;

    const core::FileProblem &error() const { return m_error; }
    const std::string &path() const { return m_path; }

    /// Takes one sample, stamped on a clock that only goes forward; the header goes first,
    /// with the first sample's track and car and the system clock's time.
    void record(const RecordedSample &sample);
    /// Writes what is held now.
    void flush();

private:
    std::string m_path;
    std::string m_program;
    int m_fd = -1;
    core::FileProblem m_error;
    SessionEncoder m_encoder;
    std::string m_held;
    bool m_headerWritten = false;
    std::int64_t m_lastFlushMs = 0;
    bool m_failing = false;
};

} // namespace ostrelo::replay
