// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace ostrelo::testing {

/// How long a test waits for what it needs (a process started, a line printed, a port
/// answering, a window drawn) before it gives up: long enough for a machine whose cores are
/// all busy. A passing test never waits that long; only a failing one does.
inline constexpr int kPatienceMs = 60000;

} // namespace ostrelo::testing
