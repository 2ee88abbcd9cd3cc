// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/engineer_window.h"

#include "windows/qt_text.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
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
    auto *plan = new QHBoxLayout;
    m_reserveLabel = new QLabel(this);
    plan->addWidget(m_reserveLabel);
    m_reserve = new QSpinBox(this);
    m_reserve->setRange(0, engineer::kMostReserveLaps);
    m_reserve->setValue(engineer::FuelPlan{}.reserveLaps);
    plan->addWidget(m_reserve);
    m_highest = new QCheckBox(this);
    plan->addWidget(m_highest);
    plan->addStretch();
    layout->addLayout(plan);
    connect(m_reserve, &QSpinBox::valueChanged, this, &EngineerWindow::planChanged);
    connect(m_highest, &QCheckBox::toggled, this, &EngineerWindow::planChanged);

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
    // The radio: on or off, its volume, each kind of call, and the latest calls.
    auto *radioPage = new QWidget(this);
    auto *radioLayout = new QVBoxLayout(radioPage);
    auto *radioTop = new QHBoxLayout;
    m_radio = new QCheckBox(radioPage);
    m_mute = new QCheckBox(radioPage);
    m_volumeLabel = new QLabel(radioPage);
    m_volume = new QSlider(Qt::Horizontal, radioPage);
    m_volume->setRange(0, 100);
    for (QWidget *widget :
         std::initializer_list<QWidget *>{m_radio, m_mute, m_volumeLabel, m_volume}) {
        radioTop->addWidget(widget);
    }
    radioLayout->addLayout(radioTop);
    auto *kinds = new QHBoxLayout;
    for (QCheckBox *&kind : m_kinds) {
        kind = new QCheckBox(radioPage);
        kinds->addWidget(kind);
        connect(kind, &QCheckBox::toggled, this, &EngineerWindow::radioChanged);
    }
    kinds->addStretch();
    radioLayout->addLayout(kinds);
    m_noVoice = new QLabel(radioPage);
    m_noVoice->setWordWrap(true);
    m_noVoice->hide();
    radioLayout->addWidget(m_noVoice);
    m_radioLines = new QListWidget(radioPage);
    radioLayout->addWidget(m_radioLines, 1);
    m_tabs->addTab(radioPage, QString());
    connect(m_radio, &QCheckBox::toggled, this, &EngineerWindow::radioChanged);
    connect(m_mute, &QCheckBox::toggled, this, &EngineerWindow::radioChanged);
    connect(m_volume, &QSlider::valueChanged, this, &EngineerWindow::radioChanged);
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
                        t.TextTankLearned + '\n' + t.TextRadioKinds + '\n' + t.TextReserveLaps;
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
    m_reserveLabel->setText(toQString(t.TextReserveLaps));
    m_highest->setText(toQString(t.TextHighestLap));
    m_radio->setText(toQString(t.TextRadioMenu));
    m_mute->setText(toQString(t.TextRadioMute));
    m_volumeLabel->setText(toQString(t.TextRadioVolume));
    m_tabs->setTabText(static_cast<int>(m_charts.size()) + 1, toQString(t.TextRadioLines));
    const QStringList callKinds = toQString(t.TextRadioKinds).split(QLatin1Char(','));
    for (std::size_t i = 0; i < m_kinds.size(); ++i) {
        m_kinds[i]->setText(callKinds.value(static_cast<int>(i)));
    }
}

void EngineerWindow::applyRadio(const engineer::FuelPlan &plan,
                                const radio::RadioSettings &settings,
                                const std::deque<radio::Call> &lines, const std::string &noVoice) {
    {
        const QSignalBlocker quietReserve(m_reserve);
        const QSignalBlocker quietHighest(m_highest);
        if (!m_reserve->hasFocus()) {
            m_reserve->setValue(plan.reserveLaps);
        }
        m_highest->setChecked(plan.highest);
    }
    const std::vector<QWidget *> boxes = {m_radio, m_mute, m_volume};
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (QWidget *box : boxes) {
        quiet.push_back(std::make_unique<QSignalBlocker>(box));
    }
    for (QCheckBox *kind : m_kinds) {
        quiet.push_back(std::make_unique<QSignalBlocker>(kind));
    }
    m_radio->setChecked(settings.enabled);
    m_mute->setChecked(settings.muted);
    if (!m_volume->isSliderDown()) {
        m_volume->setValue(settings.volume);
    }
    for (std::size_t i = 0; i < m_kinds.size(); ++i) {
        m_kinds[i]->setChecked(settings.kinds.contains(static_cast<radio::CallKind>(i)));
    }
    m_noVoice->setText(toQString(noVoice));
    m_noVoice->setVisible(!noVoice.empty());
    if (lines != m_linesShown) {
        m_radioLines->clear();
        for (const radio::Call &call : lines) {
            const QString time =
                QDateTime::fromMSecsSinceEpoch(call.timeMs).toString(QStringLiteral("HH:mm:ss"));
            m_radioLines->addItem(time + QStringLiteral("  ") + toQString(call.text));
        }
        m_linesShown = lines;
    }
}

void EngineerWindow::planChanged() {
    if (onFuelPlan) {
        onFuelPlan({m_reserve->value(), m_highest->isChecked()});
    }
}

void EngineerWindow::radioChanged() {
    if (!onRadio) {
        return;
    }
    radio::RadioSettings settings;
    settings.enabled = m_radio->isChecked();
    settings.muted = m_mute->isChecked();
    settings.volume = m_volume->value();
    settings.kinds.clear();
    for (std::size_t i = 0; i < m_kinds.size(); ++i) {
        if (m_kinds[i]->isChecked()) {
            settings.kinds.insert(static_cast<radio::CallKind>(i));
        }
    }
    onRadio(settings);
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
