// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/app_state.h"

#include <string>
#include <vector>

namespace ostrelo::app {

/// The first step of start-up: makes the folder of `iniPath` when missing, opens the file as
/// the settings store of `state` and reads every setting from it once, the language corrected.
/// From here on whatever start-up writes waits, and goes to the file in one replacement (only
/// if its text changes) when `Program::start` ends. Returns one line per setting that could
/// not be used, and one when changes cannot be saved, in the language the settings name.
/// Never fails.
std::vector<std::string> openSettings(runtime::AppState &state, const std::string &iniPath);

} // namespace ostrelo::app
