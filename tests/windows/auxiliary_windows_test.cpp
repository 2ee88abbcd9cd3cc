// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/language_table.h"
#include "support/temp_dir.h"
#include "windows/about_window.h"
#include "windows/admin_window.h"
#include "windows/debug_window.h"
#include "windows/engineer_window.h"
#include "windows/fitted_text.h"
#include "windows/main_window.h"
#include "windows/replay_bar.h"
#include "windows/standings_window.h"
#include "windows/web_dialog.h"

#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ostrelo::windows {
namespace {

const i18n::Texts &texts(const char *language) {
    return i18n::findLanguage(language)->texts;
}

void click(QWidget *widget) {
    const QPointF centre = QRectF(widget->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

// Catches the pages the program asks the desktop to open.
class PageCatcher : public QObject {
    Q_OBJECT

public:
    PageCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~PageCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    std::vector<QUrl> pages;

public Q_SLOTS:
    void open(const QUrl &url) { pages.push_back(url); }
};

TEST(AboutWindow, ShowsTheTextsOfTheLanguageItOpensIn) {
    MainWindow window(0);
    window.openAbout(texts("English"));
    AboutWindow *about = window.aboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Ostrelo"));
    EXPECT_EQ(about->descriptionLabel()->text().toStdString(),
              texts("English").TextAboutDescription);
    EXPECT_EQ(about->logo()->pixmap().size(), QSize(280, 142));
    EXPECT_FALSE(about->isModal());
    // Opening it again only brings it forward, in the language it has.
    window.openAbout(texts("Deutsch"));
    EXPECT_EQ(window.aboutWindow(), about);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Ostrelo"));

    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window.openAbout(texts("Deutsch"));
    EXPECT_EQ(window.aboutWindow()->windowTitle(), QStringLiteral("Über Ostrelo"));
}

TEST(AboutWindow, TheLogosOpenTheHomePageEveryTime) {
    PageCatcher catcher;
    MainWindow window(0);
    window.openAbout(texts("Español"));
    click(window.aboutWindow()->logo());
    click(window.aboutWindow()->logo());
    click(window.picture(dashboard::Picture::Logo));
    ASSERT_EQ(catcher.pages.size(), 3u);
    EXPECT_EQ(catcher.pages[0], QUrl(QString::fromLatin1(kProjectHomePage)));
    EXPECT_TRUE(window.aboutWindow()->isVisible());
}

TEST(AdminWindow, ChoosesTheSlotModeAndMovesTheForcedSlotWithinRange) {
    std::vector<int> modes;
    std::vector<int> forcedSlots;
    AdminWindow admin(
        15, [&modes](std::int16_t mode) { modes.push_back(mode); },
        [&forcedSlots](std::int16_t slot) { forcedSlots.push_back(slot); });
    EXPECT_EQ(admin.windowTitle(), QStringLiteral("Administrar Ostrelo"));
    EXPECT_TRUE(admin.option(0)->isChecked());
    EXPECT_EQ(admin.option(2)->text(), QStringLiteral("Forçat"));
    // One size for the three options, none below 9 pixels; indicator and caption never cut
    // ("Monito"), within their frame, and the frame clear of the slot box.
    const QWidget *frame = admin.findChild<QWidget *>(QStringLiteral("Frame1"));
    ASSERT_NE(frame, nullptr);
    for (int index = 0; index < 3; ++index) {
        const QRadioButton *option = admin.option(index);
        EXPECT_EQ(option->fontInfo().pixelSize(), admin.option(0)->fontInfo().pixelSize());
        EXPECT_GE(option->fontInfo().pixelSize(), 9);
        EXPECT_LE(option->sizeHint().width(), option->width()) << index;
        EXPECT_TRUE(frame->rect().contains(option->geometry())) << index;
    }
    EXPECT_FALSE(frame->geometry().intersects(admin.slotBox()->geometry()));
    EXPECT_TRUE(
        admin.rect().contains(admin.findChild<QWidget *>(QStringLiteral("Command2"))->geometry()));
    admin.option(1)->click();
    admin.option(2)->click();
    EXPECT_EQ(modes, (std::vector{1, 2}));
    admin.stepSlot(-1);
    admin.stepSlot(1);
    admin.stepSlot(70);
    EXPECT_EQ(forcedSlots, (std::vector{0, 1, 63}));
    EXPECT_EQ(admin.slotBox()->text(), QStringLiteral("63"));
}

TEST(DebugWindow, ShowsErrorsOnlyWhileDebugging) {
    DebugWindow debug(15);
    EXPECT_EQ(debug.windowTitle(), QStringLiteral("Depurar"));
    EXPECT_EQ(debug.line(1)->text(), QStringLiteral("."));
    EXPECT_EQ(debug.line(21)->text(), QString());
    bool depurar = false;
    const core::ErrorReporter::Sink sink = errorLineSink(depurar, debug);
    sink({"Lectures", "ToInteger16", "Overflow"});
    EXPECT_EQ(debug.line(21)->text(), QString());
    depurar = true;
    sink({"Lectures", "ToInteger16", "Overflow"});
    EXPECT_EQ(debug.line(21)->text(),
              QStringLiteral("ToInteger16 has generated an error in the module Lectures"));
    // Lines never written keep their label.
    dashboard::DebugLines lines;
    lines.line[20] = " 3";
    debug.apply(lines);
    EXPECT_EQ(debug.line(20)->text(), QStringLiteral(" 3"));
    EXPECT_EQ(debug.line(1)->text(), QStringLiteral("."));
    lines.line[1] = "Ultima Volta:  83.456";
    debug.apply(lines);
    EXPECT_EQ(debug.line(1)->text(), QStringLiteral("Ultima Volta:  83.456"));
}

// The smallest GIF picture there is: one white pixel.
const char kOnePixelGif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                            "!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                            "\x02\x02"
                            "D\x01\x00;";

TEST(WebDialog, ShowsTheAddressWithItsCodeAndHandsBackTheChoices) {
    const i18n::Texts &texts = i18n::findLanguage("English")->texts;
    std::vector<std::string> confirmed;
    const auto confirm = [&](bool on, const std::string &address, const std::string &port) {
        confirmed.push_back((on ? "on " : "off ") + address + ":" + port);
        return std::string();
    };
    const std::string url = "http://192.168.1.20:8080/";
    auto *running = new WebDialog(texts, true, "0.0.0.0", "8080", url, confirm, nullptr);
    EXPECT_TRUE(running->urlLabel()->text().endsWith(QString::fromStdString(url)));
    EXPECT_EQ(running->addressBox()->text(), QString());
    ASSERT_EQ(running->codeLabels().size(), 1u);
    ASSERT_FALSE(running->codeLabels()[0]->pixmap().isNull());
    // 25 modules for this address at level M, a quiet zone of 4 on each side, 4 pixels each.
    EXPECT_EQ(running->codeLabels()[0]->pixmap().width(), (25 + 8) * 4);
    EXPECT_FALSE(running->thisComputerOnlyLabel()->isVisibleTo(running));
    running->enabledBox()->setChecked(false);
    running->portBox()->setText(QStringLiteral(" 9000 "));
    running->confirm();
    EXPECT_EQ(confirmed, std::vector<std::string>{"off :9000"});

    // Off with the address the settings start with: turned on, it serves the network.
    auto *off = new WebDialog(texts, false, "127.0.0.1", "8080", "", confirm, nullptr);
    EXPECT_EQ(off->urlLabel()->text(), QStringLiteral("The web dashboard is off."));
    EXPECT_TRUE(off->codeLabels().empty());
    EXPECT_EQ(off->addressBox()->text(), QString());
    off->enabledBox()->setChecked(true);
    off->confirm();
    EXPECT_EQ(confirmed.back(), "on :8080");
    const QImage code = qrCode(url, 1);
    EXPECT_EQ(code.pixelColor(4, 4), QColor(Qt::black)); // the finder pattern's corner
    EXPECT_EQ(code.pixelColor(0, 0), QColor(Qt::white));

    // Several network addresses: a code for each; on loopback, the dialog says who is served.
    const auto lines = [](const WebDialog &dialog) {
        return dialog.urlLabel()->text().split(QLatin1Char('\n')).mid(2);
    };
    WebDialog two(texts, true, "", "8080", "http://192.168.1.20:8080/ http://10.0.0.5:8080/",
                  confirm, nullptr);
    EXPECT_EQ(lines(two), (QStringList{QStringLiteral("http://192.168.1.20:8080/"),
                                       QStringLiteral("http://10.0.0.5:8080/")}));
    ASSERT_EQ(two.codeLabels().size(), 2u);
    EXPECT_EQ(two.codeLabels()[1]->toolTip(), QStringLiteral("http://10.0.0.5:8080/"));
    EXPECT_FALSE(two.thisComputerOnlyLabel()->isVisibleTo(&two));
    for (const char *language : {"Español", "Deutsch"}) {
        SCOPED_TRACE(language);
        const i18n::Texts &own = i18n::findLanguage(language)->texts;
        WebDialog local(own, true, "127.0.0.1", "8080", "http://127.0.0.1:8080/", confirm, nullptr);
        EXPECT_EQ(local.addressBox()->text(), QStringLiteral("127.0.0.1"));
        ASSERT_EQ(local.codeLabels().size(), 1u);
        EXPECT_TRUE(local.thisComputerOnlyLabel()->isVisibleTo(&local));
        EXPECT_EQ(local.thisComputerOnlyLabel()->text().toStdString(), own.TextWebThisComputerOnly);
    }

    // The main window shows the address on the line below the lap times.
    MainWindow window(0);
    dashboard::Screen screen;
    screen.webAddress = url;
    window.apply(screen);
    EXPECT_EQ(window.label(21)->text().toStdString(), url);
}

TEST(EngineerWindow, DrawsTheReportAndHandsBackTheRaceLength) {
    EngineerWindow window(texts("English"), 15);
    std::vector<engineer::RaceLength> lengths;
    window.onRaceLength = [&](const engineer::RaceLength &length) { lengths.push_back(length); };
    engineer::EngineerReport report;
    report.fuelPerLap = "Fuel per lap: 2.50 L";
    report.problem = "The lap history cannot be used.";
    report.columns = {"Lap", "Time"};
    report.rows = {{"1", "1:30.000"}, {"2", "-"}};
    report.lapNumbers = {1, 2};
    report.lapTimes = {90, 0};
    report.fuelUsed = {2.5, 2.4};
    report.tread = {std::vector<double>{80, 81}, {80, 81}, {80, 81}, {80, 81}};
    report.best = 89;
    window.apply(report);
    EXPECT_EQ(window.line(0)->text(), QStringLiteral("Fuel per lap: 2.50 L"));
    EXPECT_EQ(window.line(5)->text(), QStringLiteral("The lap history cannot be used."));
    ASSERT_EQ(window.table()->rowCount(), 2);
    EXPECT_EQ(window.table()->item(1, 1)->text(), QStringLiteral("-"));
    // The lap times leave out the lap without one, beside the personal best's line.
    const QList<QAbstractSeries *> times = window.chart(0)->series();
    ASSERT_EQ(times.size(), 2);
    EXPECT_EQ(static_cast<QLineSeries *>(times[0])->count(), 1);
    EXPECT_EQ(static_cast<QLineSeries *>(times[1])->at(0).y(), 89);
    EXPECT_EQ(window.chart(2)->series().size(), 4);

    // Another language: the window's own texts follow.
    window.setTexts(texts("Deutsch"));
    EXPECT_EQ(window.windowTitle().toStdString(), texts("Deutsch").TextEngineerTitle);
    EXPECT_EQ(window.lengthKind()->itemText(1).toStdString(), texts("Deutsch").TextLapsUnit);

    window.lengthAmount()->setValue(20);
    window.lengthKind()->setCurrentIndex(1);
    ASSERT_FALSE(lengths.empty());
    EXPECT_EQ(lengths.back().kind, engineer::RaceLength::Kind::Laps);
    EXPECT_EQ(lengths.back().amount, 20);
}

// The tank box shows the car's given capacity in the units in force and hands back litres.
TEST(EngineerWindow, HandsBackTheTankCapacityInLitres) {
    EngineerWindow window(texts("English"), 15);
    std::vector<double> given;
    window.onTankCapacity = [&](double litres) { given.push_back(litres); };
    engineer::EngineerReport report;
    report.tank = "Tank capacity: 15.00 G";
    report.tankGiven = 15;
    report.units = core::Units::Imperial;
    window.apply(report);
    EXPECT_EQ(window.line(6)->text(), QStringLiteral("Tank capacity: 15.00 G"));
    EXPECT_EQ(window.tankBox()->value(), 15);
    EXPECT_EQ(window.tankBox()->suffix(), QStringLiteral(" G"));
    EXPECT_TRUE(given.empty()) << "drawing hands nothing back";

    window.tankBox()->setValue(10);
    ASSERT_EQ(given.size(), 1u);
    EXPECT_NEAR(given[0], 37.854, 1e-3);
    window.tankBox()->setValue(0);
    EXPECT_EQ(given.back(), 0);
    EXPECT_EQ(window.tankBox()->text(), QStringLiteral("learned from refuels"));

    // Another car, in litres: the box follows it.
    report.tankGiven = 60;
    report.units = core::Units::Metric;
    window.apply(report);
    EXPECT_EQ(window.tankBox()->value(), 60);
    EXPECT_EQ(window.tankBox()->suffix(), QStringLiteral(" L"));
    EXPECT_EQ(given.size(), 2u);
}

// The fuel plan and the radio as the program has them; what the user changes goes back whole.
TEST(EngineerWindow, ShowsAndHandsBackThePlanAndTheRadio) {
    EngineerWindow window(texts("English"), 15);
    std::vector<engineer::FuelPlan> plans;
    std::vector<radio::RadioSettings> radios;
    window.onFuelPlan = [&](const engineer::FuelPlan &plan) { plans.push_back(plan); };
    window.onRadio = [&](const radio::RadioSettings &settings) { radios.push_back(settings); };
    radio::RadioSettings settings;
    settings.enabled = true;
    settings.volume = 35;
    radio::Call box;
    box.kind = radio::CallKind::BoxThisLap;
    box.text = "Box this lap";
    box.timeMs = QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)).toMSecsSinceEpoch();
    window.applyRadio({2, true}, settings, {box}, "No speech engine");
    EXPECT_TRUE(plans.empty() && radios.empty()) << "drawing hands nothing back";
    EXPECT_EQ(window.reserveBox()->value(), 2);
    EXPECT_TRUE(window.highestBox()->isChecked());
    EXPECT_TRUE(window.radioBox()->isChecked());
    EXPECT_EQ(window.volumeSlider()->value(), 35);
    EXPECT_FALSE(window.kindBox(radio::CallKind::AgainstBest)->isChecked());
    EXPECT_TRUE(window.kindBox(radio::CallKind::PitLimiter)->isChecked());
    EXPECT_EQ(window.kindBox(radio::CallKind::PitLimiter)->text(), QStringLiteral("Pit limiter"));
    ASSERT_EQ(window.radioLines()->count(), 1);
    EXPECT_EQ(window.radioLines()->item(0)->text(), QStringLiteral("14:05:09  Box this lap"));
    EXPECT_EQ(window.noVoiceLine()->text(), QStringLiteral("No speech engine"));
    EXPECT_FALSE(window.noVoiceLine()->isHidden());

    window.reserveBox()->setValue(0);
    window.kindBox(radio::CallKind::AgainstBest)->setChecked(true);
    window.muteBox()->setChecked(true);
    ASSERT_EQ(plans.size(), 1u);
    EXPECT_EQ(plans[0], (engineer::FuelPlan{0, true}));
    ASSERT_EQ(radios.size(), 2u);
    EXPECT_TRUE(radios[0].kinds.contains(radio::CallKind::AgainstBest));
    EXPECT_EQ(radios[0].kinds.size(), radio::kCallKindCount);
    EXPECT_TRUE(radios[1].muted);
    EXPECT_TRUE(radios[1].enabled);
    EXPECT_EQ(radios[1].volume, 35);
    window.kindBox(radio::CallKind::PitLimiter)->setChecked(false);
    EXPECT_FALSE(radios.back().kinds.contains(radio::CallKind::PitLimiter));
}

TEST(StandingsWindow, DrawsTheTowerInTheLanguageInForce) {
    StandingsWindow window(15);
    std::vector<standings::TowerLine> lines = {
        {"1", "Joan Ribas", "Falcon RS 2.0", "12", "1:15.250", "1:16.000", "", "", false, true},
        {"2", "Marta Vidal", "Lince Turbo 16V", "12", "1:15.900", "1:15.900", "+1.250", "PITS",
         true, false},
        {"3", "Ines Prado", "Lince Turbo 16V", "10", "", "", "2 laps", "", false, false},
    };
    window.apply(texts("English"), lines);
    QTableWidget *table = window.table();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Standings"));
    ASSERT_EQ(table->columnCount(), 8);
    EXPECT_EQ(table->horizontalHeaderItem(6)->text(), QStringLiteral("Gap"));
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("Marta Vidal"));
    EXPECT_EQ(table->item(1, 6)->text(), QStringLiteral("+1.250"));
    EXPECT_EQ(table->item(1, 7)->text(), QStringLiteral("PITS"));
    EXPECT_EQ(table->item(2, 6)->text(), QStringLiteral("2 laps"));
    // The followed car stands out on its whole row; the fastest lap of the field in its cell.
    EXPECT_TRUE(table->item(1, 0)->font().bold());
    EXPECT_NE(table->item(1, 3)->background(), table->item(0, 3)->background());
    EXPECT_FALSE(table->item(0, 1)->font().bold());
    EXPECT_TRUE(table->item(0, 4)->font().bold());
    EXPECT_NE(table->item(0, 4)->foreground(), table->item(1, 4)->foreground());

