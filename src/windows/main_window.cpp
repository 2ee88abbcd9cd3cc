// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/main_window.h"

#include "telemetry/standings.h"
#include "windows/bar_gauge.h"
#include "windows/clickable_label.h"
#include "windows/first_paint.h"
#include "windows/qt_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFont>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <cmath>
#include <optional>

namespace ostrelo::windows {
namespace {

using dashboard::DesignElement;
using dashboard::ElementKind;
using dashboard::MenuItem;
using dashboard::TwipRect;
using dashboard::TwipSize;

// The notice that the values are old lies across the dashboard, its middle at 40 % of the
// height and its font 8 % of the smaller side, as on the page.
constexpr double kNoticeMiddle = 0.4;
constexpr double kNoticeHeightTwips = 900;
constexpr double kNoticeFontShare = 0.08;
// Between the main window and a window that goes with it, in pixels.
constexpr int kCompanionGap = 8;

QColor toQColor(dashboard::Colour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

// The About entry is a menu without items: a plain action on the menu bar.
bool isMenuBarAction(MenuItem item) {
    return item == MenuItem::AcercaDe;
}

const char *kLampStyle =
    "QPushButton { background: #f0c020; color: black; border: 1px solid #806000;"
    " border-radius: 3px; }"
    "QPushButton:disabled { background: #303030; color: #707070;"
    " border: 1px solid #505050; }";

// Lies over the dashboard while its values are old: the background, drawn again over them at
// 65 %, leaves the values at the 35 % the page dims them to.
class DimCover : public QWidget {
public:
    DimCover(QColor background, const QLabel *picture, QWidget *parent)
        : QWidget(parent), m_background(background), m_picture(picture) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setOpacity(0.65);
        painter.fillRect(rect(), m_background);
        const QPixmap picture = m_picture->pixmap();
        if (!picture.isNull()) {
            painter.drawPixmap(m_picture->geometry(), picture);
        }
    }

private:
    QColor m_background;
    const QLabel *m_picture;
};

// The outer rectangle of `window` as the window system has it now: the widget's own record of
// its frame follows only its moves and resizes, and a window manager that frames a window
// without moving it leaves that record out of date.
QRect outerGeometry(const QWidget *window) {
    const QWindow *handle = window->windowHandle();
    return handle ? handle->frameGeometry() : window->frameGeometry();
}

TwipRect toTwips(const QRect &rect, double factor) {
    return {rect.x() * factor, rect.y() * factor, rect.width() * factor, rect.height() * factor};
}

// The screen's dots per inch when it reports a believable figure, else the logical ones.
double dotsPerInch(const QScreen *screen) {
    if (!screen) {
        return 96;
    }
    const double physical = screen->physicalDotsPerInchY();
    return physical >= 48 && physical <= 480 ? physical : screen->logicalDotsPerInchY();
}

} // namespace

MainWindow::MainWindow(dashboard::Colour background, QWidget *parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Ostrelo"));
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_events) {
            m_events->scanTick();
        }
    });
    m_fieldTimer.setInterval(telemetry::kFieldEveryMs);
    connect(&m_fieldTimer, &QTimer::timeout, this, [this] {
        if (m_events) {
            m_events->fieldTick();
        }
    });
    m_drawTimer.setTimerType(Qt::PreciseTimer);
    m_drawTimer.setSingleShot(true);
    connect(&m_drawTimer, &QTimer::timeout, this, &MainWindow::drawElements);
    buildMenus();
    buildElements(background);
}

MainWindow::~MainWindow() = default;

double MainWindow::twipsPerPixel() const {
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    return 1440.0 / dotsPerInch(s);
}

dashboard::TwipRect MainWindow::virtualDesktop() const {
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    return toTwips(s ? s->virtualGeometry() : QRect(), twipsPerPixel());
}

std::vector<dashboard::TwipRect> MainWindow::screenAreas() const {
    const double factor = twipsPerPixel();
    std::vector<TwipRect> areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary) {
        areas.push_back(toTwips(primary->availableGeometry(), factor));
    }
    for (const QScreen *other : QGuiApplication::screens()) {
        if (other != primary) {
            areas.push_back(toTwips(other->availableGeometry(), factor));
        }
    }
    return areas;
}

