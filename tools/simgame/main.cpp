// ostrelo-simgame: plays the racing game's part on Linux. It opens a window titled like the
// game and keeps a simulated race at the game's telemetry addresses in its own memory, so
// that Ostrelo can find it and read it exactly as it reads the real game.

#include "car_model.h"
#include "memory_image.h"
#include "scenario.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <iostream>
#include <string>

namespace {

using namespace ostrelo::simgame;

const char *kUsage =
    "Usage: ostrelo-simgame [--title TITLE] [--speed FACTOR] [--scenario FILE]\n"
    "Simulates RACE 07 for Ostrelo: a window titled TITLE (default \"RACE 07\", or\n"
    "\"GTR Evolution\") and a live race at the game's telemetry addresses.\n"
    "  --speed FACTOR   run the race FACTOR times faster (default 1)\n"
    "  --scenario FILE  pin values: an INI file with a [Pin] section, keys:\n";

class GameWindow : public QWidget {
public:
    explicit GameWindow(const CarModel &model) : m_model(model) { setFixedSize(360, 170); }

protected:
    void paintEvent(QPaintEvent *) override {
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
};

} // namespace

int main(int argc, char **argv) {
    std::string title = "RACE 07";
    std::string scenarioPath;
    double speed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if ((argument == "--title" || argument == "--scenario" || argument == "--speed") &&
            i + 1 < argc) {
            const std::string value = argv[++i];
            if (argument == "--title") {
                title = value;
            } else if (argument == "--scenario") {
                scenarioPath = value;
            } else {
                speed = std::stod(value);
            }
        } else if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            for (const std::string &key : Scenario::keys()) {
                std::cout << "      " << key << '\n';
            }
            return 0;
        }
    }

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

    QApplication application(argc, argv);
    CarModel model;
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
    std::cout << "ready" << std::endl;
    return QApplication::exec();
}
