// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/drawn.h"
#include "support/event_wait.h"
#include "telemetry/standings.h"
#include "windows/bar_gauge.h"
#include "windows/main_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ostrelo::windows {
namespace {

using dashboard::MenuItem;

struct RecordedEvents : MainViewEvents {
    void menuChosen(MenuItem item) override { chosen.push_back(item); }
    void scanTick() override { ++ticks; }
    void fieldTick() override { ++fieldTicks; }
    void windowClosing() override { ++closings; }
    std::string serverDialogConfirmed(const std::string &port) override {
        confirmed.push_back("server" + port);
        return port == "1001" ? std::string() : "bad port";
    }
    std::string clientDialogConfirmed(const std::string &ip, const std::string &port) override {
        confirmed.push_back("client" + ip + ":" + port);
        return {};
    }
    std::string webDialogConfirmed(bool enabled, const std::string &address,
                                   const std::string &port) override {
        confirmed.push_back(std::string("web") + (enabled ? "on" : "off") + address + ":" + port);
        return {};
    }
    std::vector<std::string> confirmed;
    std::vector<MenuItem> chosen;
    int ticks = 0;
    int fieldTicks = 0;
    int closings = 0;
};

using testing::runUntil;

// Shows `window` and waits until it is on the screen, framed where it was put.
bool showOnScreen(MainWindow &window) {
    window.show();
    return runUntil([&] { return window.settled(); });
}

QStringList captionsOf(const QMenu *menu) {
    QStringList captions;
    for (const QAction *action : menu->actions()) {
        captions << (action->isSeparator() ? QStringLiteral("|") : action->text());
    }
    return captions;
}

TEST(MainWindow, BarsStartWithTheirDesignRangeAndLampsUnlit) {
    MainWindow window(0);
    EXPECT_EQ(window.bar(3)->maximum(), 10000);
    EXPECT_EQ(window.bar(1)->maximum(), 100);
    EXPECT_FALSE(window.lamp(7)->isEnabled());
}

// Each element of the screen goes to the element of the design that shows it, and a change of
// any one part (a colour alone, a bar's range, a menu's state, a marker going off) is drawn.
TEST(MainWindow, DrawsEachElementOfTheScreenWhereTheDesignPutsIt) {
    MainWindow window(0);
    dashboard::Screen screen;
    screen.throttle = "throttle";
    screen.brake = "brake";
    screen.ambientTemp = "ambient";
    screen.trackTemp = "track";
    screen.waterCaption = "water";
    screen.oilCaption = "oil";
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        for (std::size_t zone = 0; zone < 3; ++zone) {
            screen.tyreTemp[wheel][zone].text = std::to_string(wheel * 10 + zone);
        }
    }
    screen.tractionControl = {"TC", true};
    screen.throttleBar.value = 70;
    screen.brakeBar.value = 20;
    screen.wheelLocked[2] = true;
    window.apply(screen);
    const std::pair<int, const char *> labels[] = {
        {35, "throttle"}, {36, "brake"}, {41, "ambient"}, {42, "track"}, {19, "water"},
        {20, "oil"},      {2, "0"},      {4, "2"},        {6, "11"},     {13, "32"}};
    for (const auto &[number, text] : labels) {
        EXPECT_EQ(window.label(number)->text(), QString::fromLatin1(text)) << number;
    }
    EXPECT_TRUE(window.lamp(4)->isEnabled());
    EXPECT_FALSE(window.lamp(5)->isEnabled());
    EXPECT_EQ(window.bar(1)->value(), 70);
    EXPECT_EQ(window.bar(2)->value(), 20);
    EXPECT_TRUE(window.marker(3)->isVisibleTo(window.centralWidget()));

    screen.tyreTemp[0][0].background = dashboard::rgb(255, 128, 128);
    screen.rpm.maximum = 8000;
    screen.menu(MenuItem::VeureDadesServidor).enabled = false;
    screen.wheelLocked[2] = false;
    window.apply(screen);
    testing::waitUntilDrawn(window);
    EXPECT_EQ(window.label(2)->palette().color(QPalette::Window), QColor(255, 128, 128));
    EXPECT_EQ(window.bar(3)->maximum(), 8000);
    EXPECT_FALSE(window.menuAction(MenuItem::VeureDadesServidor)->isEnabled());
    EXPECT_FALSE(window.marker(3)->isVisibleTo(window.centralWidget()));
}