    EXPECT_TRUE(table->item(1, 6)->textAlignment() & Qt::AlignRight);
    EXPECT_TRUE(table->item(1, 1)->textAlignment() & Qt::AlignLeft);

    // The same cars, one lap on: new times, and the fastest lap moves to the second car.
    lines[0].overallBest = false;
    lines[1].overallBest = true;
    lines[1].last = "1:14.500";
    window.apply(texts("English"), lines);
    EXPECT_EQ(table->item(1, 5)->text(), QStringLiteral("1:14.500"));
    EXPECT_EQ(table->item(0, 4)->foreground(), table->item(2, 4)->foreground());
    EXPECT_NE(table->item(1, 4)->foreground(), table->item(2, 4)->foreground());
    EXPECT_FALSE(table->item(0, 4)->font().bold());

    // A car leaves and the language changes: the table follows both.
    lines.pop_back();
    lines[1].followed = false;
    window.apply(texts("Deutsch"), lines);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Rangliste"));
    EXPECT_EQ(table->horizontalHeaderItem(6)->text(), QStringLiteral("Abstand"));
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_FALSE(table->item(1, 0)->font().bold());
    EXPECT_EQ(table->item(1, 3)->background(), table->item(0, 3)->background());
}

TEST(ReplayBar, ShowsWhereTheReplayIsAndHandsBackTheUsersChoices) {
    ReplayBar bar;
    std::vector<std::string> asked;
    bar.onPaused = [&](bool paused) { asked.push_back(paused ? "pause" : "play"); };
    bar.onSpeed = [&](double speed) { asked.push_back("x" + std::to_string(speed)); };
    bar.onSeek = [&](std::int64_t ms) { asked.push_back(std::to_string(ms)); };
    bar.show(3723000, 7200000, false, 1);
    EXPECT_EQ(bar.timeLabel()->text(), QStringLiteral("1:02:03 / 2:00:00"));
    EXPECT_EQ(bar.slider()->maximum(), 7200);
    bar.playButton()->click();
    bar.show(3723000, 7200000, true, 4);
    bar.playButton()->click();
    bar.speedBox()->setCurrentIndex(0);
    bar.slider()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(asked, (std::vector<std::string>{"pause", "play", "x0.250000", "7200000"}));
    // A speed the list does not offer (from the command line) joins it in its place, without
    // a word back; a click on the groove goes where it points.
    bar.show(0, 7200000, false, 4);
    bar.show(0, 7200000, false, 3);
    EXPECT_EQ(bar.slider()->style()->styleHint(QStyle::SH_Slider_AbsoluteSetButtons),
              Qt::LeftButton);
    EXPECT_EQ(bar.speedBox()->currentText(), QStringLiteral("×3"));
    EXPECT_EQ(bar.speedBox()->itemText(bar.speedBox()->currentIndex() + 1), QStringLiteral("×4"));
    EXPECT_EQ(asked.size(), 4u);
}

