// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"

namespace ostrelo::i18n {

/// The start-up correction of `Idioma`: a name that is none of the eight languages is listed
/// as a problem and replaced by the default language.
void correctLanguage(core::LoadedSettings &loaded);

} // namespace ostrelo::i18n
