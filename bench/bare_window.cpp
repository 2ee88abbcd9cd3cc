// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for start-up: a bare Qt window with one label, from exec to its first paint.
#include "windows/first_paint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <iostream>

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Ostrelo"), &window));
    ostrelo::windows::onFirstPaint(&window, [] {
        std::cerr << "bare window: first paint" << std::endl;
        QCoreApplication::quit();
    });
    window.show();
    return QApplication::exec();
}
