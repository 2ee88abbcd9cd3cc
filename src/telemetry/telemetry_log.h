// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_problem.h"
#include "telemetry/telemetry_sample.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrelo::telemetry {

/// A CSV file (RFC 4180, UTF-8, "." as the decimal point) with one line per sample acquired
/// from the game or taken over from a frame, in metric units, for review in a spreadsheet.
/// A new file starts with a header line. Only whole lines reach the file: a line that cannot
/// be written whole (a full disk) is taken back, said once under "TelemetryLog", and writing
/// resumes with the next line that fits.
class TelemetryLog {
public:
    /// Appends to `path`, which must be a regular file or not exist yet; `error()` says why
    /// when it cannot be used (a folder, a FIFO, a device, a bad path). Never blocks.
    explicit TelemetryLog(const std::string &path);
    ~TelemetryLog();
    TelemetryLog(const TelemetryLog &) = delete;
    TelemetryLog &operator=(const TelemetryLog &) = delete;

    const core::FileProblem &error() const { return m_error; }

    /// Writes one line: the wall-clock time in milliseconds since the epoch, `source`
    /// ("game" or "received"), the sample's fields in wire order with `carSlot` in its place,
    /// and `status`. Returns false when the line could not be written.
    bool write(std::int64_t timeMs, std::string_view source, const TelemetrySample &sample,
               std::int16_t carSlot, std::string_view status);

    /// The header line, without its line ending.
    static std::string header();

private:
    bool append(const std::string &line);

    std::string m_path;
    int m_fd = -1;
    bool m_headerPending = false;
    bool m_failing = false;
    core::FileProblem m_error;
};

} // namespace ostrelo::telemetry
