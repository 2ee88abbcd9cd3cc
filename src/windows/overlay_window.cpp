// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/overlay_window.h"

#include "platform/native.h"
#include "windows/qt_text.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <array>

namespace ostrelo::windows {
namespace {

using glance::TileKind;

// The share of the tile's height the caption and the detail line take.
constexpr double kCaptionShare = 0.2;
constexpr double kDetailShare = 0.16;
// The corner a drag resizes the tile from, in pixels.
constexpr int kResizeCorner = 16;
constexpr int kMargin = 4;

const QColor kBackground(16, 16, 16, 176);
const QColor kCaptionColour(200, 200, 200);
const QColor kValueColour(Qt::white);
const QColor kUnlockedBorder(240, 192, 32);
// The shift lights from the left: green, then yellow, then red at the maximum.
const std::array<QColor, glance::kShiftLights> kLightColours = {
    QColor(0, 200, 0), QColor(0, 200, 0), QColor(230, 200, 0), QColor(240, 120, 0),
    QColor(230, 0, 0)};

QColor toColour(dashboard::Colour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

Qt::WindowFlags tileFlags(bool locked) {
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                            Qt::WindowDoesNotAcceptFocus;
    if (locked) {
        flags |= Qt::WindowTransparentForInput;
    }
    return flags;
}

glance::Place placeOf(const QRect &rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

// Each screen's area less its panels, the primary screen first.
std::vector<glance::Place> screenAreas() {
    std::vector<glance::Place> areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary) {
        areas.push_back(placeOf(primary->availableGeometry()));
    }
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen != primary) {
            areas.push_back(placeOf(screen->availableGeometry()));
        }
    }
    return areas;
}

} // namespace

OverlayTile::OverlayTile(TileKind kind) : QWidget(nullptr, tileFlags(true)), m_kind(kind) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Ostrelo"));
    setMinimumSize(glance::kSmallestTileSide, glance::kSmallestTileSide);
}

void OverlayTile::apply(const glance::Tile &tile) {
    if (tile == m_tile) {
        return;
    }
    m_tile = tile;
    update();
}

void OverlayTile::setLocked(bool locked) {
    m_locked = locked;
    m_drag = Drag::None;
    const Qt::WindowFlags flags = tileFlags(locked);
    if (windowFlags() != flags) {
        if (QWindow *window = windowHandle()) {
            // Told to the window as it is: set anew, the widget would be hidden and made again.
            overrideWindowFlags(flags);
            window->setFlags(flags);
        } else {
            setWindowFlags(flags);
        }
    }
    setMouseTracking(!locked);
    setCursor(locked ? Qt::ArrowCursor : Qt::SizeAllCursor);
    letClicksThrough();
    update();
}

void OverlayTile::letClicksThrough() {
    if (windowHandle() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        platform::letClicksThroughFrame(static_cast<std::uintptr_t>(winId()), m_locked);
    }
}

bool OverlayTile::nativeEvent(const QByteArray &eventType, void *message, qintptr *result) {
    // A window manager's frame around the tile takes clicks of its own.
    if (eventType == "xcb_generic_event_t" && platform::isReframing(message)) {
        letClicksThrough();
    }
    return QWidget::nativeEvent(eventType, message, result);
}

void OverlayTile::showOver() {
    if (isVisible()) {
        return;
    }
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        platform::keepAboveOutOfTaskbar(static_cast<std::uintptr_t>(winId()));
    }
    show();
}

bool OverlayTile::inResizeCorner(QPoint point) const {
    return point.x() >= width() - kResizeCorner && point.y() >= height() - kResizeCorner;
}

void OverlayTile::mousePressEvent(QMouseEvent *event) {
    if (m_locked || event->button() != Qt::LeftButton) {
        return;
    }
    m_drag = inResizeCorner(event->position().toPoint()) ? Drag::Resize : Drag::Move;
    m_pressedAt = event->globalPosition().toPoint();
    // Where the tile is, from the press itself: the toolkit's own idea of a framed window's
    // position can lag behind the window manager's.
    m_pressedGeometry = QRect(m_pressedAt - event->position().toPoint(), size());
    m_dragged = m_pressedGeometry;
}

void OverlayTile::mouseMoveEvent(QMouseEvent *event) {
    if (m_locked) {
        return;
    }
    const QPoint moved = event->globalPosition().toPoint() - m_pressedAt;
    switch (m_drag) {
    case Drag::None:
        setCursor(inResizeCorner(event->position().toPoint()) ? Qt::SizeFDiagCursor
                                                              : Qt::SizeAllCursor);
        break;
    case Drag::Move:
        m_dragged.moveTopLeft(m_pressedGeometry.topLeft() + moved);
        move(m_dragged.topLeft());
        break;
    case Drag::Resize:
        m_dragged.setSize({std::clamp(m_pressedGeometry.width() + moved.x(),
                                      glance::kSmallestTileSide, glance::kLargestTileSide),
                           std::clamp(m_pressedGeometry.height() + moved.y(),
                                      glance::kSmallestTileSide, glance::kLargestTileSide)});
        resize(m_dragged.size());
        break;
    }
}