dashboard::FrameMargins MainWindow::frameMargins() const {
    const double factor = twipsPerPixel();
    const QWindow *handle = windowHandle();
    const QMargins frame = handle ? handle->frameMargins() : QMargins();
    return {frame.left() * factor, frame.top() * factor, frame.right() * factor,
            frame.bottom() * factor};
}

dashboard::TwipSize MainWindow::room() const {
    const QScreen *s = screen();
    if (!s) {
        return {};
    }
    const TwipRect inner =
        dashboard::innerRect(toTwips(s->availableGeometry(), twipsPerPixel()), frameMargins());
    return {inner.width, inner.height};
}

void MainWindow::buildMenus() {
    for (const dashboard::MenuLayoutEntry &entry : dashboard::menuLayout()) {
        QAction *action = nullptr;
        const bool topLevel = entry.menu == entry.item;
        if (topLevel) {
            if (isMenuBarAction(entry.item)) {
                action = menuBar()->addAction(QString());
            } else {
                action = menuBar()->addMenu(new QMenu(menuBar()));
            }
        } else {
            QMenu *menu = menuAction(entry.menu)->menu();
            if (entry.separatorBefore) {
                menu->addSeparator();
            }
            if (entry.submenu) {
                action = menu->addMenu(new QMenu(menu));
            } else {
                action = menu->addAction(QString::fromUtf8(entry.fixedCaption));
                action->setCheckable(entry.checkable);
            }
        }
        m_actions[static_cast<std::size_t>(entry.item)] = action;
        if ((topLevel && !isMenuBarAction(entry.item)) || entry.submenu) {
            continue;
        }
        const MenuItem item = entry.item;
        connect(action, &QAction::triggered, this, [this, action, item] {
            // The check marks belong to the program logic: undo the toggle Qt made.
            if (action->isCheckable()) {
                action->setChecked(!action->isChecked());
            }
            if (item == MenuItem::Salir) {
                close();
            } else if (m_events) {
                m_events->menuChosen(item);
            }
        });
    }
}

QWidget *MainWindow::createElement(const DesignElement &element, QWidget *canvas) {
    QFont font(QString::fromUtf8(element.fontFamily));
    font.setBold(element.bold);
    switch (element.kind) {
    case ElementKind::Image: {
        auto *image = new ClickableLabel(canvas);
        image->setScaledContents(true);
        m_pictures.at(static_cast<std::size_t>(element.number)) = image;
        if (element.number == static_cast<int>(dashboard::Picture::Logo)) {
            image->setPixmap(QPixmap(QStringLiteral(":/logo.png")));
            image->setCursor(Qt::PointingHandCursor);
            image->onClick = [] { OpenWeb(kProjectHomePage); };
        } else if (element.number == static_cast<int>(dashboard::Picture::Car)) {
            image->setPixmap(QPixmap(QStringLiteral(":/car.png")));
        }
        return image;
    }
    case ElementKind::Label: {
        auto *label = new FittedLabel(canvas);
        label->setFont(font);
        label->setAlignment((element.leftAligned ? Qt::AlignLeft : Qt::AlignHCenter) |
                            Qt::AlignVCenter);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText,
                         element.textColour ? toQColor(*element.textColour) : QColor(Qt::black));
        if (element.boxed) {
            label->setFrameShape(QFrame::Box);
            label->setAutoFillBackground(true);
            palette.setColor(QPalette::Window, QColor(Qt::white));
        }
        label->setPalette(palette);
        m_labels.at(static_cast<std::size_t>(element.number)) = label;
        return label;
    }
    case ElementKind::Lamp: {
        auto *lamp = new FittedButton(canvas);
        lamp->setFont(font);
        lamp->setFocusPolicy(Qt::NoFocus);
        lamp->setStyleSheet(QString::fromLatin1(kLampStyle));
        lamp->setEnabled(false);
        m_lamps.at(static_cast<std::size_t>(element.number)) = lamp;
        return lamp;
    }
    case ElementKind::Bar: {
        const QColor barColour =
            element.barColour ? toQColor(*element.barColour) : palette().color(QPalette::Highlight);
        auto *bar = new BarGauge(element.vertical, barColour, canvas);
        bar->setFont(font);
        QPalette palette = bar->palette();
        palette.setColor(QPalette::WindowText, toQColor(element.textColour.value_or(0)));
        bar->setPalette(palette);
        bar->setMaximum(element.number <= 2 ? 100 : 10000);
        m_bars.at(static_cast<std::size_t>(element.number)) = bar;
        return bar;
    }
    case ElementKind::Marker: {
        auto *marker = new QWidget(canvas);
        marker->setStyleSheet(
            QStringLiteral("background: #ff3030; border: 1px solid #ffb0b0; border-radius: 4px;"));
        marker->setAttribute(Qt::WA_StyledBackground);
        marker->hide();
        m_markers.at(static_cast<std::size_t>(element.number)) = marker;
        return marker;
    }
    }
    return nullptr;
}

