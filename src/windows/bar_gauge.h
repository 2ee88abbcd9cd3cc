// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QStaticText>
#include <QString>
#include <QWidget>

namespace ostrelo::windows {

/// A bar gauge with a value, a maximum (the value of a full bar, the minimum being 0) and a
/// text drawn centred over the bar, readable on the filled and on the empty part alike.
class BarGauge : public QWidget {
    Q_OBJECT

public:
    BarGauge(bool vertical, QColor barColour, QWidget *parent = nullptr);

    void setValue(double value);
    void setMaximum(double maximum);
    void setText(const QString &text);
    void setBackground(const QColor &colour);

    double value() const { return m_value; }
    double maximum() const { return m_maximum; }
    QString text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect filledRect() const;
    void updateInside();

    bool m_vertical;
    QColor m_barColour;
    QColor m_background = Qt::black;
    double m_value = 0;
    double m_maximum = 100;
    QString m_text;
    // The text laid out once per change rather than on every paint.
    QStaticText m_layout;
};

} // namespace ostrelo::windows