void OverlayTile::mouseReleaseEvent(QMouseEvent *event) {
    if (m_drag == Drag::None || event->button() != Qt::LeftButton) {
        return;
    }
    m_drag = Drag::None;
    if (onPlaced) {
        onPlaced(placeOf(m_dragged));
    }
}

void OverlayTile::drawText(QPainter &painter, const QRect &box, const QString &text, bool bold) {
    if (text.isEmpty() || box.height() < 2 || box.width() < 2) {
        return;
    }
    QFont font = painter.font();
    font.setBold(bold);
    // As tall as the box lets it be, narrowed until it fits the box's width.
    double pixels = box.height() * 0.85;
    font.setPixelSize(std::max(1, static_cast<int>(pixels)));
    const double width = QFontMetricsF(font).horizontalAdvance(text);
    if (width > box.width()) {
        pixels *= box.width() / width;
        font.setPixelSize(std::max(1, static_cast<int>(pixels)));
    }
    painter.setFont(font);
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void OverlayTile::drawValues(QPainter &painter, const QRect &room) {
    QRect values = room;
    QRect unit;
    if (!m_tile.unit.empty()) {
        // The unit goes small after the values, on their baseline.
        const int unitWidth = room.width() / 4;
        values.setWidth(room.width() - unitWidth);
        unit = QRect(values.right(), room.y() + room.height() / 2, unitWidth, room.height() / 2);
    }
    const std::vector<glance::Place> cells =
        glance::valueCells(placeOf(values), m_tile.values.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const glance::TileValue &value = m_tile.values[i];
        const QRect cell =
            QRect(cells[i].x, cells[i].y, cells[i].width, cells[i].height).adjusted(2, 2, -2, -2);
        if (value.background) {
            // The threshold's colour behind the value, as the dashboard's boxes have it.
            painter.setPen(Qt::NoPen);
            painter.setBrush(toColour(*value.background));
            painter.drawRoundedRect(cell, 4, 4);
            painter.setPen(Qt::black);
        } else {
            painter.setPen(kValueColour);
        }
        drawText(painter, cell, toQString(value.text), true);
    }
    painter.setPen(kCaptionColour);
    drawText(painter, unit, toQString(m_tile.unit), false);
}

void OverlayTile::drawRpm(QPainter &painter, const QRect &room) {
    const int lightsHeight = room.height() / 3;
    const int lightWidth = room.width() / glance::kShiftLights;
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < glance::kShiftLights; ++i) {
        const QRect light(room.x() + i * lightWidth, room.y(), lightWidth, lightsHeight);
        const int side = std::min(light.width(), light.height()) - 4;
        painter.setBrush(i < m_tile.lightsLit ? kLightColours[static_cast<std::size_t>(i)]
                                              : QColor(60, 60, 60));
        painter.drawEllipse(
            QRect(0, 0, side, side).translated(light.center() - QPoint(side / 2, side / 2)));
    }
    const QRect bar = room.adjusted(0, lightsHeight + 2, 0, 0);
    painter.setBrush(QColor(50, 50, 50));
    painter.drawRect(bar);
    painter.setBrush(m_tile.lightsLit >= glance::kShiftLights ? QColor(230, 0, 0)
                                                              : QColor(40, 120, 220));
    painter.drawRect(
        QRect(bar.x(), bar.y(), static_cast<int>(bar.width() * m_tile.fill), bar.height()));
    painter.setPen(kValueColour);
    if (!m_tile.values.empty()) {
        drawText(painter, bar, toQString(m_tile.values.front().text), true);
    }
}

void OverlayTile::drawLamps(QPainter &painter, const QRect &room) {
    if (m_tile.lamps.empty()) {
        return;
    }
    const int count = static_cast<int>(m_tile.lamps.size());
    const int width = room.width() / count;
    for (int i = 0; i < count; ++i) {
        const dashboard::Lamp &lamp = m_tile.lamps[static_cast<std::size_t>(i)];
        const QRect box = QRect(room.x() + i * width, room.y(), width, room.height())
                              .adjusted(1, room.height() / 4, -1, -room.height() / 4);
        painter.setPen(lamp.lit ? QColor(128, 96, 0) : QColor(80, 80, 80));
        painter.setBrush(lamp.lit ? QColor(240, 192, 32) : QColor(48, 48, 48));
        painter.drawRoundedRect(box, 3, 3);
        painter.setPen(lamp.lit ? QColor(Qt::black) : QColor(112, 112, 112));
        drawText(painter, box.adjusted(2, 2, -2, -2), toQString(lamp.caption), false);
    }
}

