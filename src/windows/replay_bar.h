// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace ostrelo::windows {

/// The small bar that drives a replay: play and pause, the speed, and the position.
class ReplayBar : public QWidget {
    Q_OBJECT

public:
    explicit ReplayBar(QWidget *parent = nullptr);

    /// Shows where the replay is, how long it is, whether it is paused and at what speed.
    void show(std::int64_t positionMs, std::int64_t durationMs, bool paused, double speed);
    using QWidget::show;

    std::function<void(bool paused)> onPaused;
    std::function<void(double speed)> onSpeed;
    std::function<void(std::int64_t positionMs)> onSeek;

    QPushButton *playButton() const { return m_play; }
    QComboBox *speedBox() const { return m_speed; }
    QSlider *slider() const { return m_slider; }
    QLabel *timeLabel() const { return m_time; }

private:
    QPushButton *m_play = nullptr;
    QComboBox *m_speed = nullptr;
    QSlider *m_slider = nullptr;
    QLabel *m_time = nullptr;
    bool m_paused = false;
};

/// "h:mm:ss" of a time in milliseconds.
QString clockText(std::int64_t ms);

} // namespace ostrelo::windows
