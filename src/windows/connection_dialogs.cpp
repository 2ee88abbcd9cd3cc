// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/connection_dialogs.h"

#include "windows/qt_text.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrelo::windows {

ConnectionDialog::ConnectionDialog(const i18n::Texts &texts, const std::string *ip,
                                   const std::string &port, Confirm confirm, QWidget *parent)
    : QDialog(parent), m_confirm(std::move(confirm)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(toQString(ip ? texts.TextClientDialogTitle : texts.TextServerDialogTitle));
    auto *form = new QFormLayout;
    if (ip) {
        setObjectName(QStringLiteral("Intro_IP"));
        m_address = new QLineEdit(toQString(*ip), this);
        m_address->setObjectName(QStringLiteral("Text1"));
        form->addRow(new QLabel(toQString(texts.TextIPCaption), this), m_address);
    } else {
        setObjectName(QStringLiteral("Intro_Port"));
    }
    m_port = new QLineEdit(toQString(port), this);
    m_port->setObjectName(QStringLiteral("Text2"));
    form->addRow(new QLabel(toQString(texts.TextPortCaption), this), m_port);
    if (!ip) {
        auto *help = new QLabel(toQString(texts.TextPortHelp), this);
        help->setObjectName(QStringLiteral("PortHelp"));
        help->setWordWrap(true);
        help->setTextFormat(Qt::PlainText);
        form->addRow(help);
    }
    auto *ok = new QPushButton(toQString(texts.TextOK), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &ConnectionDialog::confirm);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void ConnectionDialog::confirm() {
    closeOrShow(this, m_confirm(m_address ? m_address->text().toStdString() : std::string(),
                                m_port->text().toStdString()));
}

void closeOrShow(QDialog *dialog, const std::string &message) {
    if (message.empty()) {
        dialog->close();
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Ostrelo"),
                                toQString(message), QMessageBox::Ok, dialog);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace ostrelo::windows
