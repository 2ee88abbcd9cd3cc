// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/design_layout.h"
#include "dashboard/screen.h"
#include "dashboard/window_layout.h"
#include "windows/about_window.h"
#include "windows/connection_dialogs.h"
#include "windows/fitted_text.h"
#include "windows/main_view.h"
#include "windows/web_dialog.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QMessageBox;

namespace ostrelo::windows {

class BarGauge;

/// The main window `Ostrelo_Form`: the dashboard built from the design layout, the menu
/// bar and the scan timer `Timer1`. It draws the screen the program computes, keeps its shape
/// when resized (every element and font scaled with the inner area) and forwards menu
/// choices, timer ticks and its closing to `MainViewEvents`.
class MainWindow : public QMainWindow, public MainView {
    Q_OBJECT

public:
    /// Builds every element at design size on the background colour (0x00BBGGRR), which the
    /// bar gauges share.
    explicit MainWindow(dashboard::Colour background, QWidget *parent = nullptr);
    ~MainWindow() override;

    /// The receiver of menu choices, ticks and the closing; none until set.
    void setEvents(MainViewEvents *events) { m_events = events; }

    /// The load step: the pictures from `pictureFolder` ("CarSkin.gif" for the car,
    /// "ostreloSkin.jpg" for the background, each kept as it is when it cannot be read), then
    /// the window's outer top-left corner (frame and title bar included) at the stored
    /// position in twips, or at the top-left corner of the primary screen when the window would
    /// not lie wholly on the desktop or its title bar not on a screen. Returns the position
    /// used. Once the window manager has framed the window, the frame is put there if it is not.
    std::pair<double, double> load(const std::string &pictureFolder, double left, double top);

    /// Keeps `companion`, a window of its own that goes with this one (the replay bar), where it
    /// can be seen without covering this window: below it when the screen has room, else
    /// beside it. Placed now, and again once this window is framed on the screen.
    void keepBeside(QWidget *companion);

    // MainView
    void apply(const dashboard::Screen &screen) override;
    void stopScanTimer() override;
    void startScanTimer() override;
    void runFieldTimer(bool running) override;
    void showOpenProcessFailure() override;
    void showListenFailure(const std::string &text) override;
    void openServerDialog(const i18n::Texts &texts, const std::string &port) override;
    void openClientDialog(const i18n::Texts &texts, const std::string &ip,
                          const std::string &port) override;
    void openWebDialog(const i18n::Texts &texts, bool enabled, const std::string &address,
                       const std::string &port, const std::string &url) override;
    bool loadCarPicture(const std::string &path) override;
    void openAbout(const i18n::Texts &texts) override;
    double windowLeftTwips() const override;
    double windowTopTwips() const override;

    /// The newest screen handed to the window; its elements are drawn at most once per refresh
    /// of the screen the window is on, so they may be one refresh interval behind it.
    const dashboard::Screen &shown() const { return m_shown; }
    /// True while the newest screen waits for the next refresh to be drawn.
    bool drawingPending() const { return m_drawTimer.isActive(); }
    /// Draws the newest screen now instead of at the next refresh (for a picture of the
    /// window, or for measuring what drawing costs).
    void drawNow() { drawElements(); }
    /// How many times the elements were drawn, for tests.
    int drawCount() const { return m_drawCount; }
    /// The wait before the pending drawing, for tests.
    const QTimer &drawTimer() const { return m_drawTimer; }

    /// The widgets behind the design names (`LabelN`, `Command1`(N), ...), for tests.
    QLabel *label(int label) const;
    QPushButton *lamp(int lamp) const;
    BarGauge *bar(int bar) const;
    QWidget *marker(int marker) const;
    QLabel *picture(dashboard::Picture picture) const;
    QAction *menuAction(dashboard::MenuItem item) const;
    /// True once the window is on the screen, its frame where it was put.
    bool settled() const { return m_onScreen; }
    /// The notice over the dashboard while its values are old, and what dims them.
    QLabel *oldDataNotice() const { return m_notice; }
    QWidget *oldDataCover() const { return m_cover; }
    const QTimer &scanTimer() const { return m_timer; }
    const QTimer &fieldTimer() const { return m_fieldTimer; }
    ConnectionDialog *serverDialog() const { return m_serverDialog; }
    ConnectionDialog *clientDialog() const { return m_clientDialog; }
    AboutWindow *aboutWindow() const { return m_about; }
    WebDialog *webDialog() const { return m_webDialog; }

    /// Twips per pixel on the window's screen, from its real dots per inch.
    double twipsPerPixel() const;
    /// The rectangle covering every screen, in twips.
    dashboard::TwipRect virtualDesktop() const;
    /// Each screen's area less its panels, in twips, the primary screen first.
    std::vector<dashboard::TwipRect> screenAreas() const;
    /// The window's frame around its inner area as far as it is known, in twips: nothing
    /// before the window manager has framed it.
    dashboard::FrameMargins frameMargins() const;
    /// The largest size the window may take on its screen, frame excluded, in twips.
    dashboard::TwipSize room() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct Element {
        QWidget *widget;
        const dashboard::DesignElement *design;
    };

    void buildElements(dashboard::Colour background);
    void drawElement(const Element &element, const dashboard::Screen &next);
    void drawElements();
    void showMenus(const dashboard::Screen &next);
    int refreshIntervalMs() const;
    void setScanInterval(int intervalMs);
    void buildMenus();
    QWidget *createElement(const dashboard::DesignElement &element, QWidget *canvas);
    void layOut();
    void fitInnerAreaToDesign();
    void showCentred(QWidget *window);
    void settlePlacement();
    void placeCompanion();
    void showMessage(QMessageBox *box);
    void showOldData(const std::string &notice);

    MainViewEvents *m_events = nullptr;
    QTimer m_timer;
    int m_intervalMs = 0;
    QTimer m_fieldTimer;
    QWidget *m_canvas = nullptr;
    std::vector<Element> m_elements;
    std::array<FittedLabel *, 49> m_labels{};
    std::array<FittedButton *, 8> m_lamps{};
    std::array<BarGauge *, 5> m_bars{};
    std::array<QWidget *, 5> m_markers{};
    std::array<QLabel *, 3> m_pictures{};
    std::array<QAction *, dashboard::kMenuItemCount> m_actions{};
    dashboard::Screen m_shown;
    dashboard::Screen m_drawn;
    QTimer m_drawTimer;
    QElapsedTimer m_sinceDrawn;
    int m_drawCount = 0;
    std::unique_ptr<dashboard::AspectRule> m_aspect;
    bool m_firstShow = true;
    std::optional<std::pair<QSize, double>> m_laidOutFor;
    // Where the frame goes, until the window is framed and there.
    std::optional<QPoint> m_placedAt;
    // Messages wait for the window to be on the screen, or they could open behind it.
    bool m_onScreen = false;
    QPointer<QWidget> m_companion;
    QColor m_background;
    QWidget *m_cover = nullptr;
    FittedLabel *m_notice = nullptr;
    QPointer<QMessageBox> m_openFailure;
    QPointer<QMessageBox> m_listenFailure;
    QPointer<ConnectionDialog> m_serverDialog;
    QPointer<ConnectionDialog> m_clientDialog;
    QPointer<AboutWindow> m_about;
    QPointer<WebDialog> m_webDialog;
};

} // namespace ostrelo::windows