TEST(MainWindowPictures, LoadSkinFilesAndKeepThePictureOnFailure) {
    testing::TempDir dir;
    MainWindow window(0);
    QLabel *car = window.picture(dashboard::Picture::Car);
    EXPECT_EQ(car->pixmap().size(), QSize(261, 446));
    // Nothing in the folder: the built-in car, no background.
    window.load(dir.path().string(), 0, 0);
    EXPECT_EQ(car->pixmap().size(), QSize(261, 446));
    EXPECT_TRUE(window.picture(dashboard::Picture::Background)->pixmap().isNull());

    dir.write("CarSkin.gif", std::string(kOnePixelGif, sizeof kOnePixelGif - 1));
    QImage(64, 48, QImage::Format_RGB32).save(QString::fromStdString(dir.file("ostreloSkin.jpg")));
    window.load(dir.path().string(), 0, 0);
    EXPECT_EQ(car->pixmap().size(), QSize(1, 1));
    EXPECT_EQ(window.picture(dashboard::Picture::Background)->pixmap().size(), QSize(64, 48));

    dir.write("broken.png", "not a picture");
    EXPECT_FALSE(window.loadCarPicture(dir.file("broken.png")));
    EXPECT_FALSE(window.loadCarPicture(dir.file("missing.png")));
    EXPECT_EQ(car->pixmap().size(), QSize(1, 1));
}

