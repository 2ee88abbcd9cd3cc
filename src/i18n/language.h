// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/app_state.h"
#include "core/main_view.h"

#include <functional>

namespace ostrelo::i18n {

/// Applies the language `Idioma`: fills the text slots from the language table (an unknown
/// name leaves them as they are), puts the check mark on its menu item, writes the main
/// window's captions and menu texts, restarts the game search so the status line follows
/// the new language, and stores `Idioma` in the settings file. A failure is reported under
/// "Canvia_Idioma" and skips the remaining steps.
void Canvia_Idioma(core::AppState &state, core::MainView &view,
                   const std::function<void()> &resetAttachment);

/// The start-up correction of `Idioma`: a name that is none of the eight languages is listed
/// as a problem and replaced by the default language.
void correctLanguage(core::LoadedSettings &loaded);

/// A click on a language item: applies `idioma` unless it is already in force.
void chooseLanguage(core::AppState &state, core::MainView &view, std::string_view idioma,
                    const std::function<void()> &resetAttachment);

} // namespace ostrelo::i18n
