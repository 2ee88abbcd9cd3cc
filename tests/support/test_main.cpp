// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/error_capture.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ostrelo::testing::failOnUnexpectedErrorReports();
    return RUN_ALL_TESTS();
}
