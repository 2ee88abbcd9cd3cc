// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_file.h"
#include "i18n/language.h"
#include "i18n/language_table.h"

#include <gtest/gtest.h>

namespace ostrelo::i18n {
namespace {

// Every slot, so that a text left out of one language is caught.
const std::string i18n::Texts::*const kAllSlots[] = {
#define OSTRELO_SLOT_POINTER(name) &i18n::Texts::name,
    OSTRELO_TEXT_SLOTS(OSTRELO_SLOT_POINTER)
#undef OSTRELO_SLOT_POINTER
};

TEST(LanguageTable, FillsAllSlotsInEveryLanguage) {
    ASSERT_EQ(std::size(kAllSlots), 83u);
    ASSERT_EQ(languages().size(), 8u);
    for (const Language &language : languages()) {
        for (const auto slot : kAllSlots) {
            EXPECT_FALSE((language.texts.*slot).empty()) << language.name;
        }
        EXPECT_NE(language.texts.TextPortHelp.find("1024"), std::string::npos) << language.name;
    }
}

TEST(LanguageTable, MatchesNamesExactly) {
    EXPECT_NE(findLanguage("Francais"), nullptr);
    EXPECT_EQ(findLanguage("Français"), nullptr);
    EXPECT_EQ(findLanguage("english"), nullptr);
    EXPECT_EQ(findLanguage(""), nullptr);

    // At start-up an unknown name is reported and the default language used instead.
    for (const char *name : {"Français", "Dutch"}) {
        SCOPED_TRACE(name);
        core::LoadedSettings loaded;
        loaded.settings.Idioma = name;
        correctLanguage(loaded);
        const bool known = findLanguage(name) != nullptr;
        EXPECT_EQ(loaded.settings.Idioma, known ? name : "Español");
        ASSERT_EQ(loaded.problems.size(), known ? 0u : 1u);
        if (!known) {
            EXPECT_EQ(loaded.problems[0].key, "Idioma");
            EXPECT_EQ(loaded.problems[0].storedText, "Français");
            EXPECT_EQ(loaded.problems[0].replacement, "Español");
        }
    }
}

} // namespace
} // namespace ostrelo::i18n
