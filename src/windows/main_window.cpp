#include "windows/main_window.h"

#include "windows/bar_gauge.h"
#include "windows/connection_dialogs.h"
#include "windows/qt_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>

#include <cmath>
#include <optional>

namespace ostrelo::windows {
namespace {

using core::MenuItem;
using dashboard::DesignElement;
using dashboard::ElementKind;

QColor toQColor(core::Colour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

// One entry of the menu bar: the item, the menu it belongs to (nullopt for a top-level
// menu), its fixed caption (empty when the language table gives it) and whether it carries
// a check mark. A separator comes before the item when `separatorBefore` is set.
struct MenuEntry {
    MenuItem item;
    std::optional<MenuItem> menu;
    const char *fixedCaption = "";
    bool checkable = false;
    bool separatorBefore = false;
};

// clang-format off
const MenuEntry kMenus[] = {
    {MenuItem::Archivo, std::nullopt},
    {MenuItem::Salir, MenuItem::Archivo},
    {MenuItem::Opciones, std::nullopt},
    {MenuItem::Espanol, MenuItem::Opciones, "Español", true},
    {MenuItem::Catala, MenuItem::Opciones, "Català", true},
    {MenuItem::Asturianu, MenuItem::Opciones, "Asturianu", true},
    {MenuItem::English, MenuItem::Opciones, "English", true},
    {MenuItem::Francais, MenuItem::Opciones, "Français", true},
    {MenuItem::Deutsch, MenuItem::Opciones, "Deutsch", true},
    {MenuItem::Dutch, MenuItem::Opciones, "Dutch", true},
    {MenuItem::Italiano, MenuItem::Opciones, "Italiano", true},
    {MenuItem::Graficos, MenuItem::Opciones, "", true, true},
    {MenuItem::Metrico, MenuItem::Opciones, "", true, true},
    {MenuItem::Imperial, MenuItem::Opciones, "", true},
    {MenuItem::TempsRefresc, std::nullopt},
    {MenuItem::TS_10, MenuItem::TempsRefresc, "10 ms", true},
    {MenuItem::TS_50, MenuItem::TempsRefresc, "50 ms", true},
    {MenuItem::TS_150, MenuItem::TempsRefresc, "150 ms", true},
    {MenuItem::TS_500, MenuItem::TempsRefresc, "500 ms", true},
    {MenuItem::TS_1000, MenuItem::TempsRefresc, "1000 ms", true},
    {MenuItem::Conexio, std::nullopt},
    {MenuItem::Cap, MenuItem::Conexio, "", true},
    {MenuItem::Servidor, MenuItem::Conexio, "", true},
    {MenuItem::Client, MenuItem::Conexio, "", true},
    {MenuItem::VeureDadesServidor, MenuItem::Conexio, "", true, true},
    {MenuItem::AcercaDe, std::nullopt},
};
// clang-format on

// The About entry is a menu without items: a plain action on the menu bar.
bool isMenuBarAction(MenuItem item) {
    return item == MenuItem::AcercaDe;
}

const char *kLampStyle =
    "QPushButton { background: #f0c020; color: black; border: 1px solid #806000;"
    " border-radius: 3px; }"
    "QPushButton:disabled { background: #303030; color: #707070;"
    " border: 1px solid #505050; }";

} // namespace

MainWindow::MainWindow(core::Colour background, QWidget *parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Ostrelo"));
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_events) {
            m_events->scanTick();
        }
    });
    buildMenus();
    buildElements(background);
}

MainWindow::~MainWindow() = default;

double MainWindow::twipsPerPixel() const {
    const QScreen *s = screen();
    const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

QRect MainWindow::pixelRect(const DesignElement &element) const {
    const double factor = twipsPerPixel();
    auto px = [factor](int twips) { return static_cast<int>(std::lround(twips / factor)); };
    return {px(element.left), px(element.top), px(element.width), px(element.height)};
}

void MainWindow::buildMenus() {
    for (const MenuEntry &entry : kMenus) {
        QAction *action = nullptr;
        if (!entry.menu) {
            if (isMenuBarAction(entry.item)) {
                action = menuBar()->addAction(QString());
            } else {
                action = menuBar()->addMenu(new QMenu(menuBar()));
            }
        } else {
            QMenu *menu = m_actions.at(*entry.menu)->menu();
            if (entry.separatorBefore) {
                menu->addSeparator();
            }
            action = menu->addAction(QString::fromUtf8(entry.fixedCaption));
            action->setCheckable(entry.checkable);
        }
        if (!entry.menu && !isMenuBarAction(entry.item)) {
            m_actions[entry.item] = action;
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
                return;
            }
            if (m_events) {
                m_events->menuChosen(item);
            }
        });
        m_actions[entry.item] = action;
    }
}

