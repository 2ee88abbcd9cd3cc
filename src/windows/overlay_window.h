// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "dashboard/screen.h"
#include "glance/overlay_places.h"
#include "glance/tiles.h"

#include <QAction>
#include <QMenu>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace ostrelo::windows {

/// One glance tile over the game: a small frameless window, always on top, out of the taskbar,
/// with a see-through background where a compositor draws one (dark otherwise). Locked, every
/// click goes through it to the window below; unlocked, it is moved by dragging it and resized
/// from its bottom-right corner.
class OverlayTile : public QWidget {
public:
    explicit OverlayTile(glance::TileKind kind);

    glance::TileKind kind() const { return m_kind; }
    /// The tile drawn.
    const glance::Tile &tile() const { return m_tile; }
    /// Draws `tile` (of this window's kind) when it differs from the one drawn.
    void apply(const glance::Tile &tile);
    /// Locks or unlocks the tile, shown or not.
    void setLocked(bool locked);
    bool locked() const { return m_locked; }
    /// Shows the tile over the other windows, out of the taskbar, without taking the focus.
    void showOver();

    /// The tile was moved or resized with the mouse, to its new place.
    std::function<void(const glance::Place &)> onPlaced;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void letClicksThrough();
    void drawValues(QPainter &painter, const QRect &room);
    void drawRpm(QPainter &painter, const QRect &room);
    void drawLamps(QPainter &painter, const QRect &room);
    void drawText(QPainter &painter, const QRect &box, const QString &text, bool bold);
    bool inResizeCorner(QPoint point) const;

    glance::TileKind m_kind;
    glance::Tile m_tile;
    bool m_locked = true;
    // While the mouse drags the tile: where the press was and the geometry then.
    enum class Drag { None, Move, Resize } m_drag = Drag::None;
    QPoint m_pressedAt;
    QRect m_pressedGeometry;
    // Where the drag has put the tile so far.
    QRect m_dragged;
};

/// The glance tiles the settings choose, over the game, and the tray icon that locks, unlocks
/// and hides them. Holds no settings: it shows what it is given and tells what the user did.
class Overlay {
public:
    Overlay();
    ~Overlay();
    Overlay(const Overlay &) = delete;
    Overlay &operator=(const Overlay &) = delete;

    /// Shows the tiles `settings` choose, each at its place kept in `store` (see
    /// `glance::overlayPlaces`) on this desktop's screens, locked as `settings` say, with the
    /// tray icon where the desktop has a tray; hides them all when they are not to be shown.
    void arrange(const core::Settings &settings, const core::SettingsStore &store);
    /// Draws each shown tile from `tiles` (every kind, in the order of `glance::TileKind`).
    void apply(const std::vector<glance::Tile> &tiles);
    /// The tray menu's captions and check marks, as the main window's menu has them.
    void showMenus(const dashboard::Screen &screen);

    bool shown() const { return m_shown; }
    /// Whether the tiles shown need the timing tower.
    bool needsTower() const;
    /// The tile windows, in the order they were chosen.
    const std::vector<std::unique_ptr<OverlayTile>> &tiles() const { return m_tiles; }

    /// A tile was moved or resized with the mouse.
    std::function<void(glance::TileKind, const glance::Place &)> onPlaced;
    /// An item of the tray menu was chosen (`SuperposicioVisible`, `SuperposicioBloquejada`).
    std::function<void(dashboard::MenuItem)> onMenuChosen;

private:
    void showTray(bool shown);

    std::vector<std::unique_ptr<OverlayTile>> m_tiles;
    bool m_shown = false;
    std::unique_ptr<QMenu> m_trayMenu;
    QAction *m_showAction = nullptr;
    QAction *m_lockAction = nullptr;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};

} // namespace ostrelo::windows