TEST(MainWindowLayout, ScalesElementsAndFontsWithTheInnerArea) {
    MainWindow window(0);
    window.show();
    QLabel *gear = window.label(14);
    const QRect design = gear->geometry();
    const int designFont = gear->font().pixelSize();
    const QSize designSize = window.size();
    window.resize(designSize.width() * 11 / 10, designSize.height());
    QCoreApplication::processEvents();
    // The width drove the height, and every element grew with the inner area.
    EXPECT_NEAR(window.height(), designSize.height() * 1.1, 2);
    EXPECT_NEAR(gear->geometry().left(), design.left() * 1.1, 3);
    EXPECT_NEAR(gear->geometry().width(), design.width() * 1.1, 3);
    EXPECT_NEAR(gear->font().pixelSize(), designFont * 1.1, 2);

    // The window goes no smaller than the narrowest layout, which it still lays out.
    window.resize(designSize.width() * 2 / 3, designSize.height() * 2 / 3);
    QCoreApplication::processEvents();
    const double smallest = dashboard::kMinimumOuterWidth / window.twipsPerPixel();
    EXPECT_NEAR(window.width(), smallest, 1);
    EXPECT_NEAR(window.height(), smallest * designSize.height() / designSize.width(), 2);
    EXPECT_NEAR(gear->geometry().left(), design.left() * smallest / designSize.width(), 3);

    // Shown again, the window keeps the size it was given.
    window.resize(designSize.width() * 11 / 10, designSize.height() * 11 / 10);
    QCoreApplication::processEvents();
    const QSize large = window.size();
    window.hide();
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), large);
}

