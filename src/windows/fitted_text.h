// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QStaticText>

#include <utility>

namespace ostrelo::windows {

/// The smallest size, in pixels, at which the program draws a text: a text that does not fit
/// its room at this size is cut short with "…" rather than shrunk further.
inline constexpr int kSmallestTextPixels = 9;

/// The largest pixel size, at most `designPixels`, at which `text` in `font` is no wider than
/// `box` and no taller than its height, but not below `kSmallestTextPixels` (nor below
/// `designPixels` when that is smaller); at least 1. Shrinks only as much as needed.
int fittingPixelSize(QFont font, int designPixels, const QString &text, QSize box);

/// `text` when it is no wider than `width` pixels in `font`; else its start, as much as fits
/// with "…".
QString textWithin(const QFont &font, const QString &text, int width);

/// The fitted sizes a widget has found, by text. Laying a text out is the dearest part of
/// showing it, and values repeat: where every digit of the font is as wide as the others, a
/// text stands for all those that differ from it in digits alone ("67" for "12").
class FitMemory {
public:
    /// The size remembered for `text`, or 0.
    int find(const QFont &font, const QString &text);
    void remember(const QString &text, int pixels);
    /// Forgets everything: the room or the design size changed.
    void clear() {
        m_sizes.clear();
        m_last = {};
    }

private:
    QString key(const QString &text) const;

    QHash<QString, int> m_sizes;
    // The last text's key and size: a value that changes in its digits alone is answered
    // without hashing.
    std::pair<QString, int> m_last;
    bool m_evenDigits = false;
};

/// The room a lamp's caption has inside its border, in pixels.
QSize lampTextBox(QSize lamp);

/// A widget whose font has a design size and shrinks, only as far as needed, so that its
/// text always fits the room it has: a text is never clipped, whatever the language or the
/// window size. Below `kSmallestTextPixels` it shrinks no further: the end of a text too long
/// for its room is left out, and "…" says so.
template <typename Widget> class FittedText : public Widget {
public:
    explicit FittedText(QWidget *parent) : Widget(parent) {}

    /// The font size the design asks for at the present window size, in pixels.
    void setDesignPixelSize(int pixels) {
        if (pixels == m_designPixels) {
            return;
        }
        m_designPixels = pixels;
        m_fits.clear();
        fit();
    }

protected:
    void resizeEvent(QResizeEvent *event) override {
        Widget::resizeEvent(event);
        // A size set while hidden comes again when shown: fitted once already.
        if (event->size() == m_fittedFor) {
            return;
        }
        m_fits.clear();
        fit();
    }

    void fit() {
        const QString text = shownText();
        if (m_designPixels <= 0) {
            draw(text);
            return;
        }
        m_fittedFor = this->size();
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
        // Only a text at the smallest size can be too long for its room.
        draw(pixels > kSmallestTextPixels ? text
                                          : textWithin(this->font(), text, textBox().width()));
    }

private:
    /// The whole text to show.
    virtual QString shownText() const = 0;
    virtual QSize textBox() const = 0;
    /// Draws `text`, the whole text or its start.
    virtual void draw(const QString &text) = 0;

    int m_designPixels = 0;
    QSize m_fittedFor;
    FitMemory m_fits;
};

/// A label that fits its text. Texts are plain: markup in a name from the game or a peer
/// shows as it is.
class FittedLabel : public FittedText<QLabel> {
public:
    explicit FittedLabel(QWidget *parent);
    /// Shows `text`, fitting the font to it when it changed.
    void showText(const QString &text);

protected:
    /// The frame, then the text laid out once for each text and font, not at every paint.
    void paintEvent(QPaintEvent *event) override;

private:
    QString shownText() const override { return m_whole; }
    QSize textBox() const override;
    void draw(const QString &text) override;

    QString m_whole;
    QStaticText m_layout;
    QFont m_layoutFont;
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
    void draw(const QString &text) override;

    QString m_caption;
};

} // namespace ostrelo::windows
