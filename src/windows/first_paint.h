// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>

namespace ostrelo::windows {

/// Calls `painted` once, when `window` and its children have been painted for the first time
/// (after the event that painted them), for measuring start-up.
void onFirstPaint(QWidget *window, std::function<void()> painted);

} // namespace ostrelo::windows