// A bar repaints when its fill covers other pixels or its text changes, not for every value,
// whichever way it fills.
TEST(BarGauge, RepaintsOnlyWhatTheEyeCanSee) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    };
    const struct {
        double value;
        double maximum;
        const char *text;
        int paints;
    } steps[] = {{50, 100, "", 1},     {50.2, 100, "", 0}, {49.8, 100, "", 0},
                 {60, 100, "", 1},     {60, 100, "60", 1}, {60.4, 100, "60", 0},
                 {60, 100.4, "60", 0}, {60, 50, "60", 1},  {60, 100, "60", 1},
                 {-5, 100, "60", 1},   {-9, 100, "60", 0}, {250, 100, "60", 1},
                 {300, 100, "60", 0}};
    for (const bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        BarGauge gauge(vertical, Qt::red);
        // 100 pixels inside the frame, along the fill.
        gauge.resize(vertical ? QSize(20, 102) : QSize(102, 20));
        gauge.setMaximum(100);
        gauge.show();
        QCoreApplication::processEvents();
        PaintCounter counter;
        gauge.installEventFilter(&counter);
        for (const auto &step : steps) {
            SCOPED_TRACE(step.value);
            counter.paints = 0;
            gauge.setMaximum(step.maximum);
            gauge.setValue(step.value);
            gauge.setText(QString::fromLatin1(step.text));
            QCoreApplication::processEvents();
            EXPECT_EQ(counter.paints, step.paints);
        }
    }
}

TEST(MainWindow, HasTheFullMenuBar) {
    MainWindow window(0);
    const QList<QAction *> top = window.menuBar()->actions();
    ASSERT_EQ(top.size(), 5);
    EXPECT_EQ(top[0], window.menuAction(MenuItem::Archivo));
    EXPECT_EQ(top[4], window.menuAction(MenuItem::AcercaDe));
    EXPECT_EQ(top[4]->menu(), nullptr);
    EXPECT_EQ(captionsOf(top[1]->menu()),
              (QStringList{QStringLiteral("Español"), QStringLiteral("Català"),
                           QStringLiteral("Asturianu"), QStringLiteral("English"),
                           QStringLiteral("Français"), QStringLiteral("Deutsch"),
                           QStringLiteral("Dutch"), QStringLiteral("Italiano"), QStringLiteral("|"),
                           QString(), QStringLiteral("|"), QString(), QString(),
                           QStringLiteral("|"), QString(), QString(), QString(), QString()}));
    EXPECT_TRUE(window.menuAction(MenuItem::Radio)->isCheckable());
    // The overlay's submenu: showing the tiles and locking them, each with its check mark.
    const QMenu *overlay = window.menuAction(MenuItem::Superposicio)->menu();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->actions(),
              (QList<QAction *>{window.menuAction(MenuItem::SuperposicioVisible),
                                window.menuAction(MenuItem::SuperposicioBloquejada)}));
    EXPECT_TRUE(window.menuAction(MenuItem::SuperposicioBloquejada)->isCheckable());
    EXPECT_EQ(
        captionsOf(top[2]->menu()),
        (QStringList{QStringLiteral("10 ms"), QStringLiteral("50 ms"), QStringLiteral("150 ms"),
                     QStringLiteral("500 ms"), QStringLiteral("1000 ms")}));
    EXPECT_EQ(top[3]->menu()->actions().size(), 7);
    EXPECT_TRUE(window.menuAction(MenuItem::VeureDadesServidor)->isCheckable());
    EXPECT_FALSE(window.menuAction(MenuItem::PanellWeb)->isCheckable());
    EXPECT_TRUE(top[3]->menu()->actions()[5]->isSeparator());
    EXPECT_TRUE(top[3]->menu()->actions()[3]->isSeparator());
}

// Samples faster than the screen: the first is drawn at once, the ones that follow within a
// refresh wait for it, and only the newest of them is drawn.
TEST(MainWindow, DrawsAtMostOncePerRefreshAndAlwaysTheNewest) {
    MainWindow window(0);
    window.show();
    dashboard::Screen screen;
    for (int sample = 1; sample <= 20; ++sample) {
        screen.trackName = "sample " + std::to_string(sample);
        screen.scanIntervalMs = 10 * sample;
        window.apply(screen);
        // The menus and the scan timer do not wait.
        EXPECT_EQ(window.scanTimer().interval(), 10 * sample);
    }
    EXPECT_EQ(window.drawCount(), 1);
    EXPECT_EQ(window.label(28)->text(), QStringLiteral("sample 1"));
    ASSERT_TRUE(window.drawingPending());
    // At most one refresh interval of delay, whatever the screen's rate.
    EXPECT_GT(window.drawTimer().interval(), 0);
    EXPECT_LE(window.drawTimer().interval(), 50);
    testing::waitUntilDrawn(window);
    EXPECT_EQ(window.drawCount(), 2);
    EXPECT_EQ(window.label(28)->text(), QStringLiteral("sample 20"));
    EXPECT_EQ(window.shown(), screen);
    // A screen that changes nothing draws nothing.
    window.apply(screen);
    EXPECT_FALSE(window.drawingPending());
    // Drawn at once, a pending screen is drawn once.
    screen.trackName = "now";
    window.apply(screen);
    ASSERT_TRUE(window.drawingPending());
    window.drawNow();
    EXPECT_FALSE(window.drawingPending());
    EXPECT_EQ(window.drawCount(), 3);
    EXPECT_EQ(window.label(28)->text(), QStringLiteral("now"));
}

