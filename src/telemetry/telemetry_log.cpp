// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetry/telemetry_log.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/regular_file.h"
#include "telemetry/telemetry_fields.h"

#include <cerrno>
#include <cstring>
#include <type_traits>

namespace ostrelo::telemetry {
namespace {

std::string csvText(std::string_view text) {
    std::string clean;
    bool quote = false;
    for (const char c : text) {
        if (c == '\0') {
            continue;
        }
        quote = quote || c == ',' || c == '"' || c == '\r' || c == '\n';
        clean += c;
        if (c == '"') {
            clean += '"';
        }
    }
    return quote ? '"' + clean + '"' : clean;
}

std::string number(double value, int digits) {
    return core::formatGeneral(value, digits, '.', true);
}

// Columns and values from the one field list, so that the header and the lines cannot
// disagree; the reserved field is left out, the slot number comes in its place.
template <typename Emit> void columns(Emit emit, const TelemetrySample &s, std::int16_t carSlot) {
    forEachWireField(s, [&emit, carSlot](const FieldName &name, auto &&value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::string>) {
            emit(name, csvText(value));
        } else if constexpr (std::is_same_v<T, std::int16_t>) {
            emit(name, std::to_string(value));
        } else if constexpr (std::is_same_v<T, float>) {
            emit(name, number(value, 7));
        } else if constexpr (std::is_same_v<T, double>) {
            emit(name, number(value, 15));
        } else if constexpr (std::is_same_v<T, CarSlot>) {
            emit(name, std::to_string(carSlot));
        }
    });
}

} // namespace

TelemetryLog::TelemetryLog(const std::string &path) : m_path(path) {
    m_fd = core::openForAppend(path, m_error);
    if (m_fd < 0) {
        return;
    }
    m_headerPending = core::endOfFile(m_fd) == 0;
}

TelemetryLog::~TelemetryLog() {
    if (m_fd >= 0) {
        core::closeFile(m_fd);
    }
}

bool TelemetryLog::append(const std::string &line) {
    const std::int64_t before = core::endOfFile(m_fd);
    int error = core::writeAll(m_fd, line);
    if (error == 0) {
        if (m_failing) {
            m_failing = false;
            core::ReportError("TelemetryLog", "write",
                              "the telemetry log " + m_path + " is written again");
        }
        return true;
    }
    // A cut line would spoil the file for a spreadsheet: take back what went out of it.
    if (before >= 0) {
        if (const int cut = core::truncateFile(m_fd, before); cut != 0) {
            error = cut;
        }
    }
    if (!m_failing) {
        m_failing = true;
        core::ReportError("TelemetryLog", "write",
                          "the telemetry log " + m_path + " cannot be written (" +
                              std::strerror(error) + "); samples are left out until it can");
    }
    return false;
}

std::string TelemetryLog::header() {
    std::string line = "time_ms,source";
    columns([&line](const FieldName &name, const std::string &) { line += ',' + name.text(); },
            TelemetrySample{}, 0);
    return line + ",Status";
}

bool TelemetryLog::write(std::int64_t timeMs, std::string_view source,
                         const TelemetrySample &sample, std::int16_t carSlot,
                         std::string_view status) {
    if (m_fd < 0) {
        return false;
    }
    if (m_headerPending) {
        if (!append(header() + "\r\n")) {
            return false;
        }
        m_headerPending = false;
    }
    std::string line = std::to_string(timeMs) + ',' + std::string(source);
    columns([&line](const FieldName &, const std::string &value) { line += ',' + value; }, sample,
            carSlot);
    return append(line + ',' + csvText(status) + "\r\n");
}

} // namespace ostrelo::telemetry
