// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/address_map.h"
#include "app/program.h"
#include "app/startup.h"
#include "core/settings.h"
#include "fakes/fake_process_memory.h"
#include "fakes/fake_stream_socket.h"
#include "i18n/language_table.h"
#include "platform/native.h"
#include "support/drawn.h"
#include "support/temp_dir.h"
#include "support/x_display.h"
#include "windows/bar_gauge.h"
#include "windows/fitted_text.h"
#include "windows/main_window.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeySequence>

#include <gtest/gtest.h>

#include <cmath>

namespace ostrelo::app {
namespace {

namespace address = acquisition::address;

// A label's text once the window has drawn the newest screen.
std::string caption(const windows::MainWindow &window, int label) {
    testing::waitUntilDrawn(window);
    return window.label(label)->text().toStdString();
}

// The simulated game on a private X server, read through the real Linux backend and shown
// on the real main window.
TEST(DashboardEndToEnd, ShowsTheSimulatedGameOnTheMainWindow) {
    testing::XDisplay display;
    ASSERT_TRUE(display.running()) << display.error().toStdString();
    testing::TempDir dir;
    testing::SimulatedGame game(testing::fullScenarioArguments(dir.path()));
    ASSERT_TRUE(game.ready()) << game.errors().toStdString();

    runtime::AppState state;
    openSettings(state, dir.write("Ostrelo.ini", "[Opcions]\nScanTime=1000\nIdioma=English\n"));
    windows::MainWindow window(0);
    const auto memory = platform::nativeProcessMemory();
    testing::FakeStreamSocket server;
    testing::FakeStreamSocket client;
    Program program(state, window, *memory, server, client);
    window.setEvents(&program);
    program.start(',');
    window.stopScanTimer();

    for (int tick = 0; tick < 4; ++tick) {
        program.scanTick();
        EXPECT_EQ(caption(window, 1), "Scanning...");
    }
    program.scanTick();
    EXPECT_EQ(caption(window, 1), "RACE07 RUNNING");
    // A few elements of each kind: the formats themselves are the display phase's tests.
    EXPECT_EQ(caption(window, 30), "Lince Turbo 16V");
    EXPECT_EQ(caption(window, 16), "42,50L");
    EXPECT_EQ(caption(window, 24), " 190kPA");
    EXPECT_EQ(caption(window, 22), "Best: 1:37,500");
    EXPECT_EQ(window.lamp(3)->text(), QStringLiteral("Pos  4 -  3:Marta Vidal"));
    EXPECT_TRUE(window.lamp(6)->isEnabled());
    EXPECT_EQ(window.bar(3)->text(), QStringLiteral(" 6684"));
    EXPECT_TRUE(window.marker(4)->isVisibleTo(&window));

    game.kill();
    for (int tick = 0; tick < 3; ++tick) {
        program.scanTick();
    }
    EXPECT_EQ(caption(window, 1), "RACE07 NOT RUNNING");
    EXPECT_EQ(caption(window, 30), "Lince Turbo 16V");
}

// Where the ink of a label's text lies on the canvas, as its alignment places the line.
QRect textRect(const QLabel *label) {
    const QFontMetrics metrics(label->font());
    const int width = metrics.horizontalAdvance(label->text());
    const QRect box = label->contentsRect().translated(label->pos());
    const int left = label->alignment() & Qt::AlignLeft ? box.left() : box.center().x() - width / 2;
    const int baseline = box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
    const QRect ink = metrics.tightBoundingRect(label->text());
    return ink.translated(left, baseline);
}

TEST(DashboardEndToEnd, NoTextIsClippedOrOverlapsAnotherInAnyLanguageUnitsOrSize) {
    testing::TempDir dir;
    testing::FakeProcessMemory game;
    game.windows["RACE 07"] = 1;
    game.placeText(address::LocalDriver, "Maximilian Oberhofer\\x");
    game.placeText(address::slotField(0, address::DriverName),
                   std::string("Maximilian Oberhofer\0", 21));
    game.placeText(address::CarName, std::string("Lince Turbo 16V Evo\0", 20));
    game.placeText(address::TrackName, std::string("Locations\\Circuit de la Sarthe.trk\0", 36));
    game.placeValue<std::int32_t>(address::Position, 12);
    game.placeValue<float>(address::BestLapTime, 659.999F);
    game.placeValue<float>(address::LastLapTime, 608.888F);
    game.placeValue<std::uint8_t>(address::Ignition, 1);
    game.placeValue<std::uint8_t>(address::PitLimiter, 1);
    game.placeValue<std::uint8_t>(address::TractionControl, 2);
    game.placeValue<std::uint8_t>(address::AbsLevel, 1);
    game.placeValue<float>(address::EngineSpeed, 900);
    game.placeValue<float>(address::EngineSpeedMax, 950);
    game.placeValue<double>(address::OilTemp, 888);
    game.placeValue<double>(address::WaterTemp, 888);
    for (int wheel = telemetry::FL; wheel <= telemetry::RR; ++wheel) {
        for (int zone = 0; zone < 3; ++zone) {
            game.placeValue<double>(address::wheelField(wheel, address::WheelTread + 8 * zone),
                                    888);
        }
        game.placeValue<double>(address::wheelField(wheel, address::WheelPressure), 888.8);
        game.placeValue<double>(address::wheelField(wheel, address::WheelBrake), 1888);
        game.placeValue<double>(address::wheelField(wheel, address::WheelWear), 0.01);
        game.placeValue<double>(address::wheelField(wheel, address::WheelSpin), -888);
        game.placeValue<double>(address::wheelField(wheel, address::WheelRadius), 0.3);
    }
    game.placeValue<float>(address::AmbientTemp, -38.8F);
    game.placeValue<float>(address::TrackTemp, 88.8F);

    runtime::AppState state;
    openSettings(state, dir.write("Ostrelo.ini", "[Opcions]\nScanTime=1000\n"));
    windows::MainWindow window(0);
    testing::FakeStreamSocket server;
    testing::FakeStreamSocket client;
    Program program(state, window, game, server, client);
    window.setEvents(&program);
    program.start('.');
    window.show();
    window.stopScanTimer();
    const double factor = window.twipsPerPixel();
    const QSize design(static_cast<int>(std::lround(dashboard::kDesignInnerWidth / factor)),
                       static_cast<int>(std::lround(dashboard::kDesignInnerHeight / factor)));
    // The inner area opens at the design size, measured with the menus titled.
    EXPECT_EQ(window.centralWidget()->size(), design);

    int lap = 3;
    using dashboard::MenuItem;
    for (const dashboard::LanguageItem &language : dashboard::languageItems()) {
        for (const MenuItem units : {MenuItem::Metrico, MenuItem::Imperial}) {
            SCOPED_TRACE(std::string(language.idioma) +
                         (units == MenuItem::Imperial ? " imperial" : ""));
            program.menuChosen(language.item);
            program.menuChosen(units);
            // Two laps, so that the fuel used on the last lap shows too.
            for (int tick = 0; tick < 7; ++tick) {
                game.placeValue<std::int32_t>(address::LapCount, lap + tick / 6);
                game.placeValue<float>(address::Fuel, tick < 6 ? 101.25F : 88.75F);
                program.scanTick();
            }
            lap += 2;
            ASSERT_EQ(caption(window, 30), "Lince Turbo 16V Evo");
            for (const int width : {window.minimumWidth(), design.width(), 900, 1400}) {
                SCOPED_TRACE(width);
                window.resize(width, window.height());
                QCoreApplication::processEvents();
                std::vector<std::pair<QRect, int>> texts;
                for (const dashboard::DesignElement &element : dashboard::designLayout()) {
                    if (element.kind == dashboard::ElementKind::Label) {
                        const QLabel *label = window.label(element.number);
                        if (label->text().isEmpty()) {
                            continue;
                        }
                        const QRect text = textRect(label);
                        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                                  label->contentsRect().width())
                            << "Label" << element.number << " \"" << label->text().toStdString()
                            << "\"";
                        for (const auto &[other, number] : texts) {
                            EXPECT_FALSE(text.intersects(other))
                                << "Label" << element.number << " overlaps Label" << number;
                        }
                        texts.emplace_back(text, element.number);
                    } else if (element.kind == dashboard::ElementKind::Lamp) {
                        const QPushButton *lamp = window.lamp(element.number);
                        const QString caption =
                            QString(lamp->text())
                                .replace(QStringLiteral("&&"), QStringLiteral("&"));
                        EXPECT_LE(QFontMetrics(lamp->font()).horizontalAdvance(caption),
                                  windows::lampTextBox(lamp->size()).width())
                            << "lamp " << element.number << " " << caption.toStdString();
                    } else if (element.kind == dashboard::ElementKind::Bar) {
                        const windows::BarGauge *bar = window.bar(element.number);
                        EXPECT_LE(QFontMetrics(bar->font()).horizontalAdvance(bar->text()),
                                  bar->width() - 2)
                            << "bar " << element.number;
                    }
                }
            }
            window.resize(design.width(), window.height());
        }
    }
}

TEST(DashboardEndToEnd, ShowsTextsFromTheGameAndPeersExactlyAsReceived) {
    windows::MainWindow window(0);
    window.show();
    const std::string texts[] = {"Lince <B> & Co", "Monza <br> Italia", "R&D Racing",
                                 "<img src=x>"};
    for (const std::string &text : texts) {
        SCOPED_TRACE(text);
        dashboard::Screen screen = window.shown();
        screen.trackName = text;
        screen.position.caption = text;
        window.apply(screen);
        testing::waitUntilDrawn(window);
        const QLabel *label = window.label(28);
        // One line, as wide as the whole text: no markup was taken from it.
        const QFontMetrics metrics(label->font());
        EXPECT_LT(label->sizeHint().height(), 2 * metrics.lineSpacing());
        EXPECT_GE(label->sizeHint().width(),
                  metrics.horizontalAdvance(QString::fromStdString(text)));
        EXPECT_TRUE(QKeySequence::mnemonic(window.lamp(3)->text()).isEmpty());
        EXPECT_EQ(window.lamp(3)->text().replace(QStringLiteral("&&"), QStringLiteral("&")),
                  QString::fromStdString(text));
    }
}

} // namespace
} // namespace ostrelo::app
