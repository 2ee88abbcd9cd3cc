// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "dashboard/screen.h"
#include "i18n/texts.h"

#include <functional>
#include <string_view>

namespace ostrelo::dashboard {

/// Puts the fixed captions of the language `texts` on a view's screen, and its status line to
/// the scanning text.
void showLanguageTexts(const i18n::Texts &texts, Screen &screen);

/// Applies the language `Idioma`: fills the text slots from the language table (an unknown
/// name leaves them as they are), puts the fixed captions of the new language on the screen
/// and the status line back to the scanning text, restarts the game search so the status
/// line follows the new language, and stores `Idioma` in the settings file. A failure is
/// reported under "Canvia_Idioma" and skips the remaining steps.
void Canvia_Idioma(core::SettingsStore &store, const core::Settings &settings, i18n::Texts &texts,
                   Screen &screen, const std::function<void()> &resetAttachment);

} // namespace ostrelo::dashboard
