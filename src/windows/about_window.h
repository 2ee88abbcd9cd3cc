// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i18n/texts.h"

#include <QDialog>

class QLabel;

namespace ostrelo::windows {

/// The project's home page, opened by a click on the logo.
inline constexpr const char *kProjectHomePage = "https://github.com/ostrelo/ostrelo";

/// Opens `address` in the user's web browser; the outcome is not reported.
void OpenWeb(const char *address);

/// The About window `About_Ostrelo`: logo, name and version, the description and the credit
/// line in the language in force when it opens. Non-modal; closed by OK or its frame.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    AboutWindow(const i18n::Texts &texts, QWidget *parent);

    QLabel *titleLabel() const { return m_title; }
    QLabel *descriptionLabel() const { return m_description; }
    QLabel *creditLabel() const { return m_credit; }
    QLabel *logo() const { return m_logo; }

private:
    QLabel *m_title;
    QLabel *m_description;
    QLabel *m_credit;
    QLabel *m_logo;
};

} // namespace ostrelo::windows
