// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/error.h"
#include "dashboard/debug_lines.h"

#include <QWidget>

#include <array>
#include <string>

class QLabel;

namespace ostrelo::windows {

/// The debug window `Depuracio`: six raw values of the last sample, the time the last
/// processing run took and the last error any routine reported.
class DebugWindow : public QWidget {
    Q_OBJECT

public:
    /// `twipsPerPixel` places the labels at their design positions.
    explicit DebugWindow(double twipsPerPixel, QWidget *parent = nullptr);

    /// Shows the debug lines written so far; a line never written keeps its label as it is.
    void apply(const dashboard::DebugLines &lines);
    /// The error line: "<source> has generated an error in the module <routine>".
    void showError(const std::string &source, const std::string &routine);

    /// The label `LabelN` of this window (1 to 9, 20, 21).
    QLabel *line(int label) const;

private:
    std::array<QLabel *, 22> m_labels{};
};

/// The debug window's part of the common error reporter: while `depurar` is true, each
/// report replaces the error line; otherwise nothing is shown.
core::ErrorReporter::Sink errorLineSink(const bool &depurar, DebugWindow &window);

} // namespace ostrelo::windows
