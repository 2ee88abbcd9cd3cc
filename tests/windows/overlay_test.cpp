// SPDX-License-Identifier: GPL-3.0-or-later
// The overlays on a real X server with a window manager (Xvfb and openbox), read back through
// xcb from the server itself. The program's main starts both before Qt connects.
#include "core/settings.h"
#include "core/settings_store.h"
#include "glance/overlay_places.h"
#include "glance/tiles.h"
#include "support/error_capture.h"
#include "support/event_wait.h"
#include "support/temp_dir.h"
#include "support/x_display.h"
#include "windows/overlay_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace ostrelo::windows {
namespace {

using glance::Place;
using glance::TileKind;

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

using testing::runUntil;

// The test's own connection to the X server, as another client sees the windows.
class XServer {
public:
    XServer() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~XServer() { xcb_disconnect(m_connection); }
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    bool mapped(xcb_window_t window) const {
        const Owned<xcb_get_window_attributes_reply_t> reply(
            xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, window), nullptr),
            &std::free);
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // The names of the window's _NET_WM_STATE atoms.
    std::vector<std::string> states(xcb_window_t window) const {
        const Owned<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, window, atom("_NET_WM_STATE"),
                                                    XCB_ATOM_ATOM, 0, 64),
                                   nullptr),
            &std::free);
        std::vector<std::string> names;
        if (!reply || reply->format != 32) {
            return names;
        }
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i) {
            const Owned<xcb_get_atom_name_reply_t> name(
                xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atoms[i]),
                                        nullptr),
                &std::free);
            names.emplace_back(xcb_get_atom_name_name(name.get()),
                               static_cast<std::size_t>(xcb_get_atom_name_name_length(name.get())));
        }
        return names;
    }

    bool hasStates(xcb_window_t window, std::initializer_list<const char *> wanted) const {
        const std::vector<std::string> held = states(window);
        return std::all_of(wanted.begin(), wanted.end(), [&held](const char *name) {
            return std::find(held.begin(), held.end(), name) != held.end();
        });
    }

    // The rectangles of the window's input shape, as "x,y,w,h".
    std::vector<std::string> inputShape(xcb_window_t window) const {
        const Owned<xcb_shape_get_rectangles_reply_t> reply(
            xcb_shape_get_rectangles_reply(
                m_connection, xcb_shape_get_rectangles(m_connection, window, XCB_SHAPE_SK_INPUT),
                nullptr),
            &std::free);
        std::vector<std::string> rectangles;
        if (!reply) {
            return {"no reply"};
        }
        const xcb_rectangle_t *r = xcb_shape_get_rectangles_rectangles(reply.get());
        for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i) {
            rectangles.push_back(glance::placeText({r[i].x, r[i].y, r[i].width, r[i].height}));
        }
        return rectangles;
    }

    // Where the window's top left corner is on the desktop, as the server has it.
    QPoint position(xcb_window_t window) const {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const Owned<xcb_translate_coordinates_reply_t> reply(
            xcb_translate_coordinates_reply(
                m_connection, xcb_translate_coordinates(m_connection, window, root, 0, 0), nullptr),
            &std::free);
        return reply ? QPoint(reply->dst_x, reply->dst_y) : QPoint(-1, -1);
    }

    // Whether the window and every frame around it take no clicks (`through`) or take them.
    bool clicksPass(xcb_window_t window, bool through) const {
        for (xcb_window_t at = window;;) {
            if (inputShape(at).empty() != through) {
                return false;
            }
            const Owned<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, at), nullptr),
                &std::free);
            if (!tree || tree->parent == tree->root || tree->parent == XCB_NONE) {
                return true;
            }
            at = tree->parent;
        }
    }

    // A real button press and release of the first button at (`x`, `y`) on the desktop.
    void click(int x, int y) { press(x, y, x, y); }

    // The first button pressed at (`x`, `y`), the pointer moved to (`toX`, `toY`), released.
    void press(int x, int y, int toX, int toY) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const auto fake = [&](std::uint8_t type, std::uint8_t detail, int atX, int atY) {
            xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, root,
                                static_cast<std::int16_t>(atX), static_cast<std::int16_t>(atY), 0);
        };
        fake(XCB_MOTION_NOTIFY, 0, x, y);
        fake(XCB_BUTTON_PRESS, 1, x, y);
        fake(XCB_MOTION_NOTIFY, 0, (x + toX) / 2, (y + toY) / 2);
        fake(XCB_MOTION_NOTIFY, 0, toX, toY);
        fake(XCB_BUTTON_RELEASE, 1, toX, toY);
        xcb_flush(m_connection);
    }