// A fitted size found for a text stands for the texts that differ from it in digits alone,
// when the font's digits are all as wide; letters stand only for themselves.
TEST(FitMemory, RemembersByTextAndDigitsByShape) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    const QFontMetrics metrics(font);
    ASSERT_EQ(metrics.horizontalAdvance(QLatin1Char('1')),
              metrics.horizontalAdvance(QLatin1Char('8')));
    FitMemory memory;
    EXPECT_EQ(memory.find(font, QStringLiteral("1:23.4")), 0);
    memory.remember(QStringLiteral("1:23.4"), 17);
    const std::pair<const char *, int> cases[] = {
        {"1:23.4", 17}, {"9:87.6", 17}, {"1:23,4", 0}, {"12:3.4", 0}, {"a:bc.d", 0}};
    for (const auto &[text, size] : cases) {
        EXPECT_EQ(memory.find(font, QString::fromLatin1(text)), size) << text;
    }
    memory.clear();
    EXPECT_EQ(memory.find(font, QStringLiteral("1:23.4")), 0);
    // Texts that keep changing in letters do not fill it without end.
    memory.remember(QStringLiteral("first"), 9);
    for (int i = 0; i < 600; ++i) {
        memory.remember(QStringLiteral("name %1").arg(QChar(u'a' + i % 26)).repeated(i / 26 + 1),
                        9);
    }
    EXPECT_EQ(memory.find(font, QStringLiteral("first")), 0);
}

