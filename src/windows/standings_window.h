// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i18n/texts.h"
#include "standings/tower_lines.h"

#include <QWidget>

#include <string>
#include <vector>

class QTableWidget;

namespace ostrelo::windows {

/// The timing tower of the whole field: one row a car in race order, the followed car
/// highlighted and the fastest lap of the field marked.
class StandingsWindow : public QWidget {
    Q_OBJECT

public:
    explicit StandingsWindow(double twipsPerPixel, QWidget *parent = nullptr);

    /// Draws `lines` under the title and column titles of `texts`; nothing when neither
    /// changed.
    void apply(const i18n::Texts &texts, const std::vector<standings::TowerLine> &lines);

    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table = nullptr;
    std::string m_columns;
    std::vector<standings::TowerLine> m_shown;
};

} // namespace ostrelo::windows
