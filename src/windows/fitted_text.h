// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

namespace ostrelo::windows {

/// The largest pixel size, at most `designPixels`, at which `text` in `font` is no wider than
/// `box` and no taller than its height; at least 1. Shrinks only as much as needed.
int fittingPixelSize(QFont font, int designPixels, const QString &text, QSize box);

/// The fitted sizes a widget has found, by text. Laying a text out is the dearest part of
/// showing it, and values repeat: where every digit of the font is as wide as the others, a
/// text stands for all those that differ from it in digits alone ("67" for "12").
class FitMemory {
public:
    /// The size remembered for `text`, or 0.
    int find(const QFont &font, const QString &text);
    void remember(const QString &text, int pixels);
    /// Forgets everything: the room or the design size changed.
    void clear() { m_sizes.clear(); }

private:
    QString key(const QString &text) const;

    QHash<QString, int> m_sizes;
    bool m_evenDigits = false;
};

/// The room a lamp's caption has inside its border, in pixels.
QSize lampTextBox(QSize lamp);

/// A widget whose font has a design size and shrinks, only as far as needed, so that its
/// text always fits the room it has: a text is never clipped, whatever the language or the
/// window size.
template <typename Widget> class FittedText : public Widget {
public:
    explicit FittedText(QWidget *parent) : Widget(parent) {}

    /// The font size the design asks for at the present window size, in pixels.
    void setDesignPixelSize(int pixels) {
        m_designPixels = pixels;
        m_fits.clear();
        fit();
    }

protected:
    void resizeEvent(QResizeEvent *event) override {
        Widget::resizeEvent(event);
        m_fits.clear();
        fit();
    }

    void fit() {
        if (m_designPixels <= 0) {
            return;
        }
        const QString text = shownText();
        int pixels = m_fits.find(this->font(), text);
        if (pixels == 0) {
            pixels = fittingPixelSize(this->font(), m_designPixels, text, textBox());
            m_fits.remember(text, pixels);
        }
        if (this->font().pixelSize() != pixels) {
            QFont font = this->font();
            font.setPixelSize(pixels);
            this->setFont(font);
        }
    }

private:
    virtual QString shownText() const = 0;
    virtual QSize textBox() const = 0;

    int m_designPixels = 0;
    FitMemory m_fits;
};

/// A label that fits its text. Texts are plain: markup in a name from the game or a peer
/// shows as it is.
class FittedLabel : public FittedText<QLabel> {
public:
    explicit FittedLabel(QWidget *parent);
    /// Shows `text`, fitting the font to it when it changed.
    void showText(const QString &text);

private:
    QString shownText() const override { return text(); }
    QSize textBox() const override;
};

/// A lamp: a button that fits its caption; "&" in a caption is shown, never taken as a
/// keyboard mnemonic.
class FittedButton : public FittedText<QPushButton> {
public:
    using FittedText::FittedText;
    /// Shows `text`, fitting the font to it when it changed.
    void showText(const QString &text);

private:
    QString shownText() const override { return m_caption; }
    QSize textBox() const override { return lampTextBox(size()); }

    QString m_caption;
};

/// Shrinks the font of `widget` from `designPixels` until its size hint fits its width
/// (for controls such as option buttons, whose text shares the width with an indicator).
void fitToWidth(QWidget *widget, int designPixels);

} // namespace ostrelo::windows
