// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/standings_window.h"

#include "windows/qt_text.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ostrelo::windows {
namespace {

constexpr int kColumns = 8;
// The fastest lap of the field, as timing screens mark it.
const QColor kOverallBest(128, 0, 160);
const QColor kFollowed(255, 236, 150);

} // namespace

StandingsWindow::StandingsWindow(double twipsPerPixel, QWidget *parent)
    : QWidget(parent, Qt::Window) {
    auto *layout = new QVBoxLayout(this);
    m_table = new QTableWidget(0, kColumns, this);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->verticalHeader()->hide();
    // Each column as wide as what it shows; the driver's name takes what is left.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    layout->addWidget(m_table);
    // About the main window's width at design, and the height of a field of twelve cars.
    resize(static_cast<int>(9720 / twipsPerPixel), static_cast<int>(7400 / twipsPerPixel));
}

void StandingsWindow::apply(const i18n::Texts &texts,
                            const std::vector<standings::TowerLine> &lines) {
    if (texts.TextStandingsColumns != m_columns) {
        m_columns = texts.TextStandingsColumns;
        setWindowTitle(toQString(texts.TextStandingsTitle));
        m_table->setHorizontalHeaderLabels(toQString(m_columns).split(QLatin1Char(',')));
        m_shown.clear();
    }
    if (lines == m_shown && m_table->rowCount() == static_cast<int>(lines.size())) {
        return;
    }
    m_table->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        const standings::TowerLine &line = lines[static_cast<std::size_t>(row)];
        const std::string *cells[kColumns] = {&line.place, &line.driver, &line.car, &line.laps,
                                              &line.best,  &line.last,   &line.gap, &line.pits};
        for (int column = 0; column < kColumns; ++column) {
            QTableWidgetItem *item = m_table->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                m_table->setItem(row, column, item);
            }
            item->setText(toQString(*cells[column]));
            QFont font = item->font();
            font.setBold(line.followed || (column == 4 && line.overallBest));
            item->setFont(font);
            item->setBackground(line.followed ? QBrush(kFollowed) : QBrush());
            item->setForeground(column == 4 && line.overallBest ? QBrush(kOverallBest) : QBrush());
            // Numbers and times line up on the right, names and the pit mark on the left.
            const bool number = column == 0 || (column >= 3 && column <= 6);
            item->setTextAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
        }
    }
    m_shown = lines;
}

} // namespace ostrelo::windows