private:
    xcb_atom_t atom(const char *name) const {
        const Owned<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(m_connection,
                                  xcb_intern_atom(m_connection, 0,
                                                  static_cast<std::uint16_t>(std::strlen(name)),
                                                  name),
                                  nullptr),
            &std::free);
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    xcb_connection_t *m_connection;
};

xcb_window_t windowOf(const QWidget &widget) {
    return static_cast<xcb_window_t>(widget.winId());
}

core::Settings shownTiles(const char *tiles, bool locked) {
    core::Settings settings;
    settings.OverlayShown = true;
    settings.OverlayLocked = locked;
    settings.OverlayTiles = tiles;
    return settings;
}

bool allMapped(const XServer &x, const Overlay &overlay) {
    return std::all_of(overlay.tiles().begin(), overlay.tiles().end(),
                       [&x](const auto &tile) { return x.mapped(windowOf(*tile)); });
}

TEST(OverlayOnX11, EachTileStaysAboveOutOfTheTaskbarAndTakesClicksOnlyUnlocked) {
    XServer x;
    const core::SettingsStore store = core::SettingsStore::inMemory();
    Overlay overlay;
    overlay.arrange(shownTiles("gear,rpm,lamps", true), store);
    ASSERT_EQ(overlay.tiles().size(), 3u);
    ASSERT_TRUE(runUntil([&] { return allMapped(x, overlay); }));
    // Each step: locked or not, then every tile's input shape.
    const struct {
        bool locked;
        bool empty;
    } steps[] = {{true, true}, {false, false}, {true, true}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.locked);
        overlay.arrange(shownTiles("gear,rpm,lamps", step.locked), store);
        for (const auto &tile : overlay.tiles()) {
            SCOPED_TRACE(std::string(glance::tileName(tile->kind())));
            const xcb_window_t window = windowOf(*tile);
            EXPECT_TRUE(runUntil([&] {
                return x.hasStates(window, {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR"});
            })) << ::testing::PrintToString(x.states(window));
            const std::vector<std::string> whole = {
                glance::placeText({0, 0, tile->width(), tile->height()})};
            EXPECT_TRUE(runUntil([&] { return x.clicksPass(window, step.empty); }));
            EXPECT_EQ(x.inputShape(window), step.empty ? std::vector<std::string>() : whole);
        }
    }
    // Hidden and shown again, a tile is still kept out of the taskbar.
    core::Settings hidden = shownTiles("gear", true);
    hidden.OverlayShown = false;
    overlay.arrange(hidden, store);
    EXPECT_TRUE(overlay.tiles().empty()) << "hidden, the tiles are closed";
    overlay.arrange(shownTiles("gear", true), store);
    ASSERT_TRUE(runUntil([&] { return allMapped(x, overlay); }));
    EXPECT_TRUE(runUntil([&] {
        return x.hasStates(windowOf(*overlay.tiles().front()),
                           {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR"});
    }));
}

// A plain window that counts the presses it gets, and where.
class Below : public QWidget {
public:
    std::vector<QPoint> presses;

protected:
    void mousePressEvent(QMouseEvent *event) override {
        presses.push_back(event->globalPosition().toPoint());
    }
};

TEST(OverlayOnX11, AClickOnALockedTileReachesTheWindowBelow) {
    XServer x;
    Below below;
    below.setGeometry(100, 100, 600, 400);
    below.show();
    ASSERT_TRUE(runUntil([&] {
        return x.mapped(windowOf(below)) &&
               x.position(windowOf(below)) == below.mapToGlobal(QPoint(0, 0));
    }));
    const QRect area(below.mapToGlobal(QPoint(0, 0)), below.size());
    const Place place{area.center().x() - 80, area.center().y() - 55, 160, 110};
    core::SettingsStore store = core::SettingsStore::inMemory();
    glance::savePlace(store, TileKind::Gear, place);
    for (const bool locked : {true, false}) {
        SCOPED_TRACE(locked);
        below.presses.clear();
        std::vector<Place> placed;
        Overlay overlay;
        overlay.onPlaced = [&placed](TileKind, const Place &p) { placed.push_back(p); };
        overlay.arrange(shownTiles("gear", locked), store);
        const OverlayTile &tile = *overlay.tiles().front();
        ASSERT_TRUE(runUntil([&] {
            return allMapped(x, overlay) && tile.geometry() == QRect(place.x, place.y, 160, 110) &&
                   x.position(windowOf(tile)) == QPoint(place.x, place.y) &&
                   x.clicksPass(windowOf(tile), locked);
        }));
        x.click(area.center().x(), area.center().y());
        if (locked) {
            ASSERT_TRUE(runUntil([&] { return !below.presses.empty(); }));
            EXPECT_EQ(below.presses.front(), area.center());
            EXPECT_TRUE(placed.empty());
        } else {
            // Unlocked, the tile takes the click itself: a drag that went nowhere.
            ASSERT_TRUE(runUntil([&] { return !placed.empty(); }));
            EXPECT_EQ(placed.front(), place);
            EXPECT_TRUE(below.presses.empty());
        }
    }
}

TEST(OverlayOnX11, ATileMovedOrResizedIsWhereItWasLeftAfterARestart) {
    XServer x;
    testing::TempDir dir;
    const std::string path = dir.file("Ostrelo.ini");
    // Each drag: from where on the tile, by how much, and the place it leaves the tile at.
    enum class From { Centre, Corner, RightEdge };
    const struct {
        From from;
        int dx;
        int dy;
        Place left;
    } drags[] = {
        {From::Centre, 300, 200, {308, 208, 160, 110}},
        {From::Corner, 40, 30, {308, 208, 200, 140}},
        // Only the corner resizes: the right edge moves the tile.
        {From::RightEdge, -100, 0, {208, 208, 200, 140}},
    };
    for (const auto &drag : drags) {
        SCOPED_TRACE(static_cast<int>(drag.from));
        core::SettingsStore store(path);
        Overlay overlay;
        overlay.onPlaced = [&store](TileKind kind, const Place &place) {
            glance::savePlace(store, kind, place);
        };
        overlay.arrange(shownTiles("gear", false), store);
        const OverlayTile &tile = *overlay.tiles().front();
        ASSERT_TRUE(
            runUntil([&] { return allMapped(x, overlay) && x.clicksPass(windowOf(tile), false); }));
        // Where the server has the tile.
        const QRect at(x.position(windowOf(tile)), tile.size());
        const QPoint from = drag.from == From::Corner      ? at.bottomRight() - QPoint(3, 3)
                            : drag.from == From::RightEdge ? QPoint(at.right() - 3, at.center().y())
                                                           : at.center();
        x.press(from.x(), from.y(), from.x() + drag.dx, from.y() + drag.dy);
        ASSERT_TRUE(runUntil([&] {
            return core::readOverlayPlace(store, "gear") == glance::placeText(drag.left);
        })) << core::readOverlayPlace(store, "gear");
    }
    // A new overlay reading the same file puts the tile where it was left.
    const core::SettingsStore store(path);
    Overlay overlay;
    overlay.arrange(shownTiles("gear", true), store);
    ASSERT_TRUE(runUntil([&] { return allMapped(x, overlay); }));
    EXPECT_EQ(overlay.tiles().front()->geometry(), QRect(208, 208, 200, 140));
    EXPECT_NE(dir.read("Ostrelo.ini").find("[Overlay]\ngear=208,208,200,140\n"), std::string::npos);
}

TEST(OverlayOnX11, TheTilesShowTheWindowsValues) {
    dashboard::Screen screen;
    screen.gear = " 4";
    screen.waterTemp = {"104", dashboard::rgb(255, 0, 0)};
    screen.oilTemp = {"96", dashboard::rgb(255, 255, 255)};
    screen.waterCaption = "Water";
    screen.oilCaption = "Oil";
    const engineer::EngineerReport report;
    const std::vector<standings::TowerLine> tower;
    const i18n::Texts texts;
    const core::SettingsStore store = core::SettingsStore::inMemory();
    Overlay overlay;
    overlay.arrange(shownTiles("fuel,engine,gear,rpm,speed,lamps", true), store);
    overlay.apply(glance::makeTiles({screen, nullptr, report, tower, texts, false, ','}));
    std::map<TileKind, const glance::Tile *> shown;
    for (const auto &tile : overlay.tiles()) {
        EXPECT_EQ(tile->tile().kind, tile->kind());
        shown[tile->kind()] = &tile->tile();
    }
    // What each tile holds is the tiles' own rules; here, that each gets the tile of its kind.
    using Values = std::vector<glance::TileValue>;
    EXPECT_EQ(shown.at(TileKind::Gear)->values, (Values{{"4", std::nullopt}}));
    EXPECT_EQ(shown.at(TileKind::Engine)->values,
              (Values{{screen.waterTemp.text, screen.waterTemp.background},
                      {screen.oilTemp.text, screen.oilTemp.background}}));
}

} // namespace
} // namespace ostrelo::windows

namespace {

// openbox on the test's display, up once it manages windows.
class WindowManager {
public:
    WindowManager() {
        // What it says is not read: a full pipe would stop it.
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        // It owns the selection early, and says it supports the standard once it manages
        // windows.
        const auto selection = [connection] {
            const auto atom = [connection](const char *name) {
                const ostrelo::windows::Owned<xcb_intern_atom_reply_t> reply(
                    xcb_intern_atom_reply(
                        connection,
                        xcb_intern_atom(connection, 0,
                                        static_cast<std::uint16_t>(std::strlen(name)), name),
                        nullptr),
                    &std::free);
                return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
            };
            const ostrelo::windows::Owned<xcb_get_selection_owner_reply_t> owner(
                xcb_get_selection_owner_reply(
                    connection, xcb_get_selection_owner(connection, atom("WM_S0")), nullptr),
                &std::free);
            const xcb_window_t root =
                xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
            const ostrelo::windows::Owned<xcb_get_property_reply_t> check(
                xcb_get_property_reply(connection,
                                       xcb_get_property(connection, 0, root,
                                                        atom("_NET_SUPPORTING_WM_CHECK"),
                                                        XCB_ATOM_WINDOW, 0, 1),
                                       nullptr),
                &std::free);
            return owner && owner->owner != XCB_NONE && check &&
                   xcb_get_property_value_length(check.get()) == 4;
        };
        QElapsedTimer clock;
        clock.start();
        while (!selection() && clock.elapsed() < ostrelo::testing::kPatienceMs &&
               m_process.state() != QProcess::NotRunning) {
            QThread::msleep(10);
        }
        // It says so before it takes every window mapped from then on: a window mapped in
        // between is never managed. It is ready once a window of ours is managed; one that
        // fell in between is given up for another.
        while (!m_ready && clock.elapsed() < ostrelo::testing::kPatienceMs &&
               m_process.state() != QProcess::NotRunning) {
            m_ready = managesAWindow(connection);
        }
        xcb_disconnect(connection);
    }
    ~WindowManager() {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    WindowManager(const WindowManager &) = delete;
    WindowManager &operator=(const WindowManager &) = delete;

    bool ready() const { return m_ready; }

private:
    // Maps a window and waits a second for the window manager to take it into a frame.
    static bool managesAWindow(xcb_connection_t *connection) {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const xcb_window_t probe = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(connection, probe);
        xcb_flush(connection);
        bool framed = false;
        QElapsedTimer clock;
        clock.start();
        while (!framed && clock.elapsed() < 1000) {
            const ostrelo::windows::Owned<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(connection, xcb_query_tree(connection, probe), nullptr),
                &std::free);
            framed = tree && tree->parent != screen->root;
            QThread::msleep(10);
        }
        xcb_destroy_window(connection, probe);
        xcb_flush(connection);
        return framed;
    }

    QProcess m_process;
    bool m_ready = false;
};

} // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    const ostrelo::testing::XDisplay display;
    if (!display.running()) {
        std::fprintf(stderr, "%s\n", qPrintable(display.error()));
        return 1;
    }
    const WindowManager openbox;
    if (!openbox.ready()) {
        std::fprintf(stderr, "openbox did not take the display\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    ostrelo::testing::failOnUnexpectedErrorReports();
    return RUN_ALL_TESTS();
}
