#pragma once

#include "acquisition/telemetry_sample.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace ostrelo::acquisition {

/// A CSV file (RFC 4180, UTF-8, "." as the decimal point) with one line per sample acquired
/// from the game or taken over from a frame, in metric units, for review in a spreadsheet.
/// A new file starts with a header line; every line is flushed as it is written.
class TelemetryLog {
public:
    /// Appends to `path`; `error()` says why when the file cannot be opened.
    explicit TelemetryLog(const std::string &path);

    const std::string &error() const { return m_error; }

    /// Writes one line: the wall-clock time in milliseconds since the epoch, `source`
    /// ("game" or "received"), the sample's fields in wire order with `carSlot` in its place,
    /// and `status`.
    void write(std::int64_t timeMs, std::string_view source, const TelemetrySample &sample,
               std::int16_t carSlot, std::string_view status);

    /// The header line, without its line ending.
    static std::string header();

private:
    std::ofstream m_file;
    std::string m_error;
};

} // namespace ostrelo::acquisition
