#pragma once

#include "core/main_view.h"
#include "dashboard/design_layout.h"
#include "windows/connection_dialogs.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <map>

class QAction;
class QMessageBox;

namespace ostrelo::windows {

class BarGauge;

/// The main window `Ostrelo_Form`: the dashboard built from the design layout, the menu
/// bar and the scan timer `Timer1`. It shows what the program logic writes and forwards
/// menu choices, timer ticks and its closing to `MainViewEvents`.
class MainWindow : public QMainWindow, public core::MainView {
    Q_OBJECT

public:
    /// Builds every element at design size on the background colour (0x00BBGGRR).
    explicit MainWindow(core::Colour background, QWidget *parent = nullptr);

    /// The receiver of menu choices, ticks and the closing; none until set.
    void setEvents(core::MainViewEvents *events) { m_events = events; }
    ~MainWindow() override;

    // DashboardView
    void setCaption(core::Label label, std::string_view text) override;
    std::string caption(core::Label label) const override;
    void setBackground(core::Label label, core::Colour colour) override;
    void setLampLit(int lamp, bool lit) override;
    void setLampCaption(int lamp, std::string_view text) override;
    void setBarValue(int bar, double value) override;
    void setBarMaximum(int bar, double maximum) override;
    void setBarText(int bar, std::string_view text) override;
    void setMarkerVisible(int marker, bool visible) override;

    // ShellView
    void setMenuChecked(core::MenuItem item, bool checked) override;
    void setMenuEnabled(core::MenuItem item, bool enabled) override;
    void setMenuCaption(core::MenuItem item, std::string_view text) override;
    void setScanInterval(int intervalMs) override;
    void stopScanTimer() override;
    void startScanTimer() override;
    void showOpenProcessFailure() override;
    void openServerDialog(const core::Texts &texts, const std::string &port) override;
    void openClientDialog(const core::Texts &texts, const std::string &ip,
                          const std::string &port) override;
    double windowLeftTwips() const override;
    double windowTopTwips() const override;

    /// The widgets behind the design names, for tests and for the layout.
    QLabel *label(core::Label label) const;
    QPushButton *lamp(int lamp) const;
    BarGauge *bar(int bar) const;
    QWidget *marker(int marker) const;
    QAction *menuAction(core::MenuItem item) const;
    const QTimer &scanTimer() const { return m_timer; }
    /// The open connection dialogs, or null.
    ConnectionDialog *serverDialog() const { return m_serverDialog; }
    ConnectionDialog *clientDialog() const { return m_clientDialog; }

    /// Twips per screen pixel on the window's screen.
    double twipsPerPixel() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildElements(core::Colour background);
    void buildMenus();
    QWidget *createElement(const dashboard::DesignElement &element, QWidget *canvas);
    QRect pixelRect(const dashboard::DesignElement &element) const;
    void showCentred(QWidget *window);

    core::MainViewEvents *m_events = nullptr;
    QTimer m_timer;
    int m_intervalMs = 0;
    std::array<QLabel *, 49> m_labels{};
    std::array<QPushButton *, 8> m_lamps{};
    std::array<BarGauge *, 5> m_bars{};
    std::array<QWidget *, 5> m_markers{};
    std::map<core::MenuItem, QAction *> m_actions;
    QPointer<QMessageBox> m_openFailure;
    QPointer<ConnectionDialog> m_serverDialog;
    QPointer<ConnectionDialog> m_clientDialog;
};

} // namespace ostrelo::windows
