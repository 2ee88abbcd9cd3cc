// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/engineer_window.h"

#include "windows/qt_text.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ostrelo::windows {
namespace {

// The personal best's line in `m_lines`.
constexpr std::size_t kPersonalBestLine = 3;

QLineSeries *series(const QString &name, const std::vector<double> &x,
                    const std::vector<double> &y) {
    auto *line = new QLineSeries;
    line->setName(name);
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
        // A lap without a time is left out rather than drawn at zero.
        if (y[i] > 0) {
            line->append(x[i], y[i]);
        }
    }
    return line;
}

void replaceSeries(QChart *chart, const std::vector<QLineSeries *> &lines) {
    chart->removeAllSeries();
    for (QLineSeries *line : lines) {
        chart->addSeries(line);
    }
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    chart->createDefaultAxes();
}

} // namespace

EngineerWindow::EngineerWindow(const i18n::Texts &t, double twipsPerPixel, QWidget *parent)
    : QWidget(parent, Qt::Window) {
    auto *layout = new QVBoxLayout(this);
    for (QLabel *&line : m_lines) {
        line = new QLabel(this);
        line->setTextFormat(Qt::PlainText);
    }
    // The tank's capacity beside what is said about fuel.
    for (const std::size_t line : {0U, 1U, 2U, 6U, 3U, 4U, 5U}) {
        layout->addWidget(m_lines[line]);
    }
    auto *length = new QHBoxLayout;
    m_lengthLabel = new QLabel(this);
    length->addWidget(m_lengthLabel);
    m_kind = new QComboBox(this);
    m_kind->addItems({QString(), QString(), QString()});
    m_amount = new QDoubleSpinBox(this);
    m_amount->setRange(0, 10000);
    m_amount->setDecimals(0);
    m_amount->setEnabled(false);
    length->addWidget(m_amount);
    length->addWidget(m_kind);
    length->addStretch();
    layout->addLayout(length);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &EngineerWindow::lengthChanged);
    connect(m_amount, &QDoubleSpinBox::valueChanged, this, &EngineerWindow::lengthChanged);
    auto *tank = new QHBoxLayout;
    m_tankLabel = new QLabel(this);
    tank->addWidget(m_tankLabel);
    m_tank = new QDoubleSpinBox(this);
    m_tank->setRange(0, 1000);
    m_tank->setDecimals(1);
    m_tank->setSuffix(QStringLiteral(" L"));
    tank->addWidget(m_tank);
    tank->addStretch();
    layout->addLayout(tank);
    connect(m_tank, &QDoubleSpinBox::valueChanged, this, &EngineerWindow::tankChanged);

    m_table = new QTableWidget(this);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(m_table, QString());
    for (QChart *&chart : m_charts) {
        chart = new QChart;
        auto *view = new QChartView(chart, this);
        view->setRenderHint(QPainter::Antialiasing);
        m_tabs->addTab(view, QString());
    }
    layout->addWidget(m_tabs, 1);
    m_export = new QPushButton(this);
    connect(m_export, &QPushButton::clicked, this, &EngineerWindow::exportSession);
    layout->addWidget(m_export, 0, Qt::AlignRight);
    setTexts(t);
    // About the main window's size at design, in its own units.
    resize(static_cast<int>(9720 / twipsPerPixel), static_cast<int>(7935 / twipsPerPixel));
}

void EngineerWindow::setTexts(const i18n::Texts &t) {
    // Two languages may share a word, hardly all of them.
    std::string shown = t.TextEngineerTitle + '\n' + t.TextRaceLength + '\n' + t.TextNoLength +
                        '\n' + t.TextExportCsv + '\n' + t.TextTankCapacity + '\n' +
                        t.TextTankLearned;
    if (shown == m_texts) {
        return;
    }
    m_texts = std::move(shown);
    setWindowTitle(toQString(t.TextEngineerTitle));
    m_lengthLabel->setText(toQString(t.TextRaceLength));
    m_tankLabel->setText(toQString(t.TextTankCapacity));
    m_tank->setSpecialValueText(toQString(t.TextTankLearned));
    const std::string *kinds[] = {&t.TextNoLength, &t.TextLapsUnit, &t.TextMinutesUnit};
    for (int i = 0; i < 3; ++i) {
        m_kind->setItemText(i, toQString(*kinds[i]));
    }
    m_tabs->setTabText(0, toQString(t.TextEngineerTitle));
    const std::string *titles[] = {&t.TextLapTimesPlot, &t.TextFuelPerLap, &t.TextTyresPlot};
    for (std::size_t i = 0; i < m_charts.size(); ++i) {
        m_charts[i]->setTitle(toQString(*titles[i]));
        m_tabs->setTabText(static_cast<int>(i) + 1, toQString(*titles[i]));
    }
    m_export->setText(toQString(t.TextExportCsv));
}