QWidget *MainWindow::createElement(const DesignElement &element, QWidget *canvas) {
    QFont font(QString::fromUtf8(element.fontFamily));
    if (element.fontPoints > 0) {
        font.setPointSizeF(element.fontPoints);
    }
    font.setBold(element.bold);
    switch (element.kind) {
    case ElementKind::Image: {
        auto *image = new QLabel(canvas);
        image->setScaledContents(true);
        return image;
    }
    case ElementKind::Label: {
        auto *label = new QLabel(canvas);
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
        auto *lamp = new QPushButton(canvas);
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

void MainWindow::buildElements(core::Colour background) {
    auto *canvas = new QWidget(this);
    QPalette palette = canvas->palette();
    palette.setColor(QPalette::Window, toQColor(background));
    canvas->setPalette(palette);
    canvas->setAutoFillBackground(true);
    for (const DesignElement &element : dashboard::designLayout()) {
        if (QWidget *widget = createElement(element, canvas)) {
            widget->setGeometry(pixelRect(element));
        }
    }
    for (BarGauge *bar : m_bars) {
        if (bar) {
            bar->setBackground(toQColor(background));
        }
    }
    const double factor = twipsPerPixel();
    canvas->setMinimumSize(static_cast<int>(std::lround(dashboard::kDesignInnerWidth / factor)),
                           static_cast<int>(std::lround(dashboard::kDesignInnerHeight / factor)));
    setCentralWidget(canvas);
}

QLabel *MainWindow::label(core::Label label) const {
    return m_labels.at(static_cast<std::size_t>(label));
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
QAction *MainWindow::menuAction(core::MenuItem item) const {
    return m_actions.at(item);
}

void MainWindow::setCaption(core::Label which, std::string_view text) {
    label(which)->setText(toQString(text));
}

std::string MainWindow::caption(core::Label which) const {
    return label(which)->text().toStdString();
}

void MainWindow::setBackground(core::Label which, core::Colour colour) {
    QLabel *target = label(which);
    QPalette palette = target->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    target->setPalette(palette);
}

void MainWindow::setLampLit(int which, bool lit) {
    lamp(which)->setEnabled(lit);
}

void MainWindow::setLampCaption(int which, std::string_view text) {
    lamp(which)->setText(toQString(text));
}

void MainWindow::setBarValue(int which, double value) {
    bar(which)->setValue(value);
}
void MainWindow::setBarMaximum(int which, double maximum) {
    bar(which)->setMaximum(maximum);
}
void MainWindow::setBarText(int which, std::string_view text) {
    bar(which)->setText(toQString(text));
}
void MainWindow::setMarkerVisible(int which, bool visible) {
    marker(which)->setVisible(visible);
}

void MainWindow::setMenuChecked(core::MenuItem item, bool checked) {
    menuAction(item)->setChecked(checked);
}
void MainWindow::setMenuEnabled(core::MenuItem item, bool enabled) {
    menuAction(item)->setEnabled(enabled);
}
void MainWindow::setMenuCaption(core::MenuItem item, std::string_view text) {
    menuAction(item)->setText(toQString(text));
}

void MainWindow::setScanInterval(int intervalMs) {
    m_intervalMs = intervalMs;
    startScanTimer();
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
    m_openFailure->show();
}

void MainWindow::showCentred(QWidget *window) {
    window->adjustSize();
    const QRect outer = frameGeometry();
    window->move(outer.x() + outer.width() / 2 - window->width() / 2,
                 outer.y() + outer.height() / 2 - window->height() / 2);
    window->show();
}

void MainWindow::openServerDialog(const core::Texts &texts, const std::string &port) {
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

void MainWindow::openClientDialog(const core::Texts &texts, const std::string &ip,
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

double MainWindow::windowLeftTwips() const {
    return std::round(x() * twipsPerPixel());
}
double MainWindow::windowTopTwips() const {
    return std::round(y() * twipsPerPixel());
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (m_events) {
        m_events->windowClosing();
    }
    event->accept();
    QCoreApplication::quit();
}

} // namespace ostrelo::windows
