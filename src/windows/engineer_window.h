// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engineer/engineer_report.h"
#include "engineer/fuel_figures.h"
#include "i18n/texts.h"
#include "radio/radio.h"

#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QChart;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace ostrelo::windows {

/// The race engineer's window: fuel figures, the session's laps, the personal best and the
/// plots of a stint. It draws an `EngineerReport` and hands the race length, the tank capacity
/// and the export back to the program.
class EngineerWindow : public QWidget {
    Q_OBJECT

public:
    EngineerWindow(const i18n::Texts &texts, double twipsPerPixel, QWidget *parent = nullptr);

    /// Draws `report`; the table and plots only when the laps changed, the tank capacity box
    /// when the car's given capacity changed and the user is not typing in it.
    void apply(const engineer::EngineerReport &report);
    /// Takes the window's own texts (title, race length, tabs, plots, export) from `texts`.
    void setTexts(const i18n::Texts &texts);
    /// Shows the fuel plan and the radio as the program has them, with the radio's latest
    /// calls (newest first, their times in milliseconds since 1970) and why there is no voice
    /// when there is none; boxes the user is at are left alone.
    void applyRadio(const engineer::FuelPlan &plan, const radio::RadioSettings &settings,
                    const std::deque<radio::Call> &lines, const std::string &noVoice);

    /// The race length the user gives.
    std::function<void(const engineer::RaceLength &length)> onRaceLength;
    /// The tank capacity the user gives for the car now driven, in litres; 0 leaves it to be
    /// learned.
    std::function<void(double litres)> onTankCapacity;
    /// Writes the session's laps as CSV to the file at `path`; an empty text, or why not.
    std::function<std::string(const std::string &path)> onExport;
    /// The fuel plan and the radio's settings the user chose.
    std::function<void(const engineer::FuelPlan &plan)> onFuelPlan;
    std::function<void(const radio::RadioSettings &settings)> onRadio;

    QLabel *line(int index) const { return m_lines.at(static_cast<std::size_t>(index)); }
    QTableWidget *table() const { return m_table; }
    QComboBox *lengthKind() const { return m_kind; }
    QDoubleSpinBox *lengthAmount() const { return m_amount; }
    QDoubleSpinBox *tankBox() const { return m_tank; }
    QChart *chart(int index) const { return m_charts.at(static_cast<std::size_t>(index)); }
    QSpinBox *reserveBox() const { return m_reserve; }
    QCheckBox *highestBox() const { return m_highest; }
    QCheckBox *radioBox() const { return m_radio; }
    QCheckBox *muteBox() const { return m_mute; }
    QSlider *volumeSlider() const { return m_volume; }
    QCheckBox *kindBox(radio::CallKind kind) const {
        return m_kinds.at(static_cast<std::size_t>(kind));
    }
    QListWidget *radioLines() const { return m_radioLines; }
    QLabel *noVoiceLine() const { return m_noVoice; }

private:
    void lengthChanged();
    void tankChanged();
    void exportSession();
    void drawLaps(const engineer::EngineerReport &report);
    void planChanged();
    void radioChanged();

    // Fuel per lap, laps of fuel, fuel to add, personal best, against best, problem, tank.
    std::array<QLabel *, 7> m_lines{};
    QComboBox *m_kind = nullptr;
    QDoubleSpinBox *m_amount = nullptr;
    QTableWidget *m_table = nullptr;
    std::array<QChart *, 3> m_charts{};
    QPushButton *m_export = nullptr;
    QLabel *m_lengthLabel = nullptr;
    QDoubleSpinBox *m_tank = nullptr;
    QLabel *m_tankLabel = nullptr;
    QTabWidget *m_tabs = nullptr;
    QLabel *m_reserveLabel = nullptr;
    QSpinBox *m_reserve = nullptr;
    QCheckBox *m_highest = nullptr;
    QCheckBox *m_radio = nullptr;
    QCheckBox *m_mute = nullptr;
    QLabel *m_volumeLabel = nullptr;
    QSlider *m_volume = nullptr;
    std::array<QCheckBox *, radio::kCallKindCount> m_kinds{};
    QListWidget *m_radioLines = nullptr;
    QLabel *m_noVoice = nullptr;
    std::deque<radio::Call> m_linesShown;
    std::string m_texts; // the texts in force
    engineer::EngineerReport m_shown;
    bool m_drawn = false;
};

} // namespace ostrelo::windows