void MainWindow::buildElements(dashboard::Colour background) {
    m_canvas = new QWidget(this);
    QPalette palette = m_canvas->palette();
    palette.setColor(QPalette::Window, toQColor(background));
    m_canvas->setPalette(palette);
    m_canvas->setAutoFillBackground(true);
    for (const DesignElement &element : dashboard::designLayout()) {
        if (QWidget *widget = createElement(element, m_canvas)) {
            m_elements.push_back({widget, &element});
        }
    }
    for (BarGauge *bar : m_bars) {
        if (bar) {
            bar->setBackground(toQColor(background));
        }
    }
    m_cover = new DimCover(toQColor(background), picture(dashboard::Picture::Background), m_canvas);
    m_cover->hide();
    m_notice = new FittedLabel(m_canvas);
    QFont noticeFont = m_notice->font();
    noticeFont.setBold(true);
    m_notice->setFont(noticeFont);
    m_notice->setAlignment(Qt::AlignCenter);
    QPalette noticePalette = m_notice->palette();
    noticePalette.setColor(QPalette::WindowText, QColor(0xff, 0x50, 0x50));
    m_notice->setPalette(noticePalette);
    m_notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_notice->hide();
    // What is not old stays above the cover: the link's status, the address browsers open and
    // the logo.
    for (QWidget *live : {static_cast<QWidget *>(label(15)), static_cast<QWidget *>(label(21)),
                          static_cast<QWidget *>(picture(dashboard::Picture::Logo)),
                          static_cast<QWidget *>(m_notice)}) {
        live->raise();
    }
    setCentralWidget(m_canvas);
    // The window opens with the design's inner area; its shape is kept from then on.
    const double factor = twipsPerPixel();
    m_canvas->resize(static_cast<int>(std::lround(dashboard::kDesignInnerWidth / factor)),
                     static_cast<int>(std::lround(dashboard::kDesignInnerHeight / factor)));
    resize(m_canvas->width(), m_canvas->height() + menuBar()->sizeHint().height());
    m_aspect = std::make_unique<dashboard::AspectRule>(width() * factor, height() * factor);
    layOut();
}

void MainWindow::layOut() {
    const double factor = twipsPerPixel();
    // Every element is placed by the canvas's size and the screen's density alone.
    if (m_laidOutFor == std::pair(m_canvas->size(), factor)) {
        return;
    }
    m_laidOutFor = {m_canvas->size(), factor};
    const double scaleX = m_canvas->width() * factor / dashboard::kDesignInnerWidth;
    const double scaleY = m_canvas->height() * factor / dashboard::kDesignInnerHeight;
    const double dpi = 1440.0 / factor;
    auto px = [factor](double twips) { return static_cast<int>(std::lround(twips / factor)); };
    for (const Element &element : m_elements) {
        const DesignElement &d = *element.design;
        element.widget->setGeometry(px(d.left * scaleX), px(d.top * scaleY), px(d.width * scaleX),
                                    px(d.height * scaleY));
        if (d.fontPoints > 0) {
            // Fonts follow the height, at the same physical size as the boxes around them;
            // a text wider than its box shrinks its font as far as it must.
            const int pixels =
                std::max(1, static_cast<int>(std::lround(d.fontPoints * dpi / 72 * scaleY)));
            if (d.kind == ElementKind::Label) {
                m_labels.at(static_cast<std::size_t>(d.number))->setDesignPixelSize(pixels);
            } else if (d.kind == ElementKind::Lamp) {
                m_lamps.at(static_cast<std::size_t>(d.number))->setDesignPixelSize(pixels);
            } else {
                QFont font = element.widget->font();
                font.setPixelSize(pixels);
                element.widget->setFont(font);
            }
        }
    }
    m_cover->setGeometry(m_canvas->rect());
    const int noticeHeight = px(kNoticeHeightTwips * scaleY);
    m_notice->setGeometry(
        0, px(kNoticeMiddle * dashboard::kDesignInnerHeight * scaleY) - noticeHeight / 2,
        m_canvas->width(), noticeHeight);
    m_notice->setDesignPixelSize(
        std::max(1, static_cast<int>(std::lround(
                        kNoticeFontShare * std::min(m_canvas->width(), m_canvas->height())))));
}

void MainWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (m_firstShow) {
        m_firstShow = false;
        fitInnerAreaToDesign();
        // Only once it is on the screen has the window manager framed it.
        onFirstPaint(this, [this] { settlePlacement(); });
    }
}

void MainWindow::settlePlacement() {
    const double factor = twipsPerPixel();
    const bool normal = windowState() == Qt::WindowNoState;
    const QRect frame = outerGeometry(this);
    if (m_placedAt && normal && frame.topLeft() != *m_placedAt) {
        // A window that existed before it was moved is placed by its inner area: its frame
        // would stand a title bar higher than where it was saved from.
        const TwipRect inner =
            dashboard::innerRect(toTwips(QRect(*m_placedAt, frame.size()), factor), frameMargins());
        setGeometry(static_cast<int>(std::lround(inner.left / factor)),
                    static_cast<int>(std::lround(inner.top / factor)), width(), height());
    }
    m_placedAt.reset();
    m_onScreen = true;
    if (normal) {
        // With its frame known, the window keeps to the room its screen has.
        const TwipSize fitted =
            dashboard::shrinkToFit({width() * factor, height() * factor}, room());
        const int fittedWidth = static_cast<int>(std::lround(fitted.width / factor));
        if (fittedWidth < width()) {
            resize(fittedWidth, height());
        }
    }
    placeCompanion();
    for (QMessageBox *box : {m_openFailure.data(), m_listenFailure.data()}) {
        if (box) {
            showMessage(box);
        }
    }
}

void MainWindow::keepBeside(QWidget *companion) {
    m_companion = companion;
    placeCompanion();
}

void MainWindow::placeCompanion() {
    if (!m_companion) {
        return;
    }
    const double factor = twipsPerPixel();
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) {
        return;
    }
    // A companion not framed yet takes the frame this window has.
    const QRect outer = outerGeometry(this);
    const QSize companion =
        m_companion->isVisible()
            ? outerGeometry(m_companion).size()
            : m_companion->size().expandedTo(m_companion->sizeHint()) + (outer.size() - size());
    const auto [left, top] = dashboard::companionPosition(
        toTwips(outer, factor), {companion.width() * factor, companion.height() * factor},
        toTwips(s->availableGeometry(), factor), kCompanionGap * factor);
    m_companion->move(static_cast<int>(std::lround(left / factor)),
                      static_cast<int>(std::lround(top / factor)));
}

void MainWindow::showMessage(QMessageBox *box) {
    // Opened before this window is on the screen, a message could end up behind it.
    if (m_onScreen) {
        box->show();
        box->raise();
    }
}

