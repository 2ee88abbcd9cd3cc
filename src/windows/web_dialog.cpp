// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/web_dialog.h"

#include "web/web_address.h"
#include "windows/connection_dialogs.h"
#include "windows/qt_text.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <qrencode.h>

#include <memory>

namespace ostrelo::windows {

QImage qrCode(const std::string &text, int scale) {
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code) {
        return {};
    }
    constexpr int kQuietZone = 4;
    const int side = (code->width + 2 * kQuietZone) * scale;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // The lowest bit of each module says whether it is dark.
            if ((code->data[y * code->width + x] & 1) == 0) {
                continue;
            }
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    image.setPixel((x + kQuietZone) * scale + dx, (y + kQuietZone) * scale + dy,
                                   qRgb(0, 0, 0));
                }
            }
        }
    }
    return image;
}

WebDialog::WebDialog(const i18n::Texts &texts, bool enabled, const std::string &address,
                     const std::string &port, const std::string &urls, Confirm confirm,
                     QWidget *parent)
    : QDialog(parent), m_confirm(std::move(confirm)) {
    setWindowTitle(toQString(texts.TextWebTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    m_enabled = new QCheckBox(toQString(texts.TextWebEnabled), this);
    m_enabled->setChecked(enabled);
    m_address = new QLineEdit(toQString(web::offeredListenAddress(enabled, address)), this);
    m_address->setMaxLength(15);
    m_port = new QLineEdit(toQString(port), this);
    m_port->setMaxLength(5);
    auto *form = new QFormLayout;
    form->addRow(toQString(texts.TextWebAddress), m_address);
    form->addRow(toQString(texts.TextPortCaption), m_port);
    m_url = new QLabel(this);
    m_url->setTextFormat(Qt::PlainText);
    m_url->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_url->setWordWrap(true);
    m_thisComputerOnly = new QLabel(toQString(texts.TextWebThisComputerOnly), this);
    m_thisComputerOnly->setWordWrap(true);
    m_thisComputerOnly->setTextFormat(Qt::PlainText);
    auto *codes = new QHBoxLayout;
    const web::DashboardAddresses shown = web::readAddressLine(urls);
    if (shown.urls.empty()) {
        m_url->setText(toQString(texts.TextWebOff));
    } else {
        QString lines = toQString(texts.TextWebHint) + QLatin1Char('\n');
        for (const std::string &url : shown.urls) {
            lines += QLatin1Char('\n') + toQString(url);
            auto *code = new QLabel(this);
            code->setAlignment(Qt::AlignCenter);
            code->setToolTip(toQString(url));
            if (const QImage image = qrCode(url, 4); !image.isNull()) {
                code->setPixmap(QPixmap::fromImage(image));
            }
            codes->addWidget(code);
            m_codes.push_back(code);
        }
        m_url->setText(lines);
    }
    codes->addWidget(m_thisComputerOnly, 1);
    m_thisComputerOnly->setVisible(shown.thisComputerOnly);
    auto *ok = new QPushButton(toQString(texts.TextOK), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &WebDialog::confirm);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_enabled);
    layout->addLayout(form);
    layout->addWidget(m_url);
    layout->addLayout(codes);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void WebDialog::confirm() {
    closeOrShow(this, m_confirm(m_enabled->isChecked(), m_address->text().trimmed().toStdString(),
                                m_port->text().trimmed().toStdString()));
}

} // namespace ostrelo::windows
