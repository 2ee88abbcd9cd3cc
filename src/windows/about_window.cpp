// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/about_window.h"

#include "windows/clickable_label.h"
#include "windows/qt_text.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QPushButton>
#include <QUrl>

namespace ostrelo::windows {

void OpenWeb(const char *address) {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(address)));
}

AboutWindow::AboutWindow(const i18n::Texts &texts, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("About_Ostrelo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(toQString(texts.TextAboutTitle));

    auto *logo = new ClickableLabel(this);
    logo->setObjectName(QStringLiteral("Picture1"));
    logo->setPixmap(QPixmap(QStringLiteral(":/logo.png")));
    logo->setCursor(Qt::PointingHandCursor);
    logo->onClick = [] { OpenWeb(kProjectHomePage); };
    m_logo = logo;

    // The version is part of the program's name here, the same in every language.
    m_title = new QLabel(QStringLiteral("Ostrelo 1.1.1.20"), this);
    m_title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont(QStringLiteral("Comic Sans MS"));
    titleFont.setPointSizeF(15.75);
    m_title->setFont(titleFont);
    m_title->setAlignment(Qt::AlignCenter);

    m_description = new QLabel(toQString(texts.TextAboutDescription), this);
    m_description->setObjectName(QStringLiteral("lblDescription"));
    m_description->setWordWrap(true);

    auto *separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    m_credit = new QLabel(toQString(texts.TextAboutCredit), this);
    m_credit->setObjectName(QStringLiteral("lblDisclaimer"));
    m_credit->setWordWrap(true);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_logo, 0, 0);
    grid->addWidget(m_title, 0, 1);
    grid->addWidget(m_description, 1, 0, 1, 2);
    grid->addWidget(separator, 2, 0, 1, 2);
    grid->addWidget(m_credit, 3, 0);
    grid->addWidget(ok, 3, 1, Qt::AlignRight | Qt::AlignBottom);
    setMinimumWidth(460);
}

} // namespace ostrelo::windows
