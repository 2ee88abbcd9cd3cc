// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_file.h"
#include "i18n/language.h"
#include "i18n/language_table.h"
#include "i18n/messages.h"

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
            EXPECT_EQ(loaded.problems[0].rule, core::SettingRule::Language);
            EXPECT_EQ(loaded.problems[0].replacement, "Español");
        }
    }
}

TEST(Messages, FillPutsValuesInAsTheyAre) {
    const struct {
        const char *text;
        std::initializer_list<std::string_view> values;
        const char *filled;
    } cases[] = {
        {"%2, then %1", {"first", "second"}, "second, then first"},
        // A path or a system text that holds a mark is not read for marks itself.
        {"%1 (%2)", {"/home/100%2/x", "%1 failed"}, "/home/100%2/x (%1 failed)"},
        {"100% of %3", {"a"}, "100% of %3"},
        {"%1%", {"50"}, "50%"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(fill(c.text, c.values), c.filled);
    }
}

// What the program says of a file or a setting it cannot use comes in the language in force;
// the names and the system's own text go in as they came.
TEST(Messages, TellFileAndSettingProblemsInTheLanguageInForce) {
    const Texts &german = findLanguage("Deutsch")->texts;
    const Texts &catalan = findLanguage("Català")->texts;
    using Cause = core::FileProblem::Cause;
    const struct {
        core::FileProblem problem;
        const Texts *texts;
        const char *said;
    } files[] = {
        {{Cause::MayNotWrite, "/home/marta/%1.ini", "", "Permission denied"},
         &german,
         "/home/marta/%1.ini kann nicht verwendet werden: dieser Benutzer darf sie nicht "
         "schreiben (Permission denied)"},
        {{Cause::MayNotWriteInFolder, "/x/Ostrelo.ini", "/x", "Keine Berechtigung"},
         &catalan,
         "/x/Ostrelo.ini no es pot fer servir: aquest usuari no pot escriure a la seva carpeta "
         "/x (Keine Berechtigung)"},
        {{Cause::LinkIntoMissingFolder, "/l.ini", "/absent/Ostrelo.ini", ""},
         &german,
         "/l.ini kann nicht verwendet werden: es ist eine symbolische Verknüpfung auf "
         "/absent/Ostrelo.ini, in einem Ordner, den es nicht gibt"},
        {{Cause::Fifo, "/tmp/f", "", ""},
         &catalan,
         "/tmp/f no es pot fer servir: és una FIFO (canonada amb nom)"},
        {{Cause::Unchecked, "/a/b", "", "Too many levels of symbolic links"},
         &german,
         "/a/b kann nicht verwendet werden: Too many levels of symbolic links"},
        {{Cause::NotText, "/a/Ostrelo.ini", "", ""},
         &catalan,
         "/a/Ostrelo.ini no es pot fer servir: el seu text no és en cap codificació que "
         "l'Ostrelo llegeixi"},
        {{Cause::Missing, "/s.ostrelo", "", ""}, &german, "/s.ostrelo existiert nicht"},
        {{}, &german, ""},
    };
    for (const auto &c : files) {
        SCOPED_TRACE(c.said);
        EXPECT_EQ(describe(c.problem, *c.texts), c.said);
    }

    const struct {
        core::SettingProblem problem;
        const Texts *texts;
        const char *said;
    } settings[] = {
        {{"Opcions", "ScanTime", "5", core::SettingRule::ScanTime, "500"},
         &german,
         "/x/Ostrelo.ini: [Opcions] ScanTime enthält „5“ (eine Abtastzeit beträgt mindestens "
         "10 ms); stattdessen wird 500 verwendet."},
        {{"Web", "Address", "192.168.1", core::SettingRule::ListenAddress, "127.0.0.1"},
         &catalan,
         "/x/Ostrelo.ini: [Web] Address conté \"192.168.1\" (una adreça són quatre nombres de 0 "
         "a 255); s'usa 127.0.0.1 en lloc seu."},
        {{"Opcions", "Idioma", "Klingon", core::SettingRule::Language, "Español"},
         &catalan,
         "/x/Ostrelo.ini: [Opcions] Idioma conté \"Klingon\" (no és cap de les vuit llengües); "
         "s'usa Español en lloc seu."},
    };
    for (const auto &c : settings) {
        SCOPED_TRACE(c.said);
        EXPECT_EQ(describe(c.problem, "/x/Ostrelo.ini", *c.texts), c.said);
    }
}

} // namespace
} // namespace ostrelo::i18n
