// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i18n/texts.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace ostrelo::windows {

/// The settings of the web dashboard: on or off, the address and port it listens on, and
/// the address to open in a browser with its QR code while it runs. Non-modal; OK hands
/// the choices to `confirm`, which answers with a message to show (the dialog stays open) or
/// an empty text (the dialog closes).
class WebDialog : public QDialog {
    Q_OBJECT

public:
    using Confirm = std::function<std::string(bool enabled, const std::string &address,
                                              const std::string &port)>;

    /// `url` is the address browsers open now, empty while the dashboard is off.
    WebDialog(const i18n::Texts &texts, bool enabled, const std::string &address,
              const std::string &port, const std::string &url, Confirm confirm, QWidget *parent);

    QCheckBox *enabledBox() const { return m_enabled; }
    QLineEdit *addressBox() const { return m_address; }
    QLineEdit *portBox() const { return m_port; }
    QLabel *urlLabel() const { return m_url; }
    QLabel *codeLabel() const { return m_code; }
    /// Presses OK.
    void confirm();

private:
    QCheckBox *m_enabled = nullptr;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_port = nullptr;
    QLabel *m_url = nullptr;
    QLabel *m_code = nullptr;
    Confirm m_confirm;
};

/// `text` as a QR code, black modules on white with a quiet zone, `scale` pixels a module;
/// a null image when it cannot be encoded.
QImage qrCode(const std::string &text, int scale);

} // namespace ostrelo::windows
