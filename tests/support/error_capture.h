// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/error.h"

#include <vector>

namespace ostrelo::testing {

/// Collects the error reports made while it lives; outside its lifetime, any report fails
/// the running test.
class ErrorCapture {
public:
    ErrorCapture();
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture &) = delete;
    ErrorCapture &operator=(const ErrorCapture &) = delete;

    const std::vector<core::ErrorReport> &reports() const { return m_reports; }

private:
    std::vector<core::ErrorReport> m_reports;
    core::ErrorReporter::Sink m_previous;
};

/// Installs the sink that fails a test on any report nobody expected.
void failOnUnexpectedErrorReports();

} // namespace ostrelo::testing
