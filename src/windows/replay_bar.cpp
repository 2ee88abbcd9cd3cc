// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/replay_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>
#include <QStyle>

namespace ostrelo::windows {
namespace {

constexpr double kSpeeds[] = {0.25, 0.5, 1, 2, 4, 8, 16, 64};

// A click on the groove moves the handle there, rather than by a page.
class JumpToClickStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override {
        if (hint == SH_Slider_AbsoluteSetButtons) {
            return Qt::LeftButton;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QString clockText(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

ReplayBar::ReplayBar(QWidget *parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Ostrelo ▶"));
    // The system's media icons: not every font has the pause sign.
    m_play = new QPushButton(this);
    m_speed = new QComboBox(this);
    for (const double speed : kSpeeds) {
        m_speed->addItem(QStringLiteral("×%1").arg(speed), speed);
    }
    m_speed->setCurrentIndex(2);
    m_slider = new QSlider(Qt::Horizontal, this);
    auto *jump = new JumpToClickStyle(m_slider->style()->name());
    jump->setParent(m_slider);
    m_slider->setStyle(jump);
    m_slider->setMinimumWidth(240);
    m_time = new QLabel(this);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_play);
    layout->addWidget(m_speed);
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_time);
    connect(m_play, &QPushButton::clicked, this, [this] {
        if (onPaused) {
            onPaused(!m_paused);
        }
    });
    connect(m_speed, &QComboBox::currentIndexChanged, this, [this] {
        if (onSpeed) {
            onSpeed(m_speed->currentData().toDouble());
        }
    });
    // The position moves when the user lets the handle go, or clicks the groove.
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        if (onSeek) {
            onSeek(static_cast<std::int64_t>(m_slider->value()) * 1000);
        }
    });
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && onSeek) {
            onSeek(static_cast<std::int64_t>(m_slider->sliderPosition()) * 1000);
        }
    });
}

void ReplayBar::show(std::int64_t positionMs, std::int64_t durationMs, bool paused, double speed) {
    m_paused = paused;
    m_play->setIcon(style()->standardIcon(paused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
    m_slider->setMaximum(static_cast<int>(durationMs / 1000));
    if (!m_slider->isSliderDown()) {
        m_slider->setValue(static_cast<int>(positionMs / 1000));
    }
    int index = m_speed->findData(speed);
    if (index < 0) {
        // A speed from the command line that the list does not offer joins it, in order.
        index = 0;
        while (index < m_speed->count() && m_speed->itemData(index).toDouble() < speed) {
            ++index;
        }
        const QSignalBlocker quiet(m_speed);
        m_speed->insertItem(index, QStringLiteral("×%1").arg(speed), speed);
    }
    if (index != m_speed->currentIndex()) {
        const QSignalBlocker quiet(m_speed);
        m_speed->setCurrentIndex(index);
    }
    m_time->setText(clockText(positionMs) + QStringLiteral(" / ") + clockText(durationMs));
}

} // namespace ostrelo::windows
