// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/bar_gauge.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ostrelo::windows {

BarGauge::BarGauge(bool vertical, QColor barColour, QWidget *parent)
    : QWidget(parent), m_vertical(vertical), m_barColour(std::move(barColour)) {
    // Every pixel is painted here: what lies beneath is never painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// Value, maximum and text change only what lies inside the frame. The frame stays, so
// neighbours that touch it (the lamp row under the engine-speed bar) are not repainted.
void BarGauge::updateInside() {
    update(rect().adjusted(1, 1, -1, -1));
}

void BarGauge::setValue(double value) {
    // A new value whose fill covers the same pixels changes nothing on the screen.
    const QRect before = filledRect();
    m_value = value;
    if (filledRect() != before) {
        updateInside();
    }
}

void BarGauge::setMaximum(double maximum) {
    const QRect before = filledRect();
    m_maximum = maximum;
    if (filledRect() != before) {
        updateInside();
    }
}

void BarGauge::setText(const QString &text) {
    if (text != m_text) {
        m_text = text;
        m_layout.setText(text);
        m_layout.setTextFormat(Qt::PlainText);
        updateInside();
    }
}

void BarGauge::setBackground(const QColor &colour) {
    m_background = colour;
    update();
}

QRect BarGauge::filledRect() const {
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    double fraction = m_maximum > 0 ? m_value / m_maximum : 0;
    if (!std::isfinite(fraction)) {
        fraction = 0;
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (m_vertical) {
        const int filled = static_cast<int>(std::lround(inner.height() * fraction));
        return {inner.left(), inner.bottom() - filled + 1, inner.width(), filled};
    }
    const int filled = static_cast<int>(std::lround(inner.width() * fraction));
    return {inner.left(), inner.top(), filled, inner.height()};
}

void BarGauge::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect filled = filledRect();
    painter.fillRect(filled, m_barColour);
    if (m_text.isEmpty()) {
        return;
    }
    // The text is drawn twice, each time clipped to one part, in a colour that stands out
    // from that part, so that it reads the same wherever the bar ends.
    const QColor onEmpty = palette().color(QPalette::WindowText);
    const QColor onFilled = m_barColour.lightnessF() > 0.6 ? QColor(Qt::black) : QColor(Qt::white);
    painter.setFont(font());
    m_layout.prepare(painter.transform(), font());
    const QSizeF size = m_layout.size();
    const QPointF at((width() - size.width()) / 2, (height() - size.height()) / 2);
    painter.save();
    painter.setClipRegion(QRegion(rect()).subtracted(filled));
    painter.setPen(onEmpty);
    painter.drawStaticText(at, m_layout);
    painter.restore();
    painter.setClipRect(filled);
    painter.setPen(onFilled);
    painter.drawStaticText(at, m_layout);
}

} // namespace ostrelo::windows
