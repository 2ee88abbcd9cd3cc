// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/screen.h"

namespace ostrelo::dashboard {
namespace {

using enum MenuItem;

// clang-format off
constexpr MenuLayoutEntry kMenus[] = {
    {Archivo, Archivo},
    {Gravar, Archivo, "", true},
    {Salir, Archivo, "", false, true},
    {Opciones, Opciones},
    {Espanol, Opciones, "Español", true},
    {Catala, Opciones, "Català", true},
    {Asturianu, Opciones, "Asturianu", true},
    {English, Opciones, "English", true},
    {Francais, Opciones, "Français", true},
    {Deutsch, Opciones, "Deutsch", true},
    {Dutch, Opciones, "Dutch", true},
    {Italiano, Opciones, "Italiano", true},
    {Graficos, Opciones, "", true, true},
    {Metrico, Opciones, "", true, true},
    {Imperial, Opciones, "", true},
    {Enginyer, Opciones, "", false, true},
    {Classificacio, Opciones, "", false},
    {Superposicio, Opciones, "", false, false, true},
    {SuperposicioVisible, Superposicio, "", true},
    {SuperposicioBloquejada, Superposicio, "", true},
    {Radio, Opciones, "", true},
    {TempsRefresc, TempsRefresc},
    {TS_10, TempsRefresc, "10 ms", true},
    {TS_50, TempsRefresc, "50 ms", true},
    {TS_150, TempsRefresc, "150 ms", true},
    {TS_500, TempsRefresc, "500 ms", true},
    {TS_1000, TempsRefresc, "1000 ms", true},
    {Conexio, Conexio},
    {Cap, Conexio, "", true},
    {Servidor, Conexio, "", true},
    {Client, Conexio, "", true},
    {VeureDadesServidor, Conexio, "", true, true},
    {PanellWeb, Conexio, "", false, true},
    {AcercaDe, AcercaDe},
};

constexpr LanguageItem kLanguageItems[] = {
    {Espanol, "Español"}, {Catala, "Català"},   {Asturianu, "Asturianu"}, {English, "English"},
    {Francais, "Francais"}, {Deutsch, "Deutsch"}, {Dutch, "Dutch"},       {Italiano, "Italiano"},
};
// clang-format on

static_assert(std::size(kMenus) == kMenuItemCount);

} // namespace

Screen::Screen() {
    for (const MenuLayoutEntry &entry : kMenus) {
        menu(entry.item).caption = entry.fixedCaption;
    }
}

std::span<const MenuLayoutEntry> menuLayout() {
    return kMenus;
}

std::span<const LanguageItem> languageItems() {
    return kLanguageItems;
}

} // namespace ostrelo::dashboard
