// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QLineEdit;
class QRadioButton;

namespace ostrelo::windows {

/// The administration window `Admin`: how the followed car is found. "Local" follows the
/// local driver's car, "Monitor" the car the game shows, "Forçat" the slot in the number box,
/// which "+" and "-" (or typing a number and Enter) move between 0 and 63.
class AdminWindow : public QWidget {
    Q_OBJECT

public:
    /// `onSlotMode` receives 0, 1 or 2 when an option is chosen; `onForcedSlot` the slot.
    AdminWindow(double twipsPerPixel, std::function<void(std::int16_t)> onSlotMode,
                std::function<void(std::int16_t)> onForcedSlot, QWidget *parent = nullptr);

    QRadioButton *option(int index) const;
    QLineEdit *slotBox() const { return m_slot; }
    /// Moves the forced slot by `step`, within 0 to 63.
    void stepSlot(int step);

private:
    void setSlot(int slot);

    QRadioButton *m_options[3] = {};
    QLineEdit *m_slot = nullptr;
    int m_forcedSlot = 0;
    std::function<void(std::int16_t)> m_onForcedSlot;
};

} // namespace ostrelo::windows