void EngineerWindow::lengthChanged() {
    using Kind = engineer::RaceLength::Kind;
    const int index = m_kind->currentIndex();
    m_amount->setEnabled(index != 0);
    if (onRaceLength) {
        onRaceLength({index == 1   ? Kind::Laps
                      : index == 2 ? Kind::Minutes
                                   : Kind::Unknown,
                      m_amount->value()});
    }
}

void EngineerWindow::tankChanged() {
    if (onTankCapacity) {
        onTankCapacity(engineer::litresFrom(m_tank->value(), m_shown.units));
    }
}

void EngineerWindow::exportSession() {
    const QString path = QFileDialog::getSaveFileName(this, m_export->text(), QString(),
                                                      QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty() || !onExport) {
        return;
    }
    if (const std::string problem = onExport(path.toStdString()); !problem.empty()) {
        QMessageBox::warning(this, windowTitle(), toQString(problem));
    }
}

void EngineerWindow::apply(const engineer::EngineerReport &report) {
    const std::string *texts[] = {&report.fuelPerLap,   &report.lapsOfFuel,  &report.toAdd,
                                  &report.personalBest, &report.againstBest, &report.problem,
                                  &report.tank};
    static_assert(std::size(texts) == std::tuple_size_v<decltype(m_lines)>);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        m_lines[i]->setText(toQString(*texts[i]));
    }
    // The box shows the car's given capacity in the units in force, unless the user is at it.
    if (!m_tank->hasFocus() &&
        (!m_drawn || report.tankGiven != m_shown.tankGiven || report.units != m_shown.units)) {
        const QSignalBlocker quiet(m_tank);
        m_tank->setSuffix(report.units == core::Units::Imperial ? QStringLiteral(" G")
                                                                : QStringLiteral(" L"));
        m_tank->setValue(report.tankGiven);
    }
    if (!m_drawn || report.rows != m_shown.rows || report.best != m_shown.best) {
        drawLaps(report);
    }
    m_shown = report;
    m_drawn = true;
}

void EngineerWindow::drawLaps(const engineer::EngineerReport &report) {
    m_table->setColumnCount(static_cast<int>(report.columns.size()));
    QStringList headers;
    for (const std::string &column : report.columns) {
        headers << toQString(column);
    }
    m_table->setHorizontalHeaderLabels(headers);
    m_table->setRowCount(static_cast<int>(report.rows.size()));
    for (std::size_t row = 0; row < report.rows.size(); ++row) {
        for (std::size_t column = 0; column < report.rows[row].size(); ++column) {
            m_table->setItem(static_cast<int>(row), static_cast<int>(column),
                             new QTableWidgetItem(toQString(report.rows[row][column])));
        }
    }
    m_table->scrollToBottom();

    std::vector<QLineSeries *> times = {
        series(m_charts[0]->title(), report.lapNumbers, report.lapTimes)};
    if (report.best > 0 && !report.lapNumbers.empty()) {
        const double first = report.lapNumbers.front();
        const double last = std::max(report.lapNumbers.back(), first + 1);
        times.push_back(series(m_lines[kPersonalBestLine]->text().section(QLatin1Char(':'), 0, 0),
                               {first, last}, {report.best, report.best}));
    }
    replaceSeries(m_charts[0], times);
    replaceSeries(m_charts[1], {series(m_charts[1]->title(), report.lapNumbers, report.fuelUsed)});
    const char *wheels[] = {"FL", "FR", "RL", "RR"};
    std::vector<QLineSeries *> tyres;
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        tyres.push_back(
            series(QString::fromLatin1(wheels[wheel]), report.lapNumbers, report.tread[wheel]));
    }
    replaceSeries(m_charts[2], tyres);
}

} // namespace ostrelo::windows