void OverlayTile::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(m_locked ? QPen(Qt::NoPen) : QPen(kUnlockedBorder, 2));
    painter.setBrush(kBackground);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    if (!m_locked) {
        // The grip the tile is resized by.
        painter.setPen(QPen(kUnlockedBorder, 2));
        for (int step = 4; step <= 12; step += 4) {
            painter.drawLine(width() - step, height() - 2, width() - 2, height() - step);
        }
    }

    const QRect inner = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const int captionHeight = static_cast<int>(inner.height() * kCaptionShare);
    const int detailHeight =
        m_tile.detail.empty() ? 0 : static_cast<int>(inner.height() * kDetailShare);
    const QRect caption(inner.x(), inner.y(), inner.width(), captionHeight);
    const QRect detail(inner.x(), inner.bottom() - detailHeight, inner.width(), detailHeight);
    const QRect room = inner.adjusted(0, captionHeight, 0, -detailHeight);

    painter.setPen(kCaptionColour);
    drawText(painter, caption, toQString(m_tile.caption), false);
    drawText(painter, detail, toQString(m_tile.detail), false);
    if (m_kind == TileKind::Rpm) {
        drawRpm(painter, room);
    } else if (m_kind == TileKind::Lamps) {
        drawLamps(painter, room);
    } else {
        drawValues(painter, room);
    }
}

Overlay::Overlay() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    m_trayMenu = std::make_unique<QMenu>();
    m_showAction = m_trayMenu->addAction(QString());
    m_lockAction = m_trayMenu->addAction(QString());
    const std::pair<QAction *, dashboard::MenuItem> items[] = {
        {m_showAction, dashboard::MenuItem::SuperposicioVisible},
        {m_lockAction, dashboard::MenuItem::SuperposicioBloquejada}};
    for (const auto &[action, item] : items) {
        action->setCheckable(true);
        QObject::connect(action, &QAction::triggered, m_trayMenu.get(), [this, action, item] {
            // The check marks belong to the program logic: undo the toggle Qt made.
            action->setChecked(!action->isChecked());
            if (onMenuChosen) {
                onMenuChosen(item);
            }
        });
    }
    m_tray = std::make_unique<QSystemTrayIcon>(QIcon(QStringLiteral(":/logo.png")));
    m_tray->setToolTip(QStringLiteral("Ostrelo"));
    m_tray->setContextMenu(m_trayMenu.get());
}

Overlay::~Overlay() = default;

void Overlay::arrange(const core::Settings &settings, const core::SettingsStore &store) {
    m_shown = settings.OverlayShown;
    if (!m_shown) {
        // Gone rather than hidden: a window shown again would race the window manager, which
        // forgets the state of a hidden window when it gets to it.
        m_tiles.clear();
        showTray(false);
        return;
    }
    std::vector<std::unique_ptr<OverlayTile>> arranged;
    for (const glance::TilePlace &placed : glance::overlayPlaces(settings, store, screenAreas())) {
        auto kept = std::find_if(m_tiles.begin(), m_tiles.end(), [&placed](const auto &tile) {
            return tile && tile->kind() == placed.kind;
        });
        std::unique_ptr<OverlayTile> tile;
        if (kept != m_tiles.end()) {
            tile = std::move(*kept);
        } else {
            tile = std::make_unique<OverlayTile>(placed.kind);
            tile->onPlaced = [this, kind = placed.kind](const glance::Place &place) {
                if (onPlaced) {
                    onPlaced(kind, place);
                }
            };
        }
        tile->setGeometry(placed.place.x, placed.place.y, placed.place.width, placed.place.height);
        tile->setLocked(settings.OverlayLocked);
        tile->showOver();
        arranged.push_back(std::move(tile));
    }
    m_tiles = std::move(arranged);
    showTray(true);
}

void Overlay::apply(const std::vector<glance::Tile> &tiles) {
    for (const auto &tile : m_tiles) {
        const auto index = static_cast<std::size_t>(tile->kind());
        if (index < tiles.size()) {
            tile->apply(tiles[index]);
        }
    }
}

void Overlay::showMenus(const dashboard::Screen &screen) {
    if (!m_tray) {
        return;
    }
    const std::pair<QAction *, dashboard::MenuItem> items[] = {
        {m_showAction, dashboard::MenuItem::SuperposicioVisible},
        {m_lockAction, dashboard::MenuItem::SuperposicioBloquejada}};
    for (const auto &[action, item] : items) {
        const dashboard::MenuEntry &entry = screen.menu(item);
        action->setText(toQString(entry.caption));
        action->setChecked(entry.checked);
        action->setEnabled(entry.enabled);
    }
}

bool Overlay::needsTower() const {
    std::vector<TileKind> kinds;
    for (const auto &tile : m_tiles) {
        kinds.push_back(tile->kind());
    }
    return m_shown && glance::needsTower(kinds);
}

void Overlay::showTray(bool shown) {
    if (m_tray) {
        m_tray->setVisible(shown);
    }
}

} // namespace ostrelo::windows
