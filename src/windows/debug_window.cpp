// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/debug_window.h"

#include "windows/qt_text.h"

#include <QLabel>

#include <cmath>

namespace ostrelo::windows {
namespace {

struct DebugLine {
    int label;
    int left;
    int top;
    int width;
    int height;
};

// Design positions in twips: value lines 1 to 9, the elapsed time, the error line.
constexpr DebugLine kLines[] = {
    {1, 120, 120, 3735, 255},  {2, 120, 360, 3735, 255},  {3, 120, 600, 3735, 255},
    {4, 120, 840, 3735, 255},  {5, 120, 1080, 3735, 255}, {6, 120, 1320, 3735, 255},
    {7, 120, 1560, 3735, 255}, {8, 120, 1800, 3735, 255}, {9, 120, 2040, 3735, 255},
    {20, 0, 6120, 3975, 735},  {21, 0, 7080, 3975, 855},
};

} // namespace

DebugWindow::DebugWindow(double twipsPerPixel, QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Depuracio"));
    setWindowTitle(QStringLiteral("Depurar"));
    auto px = [twipsPerPixel](int twips) {
        return static_cast<int>(std::lround(twips / twipsPerPixel));
    };
    for (const DebugLine &line : kLines) {
        auto *label = new QLabel(line.label <= 9 ? QStringLiteral(".") : QString(), this);
        // Raw values include names from the game: shown as they are, never as markup.
        label->setTextFormat(Qt::PlainText);
        label->setObjectName(QStringLiteral("Label%1").arg(line.label));
        label->setGeometry(px(line.left), px(line.top), px(line.width), px(line.height));
        label->setWordWrap(line.label >= 20);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_labels.at(static_cast<std::size_t>(line.label)) = label;
    }
    setFixedSize(px(4095), px(8055));
}

QLabel *DebugWindow::line(int label) const {
    return m_labels.at(static_cast<std::size_t>(label));
}

void DebugWindow::apply(const dashboard::DebugLines &lines) {
    for (std::size_t number = 1; number < lines.line.size(); ++number) {
        const std::string &text = lines.line[number];
        QLabel *target = line(static_cast<int>(number));
        if (!text.empty() && target && target->text() != toQString(text)) {
            target->setText(toQString(text));
        }
    }
}

void DebugWindow::showError(const std::string &source, const std::string &routine) {
    line(21)->setText(toQString(source + " has generated an error in the module " + routine));
}

core::ErrorReporter::Sink errorLineSink(const bool &depurar, DebugWindow &window) {
    return [&depurar, &window](const core::ErrorReport &report) {
        if (depurar) {
            window.showError(report.source, report.routine);
        }
    };
}

} // namespace ostrelo::windows
