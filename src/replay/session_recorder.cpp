// SPDX-License-Identifier: GPL-3.0-or-later
#include "replay/session_recorder.h"

#include "core/error.h"
#include "core/regular_file.h"

#include <chrono>
#include <cstring>

namespace ostrelo::replay {
namespace {

// About a minute of samples at the shortest scan time.
constexpr std::size_t kLargestHeld = 2 << 20;

} // namespace

SessionRecorder::SessionRecorder(const std::string &path, std::string program, bool replace)
    : m_path(path), m_program(std::move(program)) {
    m_fd = core::openForAppend(path, m_error);
    if (m_fd < 0) {
        return;
    }
    if (!replace && core::endOfFile(m_fd) != 0) {
        core::closeFile(m_fd);
        m_fd = -1;
        m_error = {core::FileProblem::Cause::NotEmpty, path, {}, {}};
        return;
    }
    // A new recording: whatever the file held before goes.
    if (const int error = core::truncateFile(m_fd, 0); error != 0) {
        core::closeFile(m_fd);
        m_fd = -1;
        m_error = {core::FileProblem::Cause::CannotWrite, path, {}, std::strerror(error)};
    }
}

SessionRecorder::~SessionRecorder() {
    if (m_fd >= 0) {
        flush();
        core::closeFile(m_fd);
    }
}

void SessionRecorder::record(const RecordedSample &sample) {
    if (m_fd < 0) {
        return;
    }
    if (!m_headerWritten) {
        // The samples' clock says nothing of the date: the header holds the system clock's.
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        m_held += SessionEncoder::header(
            {kFormatVersion, m_program,
             std::chrono::duration_cast<std::chrono::milliseconds>(now).count(),
             sample.sample.TrackName, sample.sample.CarName});
        m_headerWritten = true;
        m_lastFlushMs = sample.timeMs;
    }
    m_held += m_encoder.encode(sample);
    std::int64_t sinceFlushMs = 0;
    if (sample.timeMs < m_lastFlushMs ||
        __builtin_sub_overflow(sample.timeMs, m_lastFlushMs, &sinceFlushMs) ||
        sinceFlushMs >= 1000) {
        flush();
        m_lastFlushMs = sample.timeMs;
    }
}

void SessionRecorder::flush() {
    if (m_fd < 0 || m_held.empty()) {
        return;
    }
    const std::int64_t before = core::endOfFile(m_fd);
    if (const int error = core::writeAll(m_fd, m_held); error != 0) {
        // A cut record would end the replay there: take it back. What was held waits for the
        // disk, up to a bound; beyond it the recording goes on from a whole sample.
        if (before >= 0) {
            core::truncateFile(m_fd, before);
        }
        if (m_held.size() > kLargestHeld) {
            m_held.clear();
            m_encoder = SessionEncoder();
        }
        if (!m_failing) {
            m_failing = true;
            core::ReportError("SessionRecorder", "write",
                              "the session " + m_path + " cannot be written (" +
                                  std::strerror(error) + ")");
        }
        return;
    }
    m_held.clear();
    m_failing = false;
}

} // namespace ostrelo::replay