TEST(MainWindow, ForwardsMenuChoicesAndLeavesCheckMarksToTheProgram) {
    MainWindow window(0);
    RecordedEvents events;
    window.setEvents(&events);
    dashboard::Screen screen;
    screen.menu(MenuItem::TS_500).checked = true;
    window.apply(screen);
    window.menuAction(MenuItem::TS_500)->trigger();
    window.menuAction(MenuItem::English)->trigger();
    window.menuAction(MenuItem::AcercaDe)->trigger();
    EXPECT_EQ(events.chosen,
              (std::vector{MenuItem::TS_500, MenuItem::English, MenuItem::AcercaDe}));
    EXPECT_TRUE(window.menuAction(MenuItem::TS_500)->isChecked());
    EXPECT_FALSE(window.menuAction(MenuItem::English)->isChecked());
}

TEST(MainWindow, AnIntervalOfZeroStopsTheTimer) {
    MainWindow window(0);
    dashboard::Screen screen;
    screen.scanIntervalMs = 50;
    window.apply(screen);
    EXPECT_TRUE(window.scanTimer().isActive());
    EXPECT_EQ(window.scanTimer().interval(), 50);
    window.stopScanTimer();
    EXPECT_FALSE(window.scanTimer().isActive());
    window.startScanTimer();
    EXPECT_TRUE(window.scanTimer().isActive());
    screen.scanIntervalMs = 0;
    window.apply(screen);
    EXPECT_FALSE(window.scanTimer().isActive());
    window.startScanTimer();
    EXPECT_FALSE(window.scanTimer().isActive());
}

TEST(MainWindow, TheFieldTimerTicksWhileItRuns) {
    MainWindow window(0);
    RecordedEvents events;
    window.setEvents(&events);
    EXPECT_FALSE(window.fieldTimer().isActive());
    window.runFieldTimer(true);
    EXPECT_EQ(window.fieldTimer().interval(), telemetry::kFieldEveryMs);
    // Asked to run on every scan tick, it keeps its pace.
    EXPECT_TRUE(runUntil([&] {
        window.runFieldTimer(true);
        return events.fieldTicks >= 2;
    }));
    window.runFieldTimer(false);
    EXPECT_FALSE(window.fieldTimer().isActive());
}

TEST(ConnectionDialogs, OpenOnceShowTheirTextsAndCloseOnlyWhenAccepted) {
    MainWindow window(0);
    RecordedEvents events;
    window.setEvents(&events);
    i18n::Texts texts;
    texts.TextServerDialogTitle = "Server Data";
    texts.TextClientDialogTitle = "Client data";
    texts.TextPortCaption = "Port";
    texts.TextOK = "OK";
    texts.TextPortHelp = "Choose <b>1024</b> or more";
    window.openServerDialog(texts, " 1001");
    ConnectionDialog *dialog = window.serverDialog();
    ASSERT_NE(dialog, nullptr);
    window.openServerDialog(texts, " 2002");
    EXPECT_EQ(window.serverDialog(), dialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Server Data"));
    EXPECT_EQ(dialog->portBox()->text(), QStringLiteral(" 1001"));
    EXPECT_EQ(dialog->addressBox(), nullptr);
    EXPECT_FALSE(dialog->isModal());
    const auto *help = dialog->findChild<QLabel *>(QStringLiteral("PortHelp"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->text(), QStringLiteral("Choose <b>1024</b> or more"));

    dialog->portBox()->setText(QStringLiteral("99999"));
    dialog->confirm();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->findChild<QMessageBox *>(), nullptr);
    dialog->portBox()->setText(QStringLiteral("1001"));
    dialog->confirm();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.serverDialog(), nullptr);
    EXPECT_EQ(events.confirmed, (std::vector<std::string>{"server99999", "server1001"}));

    window.openClientDialog(texts, "192.168.000.002", " 1001");
    ASSERT_NE(window.clientDialog(), nullptr);
    EXPECT_EQ(window.clientDialog()->findChild<QLabel *>(QStringLiteral("PortHelp")), nullptr);
    EXPECT_EQ(window.clientDialog()->addressBox()->text(), QStringLiteral("192.168.000.002"));
    window.clientDialog()->confirm();
    EXPECT_EQ(events.confirmed.back(), "client192.168.000.002: 1001");
}

