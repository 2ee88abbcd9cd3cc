// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i18n/texts.h"

#include <span>
#include <string_view>

namespace ostrelo::i18n {

/// One language: its name as stored in `Idioma` and its texts.
struct Language {
    std::string_view name;
    i18n::Texts texts;
};

/// The eight languages in their order of comparison: Español, Català, Asturianu, English,
/// Francais, Deutsch, Dutch, Italiano.
std::span<const Language> languages();

/// The language whose name equals `idioma` exactly (letter case counts), or nullptr.
const Language *findLanguage(std::string_view idioma);

} // namespace ostrelo::i18n