TEST(MainWindowLayout, AFontShrinksOnlyAsFarAsItsBoxNeeds) {
    const QFont font(QStringLiteral("Roboto Condensed"));
    struct Case {
        const char *text;
        QSize box;
    };
    for (const Case c : {Case{"8", {500, 20}}, Case{"Llitrus ultima revolada", {120, 40}},
                         Case{"1:23.456", {400, 400}}}) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        const int size = fittingPixelSize(font, 40, text, c.box);
        QFont fitted = font;
        fitted.setPixelSize(size);
        EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(text), c.box.width());
        EXPECT_LE(QFontMetrics(fitted).height(), c.box.height());
        if (size < 40) {
            fitted.setPixelSize(size + 1);
            const QFontMetrics larger(fitted);
            EXPECT_TRUE(larger.horizontalAdvance(text) > c.box.width() ||
                        larger.height() > c.box.height());
        }
    }
}

TEST(MainWindowLayout, MaximisedScalesEachDirectionByItsOwnFactor) {
    MainWindow window(0);
    window.show();
    QLabel *gear = window.label(14);
    const QRect design = gear->geometry();
    const QSize inner = window.centralWidget()->size();
    window.showMaximized();
    QCoreApplication::processEvents();
    const QSize maximised = window.centralWidget()->size();
    ASSERT_NE(maximised, inner);
    const double scaleX = double(maximised.width()) / inner.width();
    const double scaleY = double(maximised.height()) / inner.height();
    EXPECT_NEAR(gear->geometry().left(), design.left() * scaleX, 3);
    EXPECT_NEAR(gear->geometry().top(), design.top() * scaleY, 3);
    EXPECT_NEAR(gear->geometry().height(), design.height() * scaleY, 3);
}

} // namespace
} // namespace ostrelo::windows

#include "auxiliary_windows_test.moc"
