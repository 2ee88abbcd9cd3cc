// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/error_capture.h"

#include <gtest/gtest.h>

namespace ostrelo::testing {

ErrorCapture::ErrorCapture() {
    m_previous = core::ErrorReporter::instance().setSink(
        [this](const core::ErrorReport &report) { m_reports.push_back(report); });
}

ErrorCapture::~ErrorCapture() {
    core::ErrorReporter::instance().setSink(std::move(m_previous));
}

void failOnUnexpectedErrorReports() {
    core::ErrorReporter::instance().setSink([](const core::ErrorReport &report) {
        ADD_FAILURE() << "unexpected error report from " << report.routine << ": "
                      << report.description;
    });
}

} // namespace ostrelo::testing
