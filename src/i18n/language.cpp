// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/language.h"

#include "i18n/language_table.h"

namespace ostrelo::i18n {

void correctLanguage(core::LoadedSettings &loaded) {
    std::string &idioma = loaded.settings.Idioma;
    if (findLanguage(idioma)) {
        return;
    }
    const core::Settings defaults;
    loaded.problems.insert(loaded.problems.begin(), {"Opcions", "Idioma", idioma,
                                                     core::SettingRule::Language, defaults.Idioma});
    idioma = defaults.Idioma;
}

} // namespace ostrelo::i18n
