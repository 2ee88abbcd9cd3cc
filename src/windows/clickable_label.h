// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QMouseEvent>

#include <functional>

namespace ostrelo::windows {

/// A picture that does something when clicked, such as the logo opening the home page.
class ClickableLabel : public QLabel {
public:
    using QLabel::QLabel;

    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            onClick) {
            onClick();
        }
        QLabel::mouseReleaseEvent(event);
    }
};

} // namespace ostrelo::windows