void MainWindow::fitInnerAreaToDesign() {
    // Only now do the menus carry their titles, and the menu bar its real height.
    const double factor = twipsPerPixel();
    const int innerWidth = static_cast<int>(std::lround(dashboard::kDesignInnerWidth / factor));
    const int innerHeight = static_cast<int>(std::lround(dashboard::kDesignInnerHeight / factor));
    const int outerHeight = innerHeight + menuBar()->sizeHint().height();
    m_aspect = std::make_unique<dashboard::AspectRule>(innerWidth * factor, outerHeight * factor);
    // Below the narrowest layout the elements would be cropped.
    setMinimumSize(static_cast<int>(std::ceil(dashboard::kMinimumOuterWidth / factor)),
                   static_cast<int>(std::ceil(dashboard::kMinimumOuterWidth /
                                              m_aspect->aspectRatio() / factor)));
    // A screen smaller than the design takes the window at the size it has room for.
    const TwipSize fitted =
        dashboard::shrinkToFit({innerWidth * factor, outerHeight * factor}, room());
    resize(static_cast<int>(std::lround(fitted.width / factor)),
           static_cast<int>(std::lround(fitted.height / factor)));
    layOut();
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    // The first show fits the window to the design and lays it out once.
    if (!m_aspect || !m_canvas || m_firstShow) {
        return;
    }
    // Full screen is laid out as maximised: the screen's shape, whatever the design's.
    const dashboard::WindowState state = isMinimized() ? dashboard::WindowState::Minimised
                                         : isMaximized() || isFullScreen()
                                             ? dashboard::WindowState::Maximised
                                             : dashboard::WindowState::Normal;
    const double factor = twipsPerPixel();
    const dashboard::ResizeDecision decision =
        m_aspect->resize(width() * factor, height() * factor, state, room());
    if (decision.newWidth || decision.newHeight) {
        const int newWidth = decision.newWidth
                                 ? static_cast<int>(std::lround(*decision.newWidth / factor))
                                 : width();
        const int newHeight = decision.newHeight
                                  ? static_cast<int>(std::lround(*decision.newHeight / factor))
                                  : height();
        // Whole pixels can differ from the twips asked for; asking again would never end.
        if (newWidth != width() || newHeight != height()) {
            resize(newWidth, newHeight);
        }
    }
    if (decision.layOut) {
        layOut();
    }
}

std::pair<double, double> MainWindow::load(const std::string &pictureFolder, double left,
                                           double top) {
    const QDir folder(QString::fromStdString(pictureFolder));
    loadCarPicture(folder.filePath(QStringLiteral("CarSkin.gif")).toStdString());
    QImageReader background(folder.filePath(QStringLiteral("ostreloSkin.jpg")));
    const QImage image = background.read();
    if (!image.isNull()) {
        picture(dashboard::Picture::Background)->setPixmap(QPixmap::fromImage(image));
    }
    const double factor = twipsPerPixel();
    const std::vector<TwipRect> screens = screenAreas();
    // The frame is not known before the window is shown: a title bar is allowed for.
    const auto [x, y] =
        dashboard::validatedPosition(left, top, width() * factor, height() * factor,
                                     dashboard::kTitleBarTwips, virtualDesktop(), screens);
    m_placedAt = QPoint(static_cast<int>(std::lround(x / factor)),
                        static_cast<int>(std::lround(y / factor)));
    // Moved before it exists, the window is placed by its frame.
    move(*m_placedAt);
    return {x, y};
}

bool MainWindow::loadCarPicture(const std::string &path) {
    QImageReader reader(QString::fromStdString(path));
    const QImage image = reader.read();
    if (image.isNull()) {
        return false;
    }
    picture(dashboard::Picture::Car)->setPixmap(QPixmap::fromImage(image));
    return true;
}

QLabel *MainWindow::label(int which) const {
    return m_labels.at(static_cast<std::size_t>(which));
}
QPushButton *MainWindow::lamp(int lamp) const {
    return m_lamps.at(static_cast<std::size_t>(lamp));
}
BarGauge *MainWindow::bar(int bar) const {
    return m_bars.at(static_cast<std::size_t>(bar));
}
QWidget *MainWindow::marker(int marker) const {
    return m_markers.at(static_cast<std::size_t>(marker));
}
QLabel *MainWindow::picture(dashboard::Picture which) const {
    return m_pictures.at(static_cast<std::size_t>(which));
}
QAction *MainWindow::menuAction(MenuItem item) const {
    return m_actions.at(static_cast<std::size_t>(item));
}

