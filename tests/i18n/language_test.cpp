// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_file.h"
#include "fakes/recording_view.h"
#include "i18n/language.h"
#include "i18n/language_table.h"

#include <gtest/gtest.h>

namespace ostrelo::i18n {
namespace {

using core::Label;
using core::MenuItem;

// Every slot, so that a text left out of one language is caught.
const std::string core::Texts::*const kAllSlots[] = {
#define OSTRELO_SLOT_POINTER(name) &core::Texts::name,
    OSTRELO_TEXT_SLOTS(OSTRELO_SLOT_POINTER)
#undef OSTRELO_SLOT_POINTER
};

TEST(LanguageTable, FillsAllSlotsInEveryLanguage) {
    ASSERT_EQ(std::size(kAllSlots), 48u);
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

class CanviaIdioma : public ::testing::Test {
protected:
    void apply() {
        Canvia_Idioma(state, view, [this] { ++resets; });
    }

    core::AppState state;
    testing::RecordingView view;
    int resets = 0;
};

TEST_F(CanviaIdioma, WritesCaptionsMenusAndTheSetting) {
    apply();
    EXPECT_EQ(view.checkedItems(), std::vector{MenuItem::Espanol});
    EXPECT_EQ(view.caption(Label::Label1), "Escaneando...");
    EXPECT_EQ(view.caption(Label::Label31), "Tiempos vuelta");
    EXPECT_EQ(view.caption(Label::Label29), "Vuelta");
    EXPECT_EQ(view.caption(Label::Label33), "Litros última vuelta");
    EXPECT_EQ(view.caption(Label::Label19), "Agua");
    EXPECT_EQ(view.caption(Label::Label20), "Aceite");
    EXPECT_EQ(
        view.lampCaptions,
        (std::map<int, std::string>{
            {1, "LIMITADOR"}, {2, "BOXES"}, {4, "CT"}, {5, "ABS"}, {6, "CONTACTO"}, {7, "MOTOR"}}));
    EXPECT_EQ(view.menuCaptions[MenuItem::Archivo], "Archivo");
    EXPECT_EQ(view.menuCaptions[MenuItem::TempsRefresc], "Tiempo Refresco");
    EXPECT_EQ(view.menuCaptions[MenuItem::VeureDadesServidor], "Ver Datos Servidor");
    EXPECT_EQ(view.menuCaptions.size(), 13u);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(state.store.read("Opcions", "Idioma", ""), "Español");
}

TEST_F(CanviaIdioma, SwitchesLanguageAndIgnoresTheOneInForce) {
    apply();
    chooseLanguage(state, view, "English", [this] { ++resets; });
    EXPECT_EQ(view.checkedItems(), std::vector{MenuItem::English});
    EXPECT_EQ(view.caption(Label::Label1), "Scanning...");
    EXPECT_EQ(view.menuCaptions[MenuItem::Conexio], "Connection");
    EXPECT_EQ(state.texts.TextGameRunning, "RACE07 RUNNING");

    state.store = core::SettingsStore::inMemory();
    chooseLanguage(state, view, "English", [this] { ++resets; });
    EXPECT_EQ(state.store.text(), "");
    EXPECT_EQ(resets, 2);
}

TEST_F(CanviaIdioma, AnUnknownNameKeepsTheTextsAndMarksNothing) {
    state.settings.Idioma = "Français";
    apply();
    EXPECT_TRUE(view.checkedItems().empty());
    EXPECT_EQ(view.caption(Label::Label1), "");
    EXPECT_EQ(view.menuCaptions[MenuItem::Archivo], "");
    EXPECT_EQ(state.store.read("Opcions", "Idioma", ""), "Français");

    chooseLanguage(state, view, "Deutsch", {});
    state.settings.Idioma = "Klingon";
    apply();
    EXPECT_EQ(view.caption(Label::Label1), "Datenabfrage...");
}

} // namespace
} // namespace ostrelo::i18n
