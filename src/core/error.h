// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ostrelo::core {

/// A run-time failure of one step (an overflow, a type mismatch, a failed platform call).
/// `source()` names the failing operation; `what()` describes the failure for a person.
class RunTimeError : public std::runtime_error {
public:
    RunTimeError(std::string source, const std::string &description);

    /// The name of the operation that failed, e.g. "ToInteger16".
    const std::string &source() const noexcept { return m_source; }

private:
    std::string m_source;
};

/// One error report: the routine whose trap ran, the failing operation and a description.
struct ErrorReport {
    std::string routine;
    std::string source;
    std::string description;
};

/// The common error reporter. Every trap stores its routine's name in `ErrorSourceName()`
/// and hands the report to the installed sink (the debug lines, a log, a test).
class ErrorReporter {
public:
    using Sink = std::function<void(const ErrorReport &)>;

    /// The one reporter of the process.
    static ErrorReporter &instance();

    /// Installs the receiver of every report and returns the one it replaces.
    Sink setSink(Sink sink);

    /// Records `report.routine` as the last failing routine and passes the report on.
    /// Never fails itself: a sink that throws is ignored.
    void report(const ErrorReport &report) noexcept;

    /// Name of the routine whose trap ran last; empty until the first report.
    const std::string &errorSourceName() const { return m_errorSourceName; }

private:
    Sink m_sink;
    std::string m_errorSourceName;
};

/// Reports a failure of `routine` to the common reporter.
void ReportError(std::string_view routine, std::string_view source, std::string_view description);

/// Runs `body` as the routine `routine`: a failure stops the body at the failing step, is
/// reported under the routine's name, and `trap` returns false. Nothing escapes to the caller.
template <typename Body> bool trap(std::string_view routine, Body &&body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (const RunTimeError &error) {
        ReportError(routine, error.source(), error.what());
    } catch (const std::exception &error) {
        ReportError(routine, "internal", error.what());
    } catch (...) {
        ReportError(routine, "internal", "unknown failure");
    }
    return false;
}

} // namespace ostrelo::core