// Full screen is the screen, laid out like maximised, and leaving it gives the window back
// the size it had; nor may a normal window grow beyond its screen, whichever edge is dragged.
TEST(MainWindowOnAScreen, NeverGrowsBeyondTheScreenItIsOn) {
    MainWindow window(0);
    ASSERT_TRUE(showOnScreen(window));
    const QRect screen = window.screen()->geometry();
    const QRect room = window.screen()->availableGeometry();
    const QSize normal = window.size();
    const QLabel *gear = window.label(14);
    const QRect design = gear->geometry();
    const QSize inner = window.centralWidget()->size();

    window.showFullScreen();
    ASSERT_TRUE(runUntil([&] { return window.geometry() == screen; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.geometry(), screen);
    const QSize full = window.centralWidget()->size();
    EXPECT_NEAR(gear->geometry().left(), design.left() * full.width() / inner.width(), 3);
    EXPECT_NEAR(gear->geometry().top(), design.top() * full.height() / inner.height(), 3);

    window.showNormal();
    ASSERT_TRUE(runUntil([&] { return !window.isFullScreen() && window.size() == normal; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), normal);

    struct Drag {
        const char *edge;
        QSize size;
    };
    for (const Drag drag : {Drag{"right", {screen.width() + 300, normal.height()}},
                            Drag{"bottom", {normal.width(), screen.height() + 300}}}) {
        SCOPED_TRACE(drag.edge);
        window.resize(drag.size);
        QCoreApplication::processEvents();
        EXPECT_TRUE(room.contains(QRect(room.topLeft(), window.frameGeometry().size())))
            << window.frameGeometry().width() << "x" << window.frameGeometry().height();
        // With its shape.
        EXPECT_NEAR(double(window.width()) / window.height(),
                    double(normal.width()) / normal.height(), 0.01);
    }
}

// A window manager that places a window by its inner area puts the frame a title bar higher
// than asked (here as if the window existed before it was placed): once the window is on the
// screen its frame goes where it was saved from, and until then the saved position is what
// the window reports, so that no start moves it.
TEST(MainWindowOnAScreen, SavesAndRestoresThePositionOfItsFrame) {
    MainWindow window(0);
    const double factor = window.twipsPerPixel();
    const double left = std::round(90 * factor);
    const double top = std::round(60 * factor);
    EXPECT_EQ(window.load("/nonexistent", left, top), (std::pair{left, top}));
    const QPoint saved(90, 60);
    window.show();
    window.setGeometry(QRect(saved, window.size()));
    EXPECT_EQ(window.windowLeftTwips(), left);
    EXPECT_EQ(window.windowTopTwips(), top);
    ASSERT_TRUE(runUntil([&] { return window.settled(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.frameGeometry().topLeft(), saved);
    EXPECT_NE(window.geometry().topLeft(), saved);
    EXPECT_EQ(window.windowLeftTwips(), left);
    EXPECT_EQ(window.windowTopTwips(), top);
    // Moved from there, it reports where its frame is.
    window.move(120, 80);
    EXPECT_TRUE(runUntil([&] {
        return window.windowLeftTwips() == std::round(120 * factor) &&
               window.windowTopTwips() == std::round(80 * factor);
    }));
}

// A message asked for before the window is on the screen opens over it once it is, rather
// than behind it; a window that goes with the main one (the replay bar) opens beside it.
TEST(MainWindowOnAScreen, MessagesAndTheReplayBarOpenWhereTheyAreSeen) {
    MainWindow window(0);
    window.load("/nonexistent", 0, 0);
    window.showListenFailure("Cannot listen on port 1001");
    auto *box = window.findChild<QMessageBox *>();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isVisible());
    QWidget bar(nullptr, Qt::Window);
    bar.resize(420, 40);
    window.keepBeside(&bar);
    ASSERT_TRUE(showOnScreen(window));
    bar.show();
    ASSERT_TRUE(runUntil([&] { return box->isVisible() && bar.isVisible(); }));
    ASSERT_NE(box->windowHandle(), nullptr);
    EXPECT_EQ(box->windowHandle()->transientParent(), window.windowHandle());
    EXPECT_TRUE(window.frameGeometry().contains(box->frameGeometry().center()));
    const QRect room = window.screen()->availableGeometry();
    EXPECT_FALSE(bar.frameGeometry().intersects(window.frameGeometry()));
    EXPECT_TRUE(room.contains(bar.frameGeometry()));
}

// While the values are old the window dims them as the page does, with the notice over them;
// the link's own status is not old and stays as it is.
TEST(MainWindow, DimsOldValuesUnderTheNotice) {
    MainWindow window(0);
    window.show();
    dashboard::Screen screen;
    screen.linkStatus = "CONECTANDO";
    window.apply(screen);
    testing::waitUntilDrawn(window);
    const QLabel *box = window.label(2);
    const QPoint middle = box->geometry().center();
    const auto red = [&] {
        return QColor(window.centralWidget()->grab().toImage().pixel(middle)).red();
    };
    EXPECT_EQ(red(), 255);
    EXPECT_FALSE(window.oldDataNotice()->isVisible());

    screen.oldDataNotice = "NO NEW DATA";
    window.apply(screen);
    testing::waitUntilDrawn(window);
    EXPECT_TRUE(window.oldDataNotice()->isVisible());
    EXPECT_EQ(window.oldDataNotice()->text(), QStringLiteral("NO NEW DATA"));
    EXPECT_NEAR(red(), 89, 2);
    // Across the dashboard, a little above its middle.
    const QRect notice = window.oldDataNotice()->geometry();
    const QRect canvas = window.centralWidget()->rect();
    EXPECT_EQ(notice.width(), canvas.width());
    EXPECT_TRUE(notice.contains(canvas.center().x(), canvas.height() * 2 / 5));
    EXPECT_FALSE(notice.contains(canvas.center()));
    EXPECT_GE(window.oldDataNotice()->font().pixelSize(), 30);
    // The link's status lies above what dims the rest.
    const QObjectList stack = window.centralWidget()->children();
    EXPECT_GT(stack.indexOf(window.label(15)), stack.indexOf(window.oldDataCover()));
    EXPECT_LT(stack.indexOf(box), stack.indexOf(window.oldDataCover()));

    screen.oldDataNotice.clear();
    window.apply(screen);
    testing::waitUntilDrawn(window);
    EXPECT_FALSE(window.oldDataNotice()->isVisible());
    EXPECT_EQ(red(), 255);
}

// No text is drawn below 9 pixels, at the design size or the smallest: one too long for its
// room at that size ends with "…".
TEST(MainWindow, DrawsNoTextBelowNinePixels) {
    MainWindow window(0);
    ASSERT_TRUE(showOnScreen(window));
    dashboard::Screen screen;
    screen.position = {"Pos 12 - 63:Wolfgang Maximilian Wehr", true};
    screen.carName = "Lince Turbo 16V Evolution Competizione Stradale";
    screen.trackName = "Autodromo Internazionale del Mugello Circuito";
    screen.tractionControl = {"TC ALTO", true};
    window.apply(screen);
    testing::waitUntilDrawn(window);
    const QSize design = window.size();
    for (const QSize size : {design, window.minimumSize()}) {
        SCOPED_TRACE(size.width());
        window.resize(size);
        QCoreApplication::processEvents();
        for (const dashboard::DesignElement &element : dashboard::designLayout()) {
            if (element.kind == dashboard::ElementKind::Label) {
                const QLabel *label = window.label(element.number);
                EXPECT_GE(label->font().pixelSize(), 9) << "Label" << element.number;
                EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                          label->contentsRect().width())
                    << "Label" << element.number;
            } else if (element.kind == dashboard::ElementKind::Lamp) {
                const QPushButton *lamp = window.lamp(element.number);
                EXPECT_GE(lamp->font().pixelSize(), 9) << "lamp " << element.number;
                EXPECT_LE(QFontMetrics(lamp->font()).horizontalAdvance(lamp->text()),
                          lampTextBox(lamp->size()).width())
                    << "lamp " << element.number;
            }
        }
        const QString caption = window.lamp(3)->text();
        EXPECT_TRUE(caption.startsWith(QStringLiteral("Pos 12 - 63:Wol"))) << caption.toStdString();
    }
    // At the smallest size the name no longer fits whole.
    EXPECT_TRUE(window.lamp(3)->text().endsWith(QChar(0x2026)));
}

} // namespace
} // namespace ostrelo::windows
