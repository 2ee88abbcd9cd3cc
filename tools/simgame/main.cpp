// SPDX-License-Identifier: GPL-3.0-or-later
// ostrelo-simgame: plays the racing game's part on Linux. It opens a window titled like the
// game and keeps a simulated race at the game's telemetry addresses in its own memory, so
// that Ostrelo can find it and read it exactly as it reads the real game.

#include "car_model.h"
#include "memory_image.h"
#include "options.h"
#include "platform/linux/x11_display.h"
#include "scenario.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace ostrelo::simgame;

class GameWindow : public QWidget {
public:
    explicit GameWindow(const CarModel &model) : m_model(model) { setFixedSize(360, 170); }

protected:
    void paintEvent(QPaintEvent *) override {
        if (!m_announced) {
            // Painted means mapped with its title: now the window can be found.
            m_announced = true;
            std::cout << "ready" << std::endl;
        }
        QPainter painter(this);
        painter.fillRect(rect(), QColor(20, 24, 32));
        painter.setPen(Qt::white);
        const GameState &s = m_model.state();
        const SlotState &car = s.cars[CarModel::kLocalSlot];
        const double kmh = -s.wheels[0].spin * s.wheels[0].radius * 3.6;
        const QString text =
            QStringLiteral("Simulated race for Ostrelo\n\n%1 - %2\nLap %3   Gear %4   %5 km/h\n"
                           "Fuel %6 L   Last lap %7 s")
                .arg(QString::fromStdString(car.driverName), QString::fromStdString(car.carName))
                .arg(car.lapCount + 1)
                .arg(car.gear)
                .arg(std::lround(kmh))
                .arg(static_cast<double>(car.fuel), 0, 'f', 1)
                .arg(static_cast<double>(car.lastLapTime), 0, 'f', 3);
        painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignLeft | Qt::AlignTop, text);
    }

private:
    const CarModel &m_model;
    bool m_announced = false;
};

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const Options options = parseOptions(arguments);
    if (!options.error.empty()) {
        std::cerr << "ostrelo-simgame: " << options.error << "\n\n" << usageText();
        return 2;
    }
    if (options.help) {
        std::cout << usageText();
        return 0;
    }
    if (options.version) {
        std::cout << "ostrelo-simgame " OSTRELO_VERSION "\n";
        return 0;
    }
    if (const std::string problem = ostrelo::platform::x11DisplayProblem();
        !problem.empty() && !std::getenv("QT_QPA_PLATFORM") && !std::getenv("WAYLAND_DISPLAY")) {
        std::cerr << "ostrelo-simgame: " << problem << ". Start it from a graphical session.\n";
        return 1;
    }
    const std::string &title = options.title;
    const std::string &scenarioPath = options.scenarioPath;
    const double speed = options.speed;
    // Qt sees only its own options.
    std::vector<char *> toolkitArguments{argv[0]};
    std::vector<std::string> toolkit = options.toolkit;
    for (std::string &argument : toolkit) {
        toolkitArguments.push_back(argument.data());
    }
    int toolkitCount = static_cast<int>(toolkitArguments.size());
    toolkitArguments.push_back(nullptr);

    MemoryImage memory;
    if (!memory.mapped()) {
        std::cerr << "ostrelo-simgame: " << memory.error() << '\n';
        return 1;
    }
    const Scenario scenario(scenarioPath);
    if (!scenario.error().empty()) {
        std::cerr << "ostrelo-simgame: " << scenario.error() << '\n';
        return 1;
    }

    QApplication application(toolkitCount, toolkitArguments.data());
    CarModel model(7, options.stint);
    GameState published = model.state();
    scenario.apply(published, CarModel::kLocalSlot);
    memory.publish(published);

    GameWindow window(model);
    window.setWindowTitle(QString::fromStdString(title));
    window.show();

    QElapsedTimer clock;
    clock.start();
    QTimer step;
    int frames = 0;
    QObject::connect(&step, &QTimer::timeout, [&] {
        model.advance(static_cast<double>(clock.restart()) / 1000 * speed);
        published = model.state();
        scenario.apply(published, CarModel::kLocalSlot);
        memory.publish(published);
        if (++frames % 10 == 0) {
            window.update();
        }
    });
    step.start(10);
    return QApplication::exec();
}
