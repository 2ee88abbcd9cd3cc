// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/fitted_text.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace ostrelo::windows {

int fittingPixelSize(QFont font, int designPixels, const QString &text, QSize box) {
    int size = std::max(1, designPixels);
    const int smallest = std::min(size, kSmallestTextPixels);
    while (size > smallest) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(text);
        if (width <= box.width() && metrics.height() <= box.height()) {
            break;
        }
        // Jump close to the answer, then step down: advances do not scale exactly.
        const int guess = width > box.width() && width > 0 ? size * box.width() / width : size;
        size = std::max(smallest, std::min(size - 1, guess + 1));
    }
    return size;
}

QString textWithin(const QFont &font, const QString &text, int width) {
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(text) <= width
               ? text
               : metrics.elidedText(text, Qt::ElideRight, std::max(0, width));
}

int FitMemory::find(const QFont &font, const QString &text) {
    if (m_sizes.isEmpty()) {
        // Whether the font's digits share one advance, looked at once for each fill.
        const QFontMetrics metrics(font);
        const int zero = metrics.horizontalAdvance(QLatin1Char('0'));
        m_evenDigits = true;
        for (char digit = '1'; digit <= '9'; ++digit) {
            m_evenDigits = m_evenDigits && metrics.horizontalAdvance(QLatin1Char(digit)) == zero;
        }
    }
    QString found = key(text);
    if (found != m_last.first) {
        m_last = {std::move(found), 0};
        m_last.second = m_sizes.value(m_last.first, 0);
    }
    return m_last.second;
}

void FitMemory::remember(const QString &text, int pixels) {
    // A text that keeps changing in letters too (a peer's names) cannot fill it without end.
    if (m_sizes.size() >= 512) {
        m_sizes.clear();
    }
    m_last = {key(text), pixels};
    m_sizes.insert(m_last.first, pixels);
}

QString FitMemory::key(const QString &text) const {
    if (!m_evenDigits) {
        return text;
    }
    QString key = text;
    for (QChar &c : key) {
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9')) {
            c = QLatin1Char('0');
        }
    }
    return key;
}

QSize lampTextBox(QSize lamp) {
    // One pixel of border and two of air on each side.
    return {std::max(0, lamp.width() - 6), std::max(0, lamp.height() - 2)};
}

FittedLabel::FittedLabel(QWidget *parent) : FittedText(parent) {
    setTextFormat(Qt::PlainText);
    setIndent(0);
}

void FittedLabel::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    const QString shown = text();
    if (shown.isEmpty()) {
        return;
    }
    if (m_layout.text() != shown || m_layoutFont != font()) {
        m_layout.setTextFormat(Qt::PlainText);
        m_layout.setText(shown);
        m_layoutFont = font();
        m_layout.prepare(QTransform(), m_layoutFont);
    }
    const QRectF room = contentsRect();
    const QSizeF size = m_layout.size();
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    const qreal x = align & Qt::AlignLeft    ? room.left()
                    : align & Qt::AlignRight ? room.right() + 1 - size.width()
                                             : room.left() + (room.width() - size.width()) / 2;
    const qreal y = align & Qt::AlignTop      ? room.top()
                    : align & Qt::AlignBottom ? room.bottom() + 1 - size.height()
                                              : room.top() + (room.height() - size.height()) / 2;
    painter.setFont(m_layoutFont);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawStaticText(QPointF(x, y), m_layout);
}

void FittedLabel::showText(const QString &text) {
    if (text != m_whole) {
        m_whole = text;
        fit();
    }
}

void FittedLabel::draw(const QString &text) {
    if (text != this->text()) {
        setText(text);
    }
}

QSize FittedLabel::textBox() const {
    // A pixel of air on each side keeps the text off its neighbours, whose boxes may touch
    // this one. The frame is drawn over the line's edge, never across its glyphs: the height
    // counts to the outer edge.
    return {contentsRect().width() - 2, height()};
}

void FittedButton::showText(const QString &text) {
    if (text != m_caption) {
        m_caption = text;
        fit();
    }
}

void FittedButton::draw(const QString &text) {
    const QString escaped = QString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (escaped != this->text()) {
        setText(escaped);
    }
}

} // namespace ostrelo::windows
