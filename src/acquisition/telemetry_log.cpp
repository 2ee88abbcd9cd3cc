// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/telemetry_log.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/regular_file.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrelo::acquisition {
namespace {

constexpr const char *kWheels[] = {"FL", "FR", "RL", "RR"};

// A CSV field: quoted when it holds a comma, a quote or a line break; NULs left out.
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

// Columns and values in one place, so that the header and the lines cannot disagree.
template <typename Emit> void columns(Emit emit, const TelemetrySample &s, std::int16_t carSlot) {
    emit("DriverName", csvText(s.DriverName));
    emit("OilTemp", number(s.OilTemp, 7));
    emit("WaterTemp", number(s.WaterTemp, 7));
    emit("SlotName", csvText(s.SlotName));
    emit("Position", std::to_string(s.Position));
    emit("EngineSpeed", number(s.EngineSpeed, 7));
    emit("EngineSpeedMax", number(s.EngineSpeedMax, 7));
    emit("Ignition", std::to_string(s.Ignition));
    emit("LapNumber", std::to_string(s.LapNumber));
    emit("Fuel", number(s.Fuel, 7));
    emit("BestLapTime", number(s.BestLapTime, 7));
    emit("LastLapTime", number(s.LastLapTime, 7));
    emit("Gear", std::to_string(s.Gear));
    for (std::size_t w = 0; w < 4; ++w) {
        for (std::size_t zone = 0; zone < 3; ++zone) {
            emit("TyreTemp_" + std::string(kWheels[w]) + "_" + std::to_string(zone),
                 number(s.TyreTemp[w][zone], 7));
        }
    }
    for (std::size_t w = 0; w < 4; ++w) {
        emit("TyrePressure_" + std::string(kWheels[w]), number(s.TyrePressure[w], 7));
    }
    for (std::size_t w = 0; w < 4; ++w) {
        emit("WheelSpeed_" + std::string(kWheels[w]), number(s.WheelSpeed[w], 15));
    }
    for (std::size_t w = 0; w < 4; ++w) {
        emit("TyreWear_" + std::string(kWheels[w]), number(s.TyreWear[w], 15));
    }
    emit("TrackName", csvText(s.TrackName));
    emit("PitLimiter", std::to_string(s.PitLimiter));
    emit("InPits", std::to_string(s.InPits));
    emit("TractionControl", std::to_string(s.TractionControl));
    emit("AbsLevel", std::to_string(s.AbsLevel));
    emit("Throttle", number(s.Throttle, 7));
    emit("Brake", number(s.Brake, 7));
    emit("TrackTemp", number(s.TrackTemp, 7));
    emit("AmbientTemp", number(s.AmbientTemp, 7));
    emit("CarSlot", std::to_string(carSlot));
    for (std::size_t w = 0; w < 4; ++w) {
        emit("BrakeTemp_" + std::string(kWheels[w]), number(s.BrakeTemp[w], 7));
    }
    emit("CarName", csvText(s.CarName));
}

} // namespace

TelemetryLog::TelemetryLog(const std::string &path) : m_path(path) {
    std::string problem;
    m_fd = core::openForAppend(path, problem);
    if (m_fd < 0) {
        m_error = "the telemetry log is off: " + problem;
        return;
    }
    struct stat status {};
    m_headerPending = ::fstat(m_fd, &status) == 0 && status.st_size == 0;
}

TelemetryLog::~TelemetryLog() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool TelemetryLog::append(const std::string &line) {
    const off_t before = ::lseek(m_fd, 0, SEEK_END);
    std::string_view rest = line;
    int error = 0;
    while (!rest.empty()) {
        const ssize_t written = ::write(m_fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    if (rest.empty()) {
        if (m_failing) {
            m_failing = false;
            core::ReportError("TelemetryLog", "write",
                              "the telemetry log " + m_path + " is written again");
        }
        return true;
    }
    // A cut line would spoil the file for a spreadsheet: take back what went out of it.
    if (before >= 0 && ::ftruncate(m_fd, before) != 0) {
        error = errno;
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
    columns([&line](const std::string &name, const std::string &) { line += ',' + name; },
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
    columns([&line](const std::string &, const std::string &value) { line += ',' + value; }, sample,
            carSlot);
    return append(line + ',' + csvText(status) + "\r\n");
}

} // namespace ostrelo::acquisition
