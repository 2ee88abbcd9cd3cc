// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/error_capture.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // Widget tests run without a display unless a platform is chosen from outside.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The lap history of every program a test starts goes to a folder of its own.
    const QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ostrelo::testing::failOnUnexpectedErrorReports();
    return RUN_ALL_TESTS();
}
