// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/first_paint.h"

#include <QEvent>
#include <QTimer>

namespace ostrelo::windows {
namespace {

class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget *window, std::function<void()> painted)
        : QObject(window), m_painted(std::move(painted)) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The children paint in the same pass, after the window: report once it is over.
            QTimer::singleShot(0, this, [this] {
                m_painted();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> m_painted;
};

} // namespace

void onFirstPaint(QWidget *window, std::function<void()> painted) {
    new FirstPaintWatch(window, std::move(painted));
}

} // namespace ostrelo::windows
