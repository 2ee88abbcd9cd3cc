// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_problem.h"
#include "core/settings.h"
#include "i18n/texts.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace ostrelo::i18n {

/// `text` with "%1" to "%9" replaced by the values in order, in one pass: what a value holds
/// (a path or a system text with "%2" in it) is never replaced itself. A mark without a value
/// stays as it is.
std::string fill(std::string_view text, std::initializer_list<std::string_view> values);

/// Why a file cannot be used, in the language of `texts`; the system's own text as it came.
/// Empty for no problem.
std::string describe(const core::FileProblem &problem, const Texts &texts);

/// One line for a setting that could not be used, in the language of `texts`: which key in
/// the file `iniPath` holds which text, the rule it breaks and what is used instead.
std::string describe(const core::SettingProblem &problem, const std::string &iniPath,
                     const Texts &texts);

} // namespace ostrelo::i18n
