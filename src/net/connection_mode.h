// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/app_state.h"
#include "core/main_view.h"
#include "net/connection.h"

namespace ostrelo::net {

/// Applies the connection mode `TipusConexio` (0 none, 1 server, 2 client): check marks of
/// `Cap`, `Servidor` and `Client`, `VeureDadesServidor` enabled in server mode only, then
/// `TipusConexio`, `IP` and `Port` stored. The mode without connection closes both sockets;
/// the others open theirs at the next tick. Failures are reported under "Canvia_Conexio".
void Canvia_Conexio(core::AppState &state, core::MainView &view, Connection &connection);

/// Applies `DadesServ`: the check mark of `VeureDadesServidor`, then the setting stored.
/// Failures are reported under "Canvia_Dades_Serv()".
void Canvia_Dades_Serv(core::AppState &state, core::MainView &view);

/// A click on `Cap`: no connection.
void chooseNoConnection(core::AppState &state, core::MainView &view, Connection &connection);

/// A click on `VeureDadesServidor`: toggles whether the server shows its own data.
void toggleShowServerData(core::AppState &state, core::MainView &view);

} // namespace ostrelo::net
