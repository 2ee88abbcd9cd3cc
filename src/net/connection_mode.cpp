// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/connection_mode.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/settings.h"

namespace ostrelo::net {

using core::MenuItem;

void Canvia_Conexio(core::AppState &state, core::MainView &view, Connection &connection) {
    core::trap("Canvia_Conexio", [&] {
        view.setMenuChecked(MenuItem::Cap, false);
        view.setMenuChecked(MenuItem::Servidor, false);
        view.setMenuChecked(MenuItem::Client, false);
        view.setMenuEnabled(MenuItem::VeureDadesServidor, false);
        const core::Settings &s = state.settings;
        switch (s.TipusConexio) {
        case core::ConnectionMode::None:
            connection.closeBoth();
            view.setMenuChecked(MenuItem::Cap, true);
            break;
        case core::ConnectionMode::Server:
            view.setMenuChecked(MenuItem::Servidor, true);
            view.setMenuEnabled(MenuItem::VeureDadesServidor, true);
            break;
        case core::ConnectionMode::Client:
            view.setMenuChecked(MenuItem::Client, true);
            break;
        }
        core::saveSetting(state.store, s, core::SettingKey::TipusConexio);
        core::saveSetting(state.store, s, core::SettingKey::IP);
        core::saveSetting(state.store, s, core::SettingKey::Port);
    });
}

void Canvia_Dades_Serv(core::AppState &state, core::MainView &view) {
    core::trap("Canvia_Dades_Serv()", [&] {
        view.setMenuChecked(MenuItem::VeureDadesServidor, state.settings.DadesServ);
        core::saveSetting(state.store, state.settings, core::SettingKey::DadesServ);
    });
}

void chooseNoConnection(core::AppState &state, core::MainView &view, Connection &connection) {
    if (state.settings.TipusConexio == core::ConnectionMode::None) {
        return;
    }
    state.settings.TipusConexio = core::ConnectionMode::None;
    Canvia_Conexio(state, view, connection);
}

void toggleShowServerData(core::AppState &state, core::MainView &view) {
    state.settings.DadesServ = !state.settings.DadesServ;
    Canvia_Dades_Serv(state, view);
}

} // namespace ostrelo::net
