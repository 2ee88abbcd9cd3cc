// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPushButton>

namespace ostrelo::windows {

/// The largest pixel size, at most `designPixels`, at which `text` in `font` is no wider than
/// `box` and no taller than its height; at least 1. Shrinks only as much as needed.
int fittingPixelSize(QFont font, int designPixels, const QString &text, QSize box);

/// The room a lamp's caption has inside its border, in pixels.
QSize lampTextBox(QSize lamp);

/// A label whose font has a design size and shrinks, only as far as needed, so that its text
/// always fits its box: a text is never clipped, whatever the language or window size.
/// Texts are plain: markup in a name from the game or a peer shows as it is.
class FittedLabel : public QLabel {
public:
    explicit FittedLabel(QWidget *parent);

    /// The font size the design asks for at the present window size, in pixels.
    void setDesignPixelSize(int pixels);
    /// Shows `text`, fitting the font to it when it changed.
    void showText(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fit();
    int m_designPixels = 0;
};

/// A lamp: a button whose caption fits the same way; "&" in a caption is shown, never taken
/// as a keyboard mnemonic.
class FittedButton : public QPushButton {
public:
    explicit FittedButton(QWidget *parent);

    void setDesignPixelSize(int pixels);
    void showText(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fit();
    int m_designPixels = 0;
    QString m_caption;
};

/// Shrinks the font of `widget` from `designPixels` until its size hint fits its width
/// (for controls such as option buttons, whose text shares the width with an indicator).
void fitToWidth(QWidget *widget, int designPixels);

} // namespace ostrelo::windows
