// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/menus.h"

#include "dashboard/scan_time.h"

namespace ostrelo::dashboard {

void showMenus(Screen &screen, const core::Settings &s, const i18n::Texts &t) {
    using enum MenuItem;
    const std::pair<MenuItem, const std::string &> captions[] = {
        {Archivo, t.TextFileMenu},
        {Salir, t.TextExitMenu},
        {Gravar, t.TextRecordMenu},
        {Opciones, t.TextOptionsMenu},
        {TempsRefresc, t.TextScanTimeMenu},
        {AcercaDe, t.TextAboutMenu},
        {Conexio, t.TextConnectionMenu},
        {Cap, t.TextNoneMenu},
        {Servidor, t.TextServerMenu},
        {Client, t.TextClientMenu},
        {Graficos, t.TextGraphicsMenu},
        {Metrico, t.TextMetricMenu},
        {Imperial, t.TextImperialMenu},
        {VeureDadesServidor, t.TextShowServerDataMenu},
        {PanellWeb, t.TextWebMenu},
        {Enginyer, t.TextEngineerMenu},
        {Classificacio, t.TextStandingsMenu},
        {Superposicio, t.TextOverlayMenu},
        {SuperposicioVisible, t.TextOverlayShow},
        {SuperposicioBloquejada, t.TextOverlayLock},
        {Radio, t.TextRadioMenu},
    };
    for (const auto &[item, caption] : captions) {
        screen.menu(item).caption = caption;
    }
    for (const LanguageItem &language : languageItems()) {
        screen.menu(language.item).checked = language.idioma == s.Idioma;
    }
    for (const auto &[item, interval] : kScanTimeItems) {
        screen.menu(item).checked = interval == s.ScanTime;
    }
    screen.menu(Graficos).checked = !s.NoGrafics;
    screen.menu(Metrico).checked = s.Unitats == core::Units::Metric;
    screen.menu(Imperial).checked = s.Unitats == core::Units::Imperial;
    screen.menu(Cap).checked = s.TipusConexio == core::ConnectionMode::None;
    screen.menu(Servidor).checked = s.TipusConexio == core::ConnectionMode::Server;
    screen.menu(Client).checked = s.TipusConexio == core::ConnectionMode::Client;
    screen.menu(VeureDadesServidor).enabled = s.TipusConexio == core::ConnectionMode::Server;
    screen.menu(VeureDadesServidor).checked = s.DadesServ;
    // Locking means something only while the tiles are shown.
    screen.menu(SuperposicioVisible).checked = s.OverlayShown;
    screen.menu(SuperposicioBloquejada).enabled = s.OverlayShown;
    screen.menu(SuperposicioBloquejada).checked = s.OverlayShown && s.OverlayLocked;
    screen.menu(Radio).checked = s.RadioEnabled;
}

} // namespace ostrelo::dashboard
