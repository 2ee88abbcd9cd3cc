// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/connection_mode.h"

#include "core/error.h"
#include "core/settings.h"

namespace ostrelo::net {

void Canvia_Conexio(runtime::AppState &state, Connection &connection) {
    core::trap("Canvia_Conexio", [&] {
        const core::Settings &s = state.settings;
        if (s.TipusConexio == core::ConnectionMode::None) {
            connection.closeBoth();
        }
        core::saveSetting(state.store, s, core::SettingKey::TipusConexio);
        core::saveSetting(state.store, s, core::SettingKey::IP);
        core::saveSetting(state.store, s, core::SettingKey::Port);
    });
}

void Canvia_Dades_Serv(runtime::AppState &state) {
    core::trap("Canvia_Dades_Serv()", [&] {
        core::saveSetting(state.store, state.settings, core::SettingKey::DadesServ);
    });
}

} // namespace ostrelo::net
