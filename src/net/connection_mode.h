// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "net/connection.h"

namespace ostrelo::net {

/// Applies the connection mode `TipusConexio` (0 none, 1 server, 2 client) and stores
/// `TipusConexio`, `IP` and `Port`. The mode without connection closes both sockets; the others
/// open theirs at the next tick. Failures are reported under "Canvia_Conexio".
void Canvia_Conexio(core::SettingsStore &store, const core::Settings &settings,
                    Connection &connection);

/// Stores `DadesServ`. Failures are reported under "Canvia_Dades_Serv()".
void Canvia_Dades_Serv(core::SettingsStore &store, const core::Settings &settings);

} // namespace ostrelo::net
