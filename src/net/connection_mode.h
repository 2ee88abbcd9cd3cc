// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "net/connection.h"
#include "runtime/app_state.h"

namespace ostrelo::net {

/// Applies the connection mode `TipusConexio` (0 none, 1 server, 2 client) and stores
/// `TipusConexio`, `IP` and `Port`. The mode without connection closes both sockets; the others
/// open theirs at the next tick. Failures are reported under "Canvia_Conexio".
void Canvia_Conexio(runtime::AppState &state, Connection &connection);

/// Stores `DadesServ`. Failures are reported under "Canvia_Dades_Serv()".
void Canvia_Dades_Serv(runtime::AppState &state);

} // namespace ostrelo::net
