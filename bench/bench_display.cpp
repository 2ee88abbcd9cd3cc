// SPDX-License-Identifier: GPL-3.0-or-later
// One sample through the display phase into the real main window (offscreen), beside the
// floor of setting the same number of label texts directly.
#include "dashboard/design_layout.h"
#include "dashboard/display_phase.h"
#include "i18n/language_table.h"
#include "windows/bar_gauge.h"
#include "windows/main_window.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace ostrelo;

// A sample in which every shown value differs from the last one, as at speed.
telemetry::TelemetrySample sampleAt(int step) {
    const auto v = [step](double base, int range) {
        return static_cast<float>(base + step % range);
    };
    telemetry::TelemetrySample s;
    s.DriverName = "Marta Vidal";
    s.CarName = step % 2 ? "Lince Turbo 16V" : "Lince Turbo 16V ";
    s.TrackName = step % 2 ? "Anella Sud" : "Anella Sud ";
    s.Ignition = 1;
    s.LapNumber = static_cast<std::int16_t>(1 + step % 50);
    s.Position = static_cast<std::int16_t>(1 + step % 12);
    s.Fuel = v(20, 40);
    s.EngineSpeed = v(600, 200);
    s.EngineSpeedMax = 921.5F;
    s.OilTemp = v(80, 40);
    s.WaterTemp = v(81, 40);
    for (auto &zones : s.TyreTemp) {
        zones = {v(60, 60), v(61, 60), v(62, 60)};
    }
    s.TyrePressure = {v(170, 50), v(171, 50), v(172, 50), v(173, 50)};
    s.WheelSpeed = {v(100, 90), v(101, 90), v(102, 90), v(103, 90)};
    s.TyreWear = {0.9 + step % 90 * 0.001, 0.91 + step % 80 * 0.001, 0.92,
                  0.93 + step % 70 * 0.001};
    s.BrakeTemp = {v(300, 400), v(301, 400), v(302, 400), v(303, 400)};
    s.Throttle = v(0, 100);
    s.Brake = v(1, 99);
    s.AmbientTemp = v(10, 20);
    s.TrackTemp = v(20, 20);
    s.BestLapTime = v(90, 10);
    s.LastLapTime = v(91, 10);
    s.Gear = static_cast<std::int16_t>(1 + step % 6);
    return s;
}

// A shown main window, the display phase and the screen between them, in English.
struct Dashboard {
    Dashboard() {
        app.texts = i18n::findLanguage("English")->texts;
        window.show();
    }
    // One sample through the display phase and drawn on the window (which would otherwise
    // wait for the screen's next refresh).
    void show(int step) {
        telemetry::TelemetrySample sample = sampleAt(step);
        book.take(sample, app.followed.SlotMode);
        phase.show(sample, {&app.texts}, {}, book);
        window.apply(screen);
        window.drawNow();
    }
    runtime::AppState app;
    windows::MainWindow window{0};
    dashboard::Screen screen;
    dashboard::DisplayState display;
    dashboard::LapBook book;
    dashboard::DisplayPhase phase{screen, display, [] { return 0; }};
};

// How many label texts differ between two screens.
int changedLabels(const dashboard::Screen &a, const dashboard::Screen &b) {
    int changed = 0;
    for (int label = 1; label <= 48; ++label) {
        changed +=
            *dashboard::labelContent(a, label).text != *dashboard::labelContent(b, label).text;
    }
    return changed;
}

void DisplayPhase(benchmark::State &state) {
    Dashboard dashboard;
    int step = 0;
    for (auto _ : state) {
        dashboard.show(step++);
    }
    // The label texts a sample changes, as the floor counts them (every run of a CSV report
    // carries the same counters).
    const dashboard::Screen last = dashboard.screen;
    dashboard.show(step);
    state.counters["labels"] = changedLabels(last, dashboard.screen);
}
BENCHMARK(DisplayPhase);

void LabelTextFloor(benchmark::State &state) {
    Dashboard dashboard;
    dashboard.show(0);
    const dashboard::Screen first = dashboard.screen;
    dashboard.show(1);
    const int writes = changedLabels(first, dashboard.screen);
    int step = 0;
    for (auto _ : state) {
        for (int i = 0; i < writes; ++i) {
            dashboard.window.label(2)->setText(QString::number(step++));
        }
    }
    state.counters["labels"] = writes;
}
BENCHMARK(LabelTextFloor);

// One sample as at speed, through the display phase and painted: what the window paints is
// what changed, at most once per refresh of the screen.
void PaintAtSpeed(benchmark::State &state) {
    Dashboard dashboard;
    int step = 0;
    for (auto _ : state) {
        dashboard.show(step++);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(PaintAtSpeed);

// Painting one element as it is: the rpm and the speed bars with their texts (3, 4), the
// throttle bar (1), a tyre's temperature (label 2) and the gear (label 14).
void PaintElement(benchmark::State &state) {
    Dashboard dashboard;
    dashboard.show(1);
    QCoreApplication::processEvents();
    const auto number = static_cast<int>(state.range(0));
    QWidget *widget = number < 0 ? static_cast<QWidget *>(dashboard.window.label(-number))
                                 : static_cast<QWidget *>(dashboard.window.bar(number));
    // A bar's value changes only what lies inside its frame.
    const QRect changed = number < 0 ? widget->rect() : widget->rect().adjusted(1, 1, -1, -1);
    for (auto _ : state) {
        widget->repaint(changed);
    }
}
BENCHMARK(PaintElement)->Arg(3)->Arg(4)->Arg(1)->Arg(-2)->Arg(-14);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