void MainWindow::drawElement(const Element &element, const dashboard::Screen &next) {
    const int number = element.design->number;
    switch (element.design->kind) {
    case ElementKind::Label: {
        const dashboard::LabelContent now = dashboard::labelContent(next, number);
        const dashboard::LabelContent was = dashboard::labelContent(m_drawn, number);
        FittedLabel *target = m_labels.at(static_cast<std::size_t>(number));
        if (*now.text != *was.text) {
            target->showText(toQString(*now.text));
        }
        // A new palette restyles the label: only on a real change of colour.
        if (now.background && *now.background != *was.background) {
            QPalette palette = target->palette();
            palette.setColor(QPalette::Window, toQColor(*now.background));
            target->setPalette(palette);
        }
        break;
    }
    case ElementKind::Lamp: {
        const dashboard::Lamp &now = dashboard::lampContent(next, number);
        const dashboard::Lamp &was = dashboard::lampContent(m_drawn, number);
        FittedButton *target = m_lamps.at(static_cast<std::size_t>(number));
        if (now.caption != was.caption) {
            target->showText(toQString(now.caption));
        }
        if (now.lit != was.lit) {
            target->setEnabled(now.lit);
        }
        break;
    }
    case ElementKind::Bar: {
        const dashboard::Bar &now = dashboard::barContent(next, number);
        const dashboard::Bar &was = dashboard::barContent(m_drawn, number);
        BarGauge *target = bar(number);
        if (now.maximum != was.maximum) {
            target->setMaximum(now.maximum);
        }
        if (now.value != was.value) {
            target->setValue(now.value);
        }
        if (now.text != was.text) {
            target->setText(toQString(now.text));
        }
        break;
    }
    case ElementKind::Marker: {
        const bool visible = dashboard::markerShown(next, number);
        if (visible != dashboard::markerShown(m_drawn, number)) {
            marker(number)->setVisible(visible);
        }
        break;
    }
    case ElementKind::Image:
        break;
    }
}

int MainWindow::refreshIntervalMs() const {
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    const double hertz = s ? s->refreshRate() : 0;
    // A screen that cannot tell, or tells nonsense, is taken as the common 60 Hz.
    return static_cast<int>(1000 / (hertz >= 20 && hertz <= 1000 ? hertz : 60));
}

void MainWindow::drawElements() {
    m_drawTimer.stop();
    for (const Element &element : m_elements) {
        drawElement(element, m_shown);
    }
    if (m_shown.oldDataNotice != m_drawn.oldDataNotice) {
        showOldData(m_shown.oldDataNotice);
    }
    m_drawn = m_shown;
    m_sinceDrawn.start();
    ++m_drawCount;
}

void MainWindow::showOldData(const std::string &notice) {
    m_notice->showText(toQString(notice));
    m_cover->setVisible(!notice.empty());
    m_notice->setVisible(!notice.empty());
}

void MainWindow::showMenus(const dashboard::Screen &next) {
    for (const dashboard::MenuLayoutEntry &entry : dashboard::menuLayout()) {
        const dashboard::MenuEntry &now = next.menu(entry.item);
        const dashboard::MenuEntry &was = m_shown.menu(entry.item);
        QAction *action = menuAction(entry.item);
        if (now.caption != was.caption) {
            action->setText(toQString(now.caption));
        }
        if (now.checked != was.checked) {
            action->setChecked(now.checked);
        }
        if (now.enabled != was.enabled) {
            action->setEnabled(now.enabled);
        }
    }
}

void MainWindow::apply(const dashboard::Screen &next) {
    if (next == m_shown) {
        return;
    }
    // The menus and the timer take a new state at once; the elements wait for the screen's
    // next refresh, so that samples faster than the screen cost no drawing the eye cannot
    // see, and the drawing always takes the newest.
    if (next.menus != m_shown.menus) {
        showMenus(next);
    }
    if (next.scanIntervalMs != m_shown.scanIntervalMs) {
        setScanInterval(next.scanIntervalMs);
    }
    m_shown = next;
    if (m_drawTimer.isActive()) {
        return;
    }
    const int interval = refreshIntervalMs();
    const qint64 since = m_sinceDrawn.isValid() ? m_sinceDrawn.elapsed() : interval;
    if (since >= interval) {
        drawElements();
    } else {
        m_drawTimer.start(static_cast<int>(interval - since));
    }
}

void MainWindow::setScanInterval(int intervalMs) {
    m_intervalMs = intervalMs;
    startScanTimer();
}

