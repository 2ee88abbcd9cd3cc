// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"

#include <utility>

namespace ostrelo::core {

RunTimeError::RunTimeError(std::string source, const std::string &description)
    : std::runtime_error(description), m_source(std::move(source)) {
}

ErrorReporter &ErrorReporter::instance() {
    static ErrorReporter reporter;
    return reporter;
}

ErrorReporter::Sink ErrorReporter::setSink(Sink sink) {
    return std::exchange(m_sink, std::move(sink));
}

void ErrorReporter::report(const ErrorReport &report) noexcept {
    try {
        m_errorSourceName = report.routine;
        if (m_sink) {
            m_sink(report);
        }
    } catch (...) {
        // The reporter is the last resort of every trap; it must not fail in turn.
    }
}

void ReportError(std::string_view routine, std::string_view source, std::string_view description) {
    ErrorReporter::instance().report(
        {std::string(routine), std::string(source), std::string(description)});
}

} // namespace ostrelo::core
