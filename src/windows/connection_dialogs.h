// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i18n/texts.h"

#include <QDialog>

#include <functional>
#include <string>

class QLineEdit;

namespace ostrelo::windows {

/// The dialogs that switch the program into server mode (`Intro_Port`, the port only) or
/// client mode (`Intro_IP`, the server's address and the port). Non-modal; OK hands the
/// typed texts to `confirm`, which answers with a message to show (the dialog stays open)
/// or an empty text (the dialog closes). Closing by the frame changes nothing.
class ConnectionDialog : public QDialog {
    Q_OBJECT

public:
    using Confirm = std::function<std::string(const std::string &ip, const std::string &port)>;

    /// A port dialog when `ip` is null, an address dialog otherwise. The texts are those of
    /// the language in force when it opens.
    ConnectionDialog(const i18n::Texts &texts, const std::string *ip, const std::string &port,
                     Confirm confirm, QWidget *parent);

    QLineEdit *addressBox() const { return m_address; }
    QLineEdit *portBox() const { return m_port; }
    /// Presses OK.
    void confirm();

private:
    QLineEdit *m_address = nullptr;
    QLineEdit *m_port = nullptr;
    Confirm m_confirm;
};

/// The end of OK on a dialog that checks what was typed: an empty `message` closes `dialog`,
/// any other is shown over it and the dialog stays open.
void closeOrShow(QDialog *dialog, const std::string &message);

} // namespace ostrelo::windows