void MainWindow::runFieldTimer(bool running) {
    if (!running) {
        m_fieldTimer.stop();
    } else if (!m_fieldTimer.isActive()) {
        m_fieldTimer.start();
    }
}

void MainWindow::stopScanTimer() {
    m_timer.stop();
}

void MainWindow::startScanTimer() {
    // An interval of 0 would make a Qt timer fire continuously; here it means "never".
    if (m_intervalMs > 0) {
        m_timer.start(m_intervalMs);
    } else {
        m_timer.stop();
    }
}

void MainWindow::showOpenProcessFailure() {
    // One message at a time; ticks go on while it waits for the user.
    if (m_openFailure) {
        return;
    }
    m_openFailure =
        new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Ostrelo"),
                        QStringLiteral("Imposible abrir el proceso"), QMessageBox::Ok, this);
    m_openFailure->setAttribute(Qt::WA_DeleteOnClose);
    m_openFailure->setModal(false);
    showMessage(m_openFailure);
}

void MainWindow::showListenFailure(const std::string &text) {
    if (m_listenFailure) {
        m_listenFailure->setText(toQString(text));
        return;
    }
    m_listenFailure = new QMessageBox(QMessageBox::Warning, QStringLiteral("Ostrelo"),
                                      toQString(text), QMessageBox::Ok, this);
    m_listenFailure->setTextFormat(Qt::PlainText);
    m_listenFailure->setAttribute(Qt::WA_DeleteOnClose);
    m_listenFailure->setModal(false);
    showMessage(m_listenFailure);
}

void MainWindow::showCentred(QWidget *window) {
    window->adjustSize();
    const QRect outer = frameGeometry();
    window->move(outer.x() + outer.width() / 2 - window->width() / 2,
                 outer.y() + outer.height() / 2 - window->height() / 2);
    window->show();
}

void MainWindow::openServerDialog(const i18n::Texts &texts, const std::string &port) {
    if (m_serverDialog) {
        m_serverDialog->raise();
        m_serverDialog->activateWindow();
        return;
    }
    m_serverDialog = new ConnectionDialog(
        texts, nullptr, port,
        [this](const std::string &, const std::string &typedPort) {
            return m_events ? m_events->serverDialogConfirmed(typedPort) : std::string();
        },
        this);
    showCentred(m_serverDialog);
}

void MainWindow::openClientDialog(const i18n::Texts &texts, const std::string &ip,
                                  const std::string &port) {
    if (m_clientDialog) {
        m_clientDialog->raise();
        m_clientDialog->activateWindow();
        return;
    }
    m_clientDialog = new ConnectionDialog(
        texts, &ip, port,
        [this](const std::string &typedIp, const std::string &typedPort) {
            return m_events ? m_events->clientDialogConfirmed(typedIp, typedPort) : std::string();
        },
        this);
    showCentred(m_clientDialog);
}

void MainWindow::openWebDialog(const i18n::Texts &texts, bool enabled, const std::string &address,
                               const std::string &port, const std::string &url) {
    if (m_webDialog) {
        m_webDialog->raise();
        m_webDialog->activateWindow();
        return;
    }
    m_webDialog = new WebDialog(
        texts, enabled, address, port, url,
        [this](bool on, const std::string &typedAddress, const std::string &typedPort) {
            return m_events ? m_events->webDialogConfirmed(on, typedAddress, typedPort)
                            : std::string();
        },
        this);
    showCentred(m_webDialog);
}

void MainWindow::openAbout(const i18n::Texts &texts) {
    if (m_about) {
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    m_about = new AboutWindow(texts, this);
    showCentred(m_about);
}

// Until the window is framed where it was put, that is where it is: the frame's position
// before then may still be that of the inner area.
double MainWindow::windowLeftTwips() const {
    return std::round((m_placedAt ? m_placedAt->x() : outerGeometry(this).x()) * twipsPerPixel());
}
double MainWindow::windowTopTwips() const {
    return std::round((m_placedAt ? m_placedAt->y() : outerGeometry(this).y()) * twipsPerPixel());
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (m_events) {
        m_events->windowClosing();
    }
    event->accept();
    QCoreApplication::quit();
}

} // namespace ostrelo::windows
