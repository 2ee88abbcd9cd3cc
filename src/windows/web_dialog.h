// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i18n/texts.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace ostrelo::windows {

/// The settings of the web dashboard: on or off, the address and port it listens on, and
/// the addresses to open in a browser with their QR codes while it runs, saying so beside
/// the codes when only this computer can open them. Its switch serves the phones of the
/// network: turned on, it offers every address unless the user named one. Non-modal; OK hands
/// the choices to `confirm`, which answers with a message to show (the dialog stays open) or
/// an empty text (the dialog closes).
class WebDialog : public QDialog {
    Q_OBJECT

public:
    using Confirm = std::function<std::string(bool enabled, const std::string &address,
                                              const std::string &port)>;

    /// `address` is the one the settings hold; `urls` the address line of the dashboard, the
    /// addresses browsers open now one space apart, empty while it is off.
    WebDialog(const i18n::Texts &texts, bool enabled, const std::string &address,
              const std::string &port, const std::string &urls, Confirm confirm, QWidget *parent);

    QCheckBox *enabledBox() const { return m_enabled; }
    QLineEdit *addressBox() const { return m_address; }
    QLineEdit *portBox() const { return m_port; }
    QLabel *urlLabel() const { return m_url; }
    /// One QR code for each address, in the order the address line names them.
    const std::vector<QLabel *> &codeLabels() const { return m_codes; }
    /// Beside the codes: only this computer can open them. Hidden otherwise.
    QLabel *thisComputerOnlyLabel() const { return m_thisComputerOnly; }
    /// Presses OK.
    void confirm();

private:
    QCheckBox *m_enabled = nullptr;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_port = nullptr;
    QLabel *m_url = nullptr;
    std::vector<QLabel *> m_codes;
    QLabel *m_thisComputerOnly = nullptr;
    Confirm m_confirm;
};

/// `text` as a QR code, black modules on white with a quiet zone, `scale` pixels a module;
/// a null image when it cannot be encoded.
QImage qrCode(const std::string &text, int scale);

} // namespace ostrelo::windows
