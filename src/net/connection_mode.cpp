// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/connection_mode.h"

#include "core/error.h"
#include "core/settings.h"

namespace ostrelo::net {

void Canvia_Conexio(core::SettingsStore &store, const core::Settings &s, Connection &connection) {
    core::trap("Canvia_Conexio", [&] {
        if (s.TipusConexio == core::ConnectionMode::None) {
            connection.closeBoth();
        }
        core::saveSetting(store, s, core::SettingKey::TipusConexio);
        core::saveSetting(store, s, core::SettingKey::IP);
        core::saveSetting(store, s, core::SettingKey::Port);
    });
}

void Canvia_Dades_Serv(core::SettingsStore &store, const core::Settings &settings) {
    core::trap("Canvia_Dades_Serv()",
               [&] { core::saveSetting(store, settings, core::SettingKey::DadesServ); });
}

} // namespace ostrelo::net
