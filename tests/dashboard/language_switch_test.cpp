// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/language_switch.h"
#include "dashboard/menus.h"
#include "dashboard/scan_time.h"
#include "runtime/app_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace ostrelo::dashboard {
namespace {

class CanviaIdioma : public ::testing::Test {
protected:
    void apply() {
        Canvia_Idioma(state.store, state.settings, state.texts, screen, [this] { ++resets; });
    }
    // The menu items carrying a check mark with the settings in force.
    std::vector<MenuItem> checkedLanguages() {
        showMenus(screen, state.settings, state.texts);
        std::vector<MenuItem> items;
        for (const LanguageItem &language : languageItems()) {
            if (screen.menu(language.item).checked) {
                items.push_back(language.item);
            }
        }
        return items;
    }

    runtime::AppState state;
    Screen screen;
    int resets = 0;
};

TEST_F(CanviaIdioma, WritesCaptionsMenusAndTheSetting) {
    apply();
    EXPECT_EQ(checkedLanguages(), std::vector{MenuItem::Espanol});
    EXPECT_EQ(screen.gameStatus, "Escaneando...");
    EXPECT_EQ(screen.lapTimesCaption, "Tiempos vuelta");
    EXPECT_EQ(screen.lapCaption, "Vuelta");
    EXPECT_EQ(screen.fuelLastLapCaption, "Litros última vuelta");
    EXPECT_EQ(screen.waterCaption, "Agua");
    EXPECT_EQ(screen.oilCaption, "Aceite");
    const std::vector<std::string> lamps = {screen.pitLimiter.caption,      screen.inPits.caption,
                                            screen.tractionControl.caption, screen.abs.caption,
                                            screen.ignition.caption,        screen.engine.caption};
    EXPECT_EQ(lamps,
              (std::vector<std::string>{"LIMITADOR", "BOXES", "CT", "ABS", "CONTACTO", "MOTOR"}));
    EXPECT_EQ(screen.position.caption, "");
    EXPECT_EQ(screen.menu(MenuItem::Archivo).caption, "Archivo");
    EXPECT_EQ(screen.menu(MenuItem::TempsRefresc).caption, "Tiempo Refresco");
    EXPECT_EQ(screen.menu(MenuItem::VeureDadesServidor).caption, "Ver Datos Servidor");
    EXPECT_EQ(screen.menu(MenuItem::Espanol).caption, "Español");
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(state.store.read("Opcions", "Idioma", ""), "Español");
}

TEST_F(CanviaIdioma, AnUnknownNameKeepsTheTextsAndMarksNothing) {
    state.settings.Idioma = "Français";
    apply();
    EXPECT_TRUE(checkedLanguages().empty());
    EXPECT_EQ(screen.gameStatus, "");
    EXPECT_EQ(screen.menu(MenuItem::Archivo).caption, "");
    EXPECT_EQ(state.store.read("Opcions", "Idioma", ""), "Français");

    state.settings.Idioma = "Deutsch";
    apply();
    state.settings.Idioma = "Klingon";
    apply();
    EXPECT_EQ(screen.gameStatus, "Datenabfrage...");
}

TEST(CanviaScan, ShowsTheScanningTextAndSetsTheTimer) {
    runtime::AppState state;
    state.settings.Idioma = "English";
    Screen screen;
    Canvia_Idioma(state.store, state.settings, state.texts, screen, {});
    screen.gameStatus = "RACE07 RUNNING";
    state.settings.ScanTime = 150;
    int resets = 0;
    Canvia_Scan(state.store, state.settings, state.texts, screen, [&] { ++resets; });
    EXPECT_EQ(screen.gameStatus, "Scanning...");
    EXPECT_EQ(screen.scanIntervalMs, 150);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(state.store.read("Opcions", "ScanTime", ""), "150");
}

} // namespace
} // namespace ostrelo::dashboard
