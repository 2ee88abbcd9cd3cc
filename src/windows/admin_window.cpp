// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/admin_window.h"

#include <QGroupBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

namespace ostrelo::windows {

AdminWindow::AdminWindow(double twipsPerPixel, std::function<void(std::int16_t)> onSlotMode,
                         std::function<void(std::int16_t)> onForcedSlot, QWidget *parent)
    : QWidget(parent, Qt::Window), m_onForcedSlot(std::move(onForcedSlot)) {
    setObjectName(QStringLiteral("Admin"));
    setWindowTitle(QStringLiteral("Administrar Ostrelo"));
    auto px = [twipsPerPixel](int twips) {
        return static_cast<int>(std::lround(twips / twipsPerPixel));
    };
    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    const QString captions[] = {QStringLiteral("Local"), QStringLiteral("Monitor"),
                                QStringLiteral("Forçat")};
    // The three options share the window's font; the frame, and the column beside it, make
    // room for the widest caption rather than shrinking any of them.
    int optionWidth = px(855);
    for (int index = 0; index < 3; ++index) {
        m_options[index] = new QRadioButton(captions[index], frame);
        m_options[index]->setObjectName(QStringLiteral("Option1_%1").arg(index));
        optionWidth = std::max(optionWidth, m_options[index]->sizeHint().width());
        connect(m_options[index], &QRadioButton::clicked, this,
                [onSlotMode, index] { onSlotMode(static_cast<std::int16_t>(index)); });
    }
    for (int index = 0; index < 3; ++index) {
        m_options[index]->setGeometry(px(120), px(240 + 240 * index), optionWidth, px(255));
    }
    m_options[0]->setChecked(true);
    const int wider = optionWidth - px(855);
    frame->setGeometry(px(120), px(120), px(1095) + wider, px(1095));

    m_slot = new QLineEdit(QStringLiteral("0"), this);
    m_slot->setObjectName(QStringLiteral("Text1"));
    m_slot->setGeometry(px(1560) + wider, px(240), px(855), px(315));
    m_slot->setValidator(new QIntValidator(0, 63, m_slot));
    connect(m_slot, &QLineEdit::editingFinished, this, [this] { setSlot(m_slot->text().toInt()); });
    auto *plus = new QPushButton(QStringLiteral("+"), this);
    plus->setObjectName(QStringLiteral("Command1"));
    plus->setGeometry(px(1560) + wider, px(720), px(375), px(375));
    connect(plus, &QPushButton::clicked, this, [this] { stepSlot(1); });
    auto *minus = new QPushButton(QStringLiteral("-"), this);
    minus->setObjectName(QStringLiteral("Command2"));
    minus->setGeometry(px(2040) + wider, px(720), px(375), px(375));
    connect(minus, &QPushButton::clicked, this, [this] { stepSlot(-1); });
    setFixedSize(px(2655) + wider, px(1455));
}

QRadioButton *AdminWindow::option(int index) const {
    return m_options[index];
}

void AdminWindow::stepSlot(int step) {
    setSlot(m_forcedSlot + step);
}

void AdminWindow::setSlot(int slot) {
    m_forcedSlot = std::clamp(slot, 0, 63);
    m_slot->setText(QString::number(m_forcedSlot));
    if (m_onForcedSlot) {
        m_onForcedSlot(static_cast<std::int16_t>(m_forcedSlot));
    }
}

} // namespace ostrelo::windows
