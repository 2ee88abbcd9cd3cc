// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"

#include <string_view>

namespace ostrelo::net {

/// The port check: a whole number from 1 to 65535, blanks around it allowed.
bool isValidPort(std::string_view text);

/// How OK on a connection dialog ended.
enum class DialogOutcome { Accepted, BadAddress, BadPort };

/// OK on the port dialog: with a valid port, stores it (as a number text) and chooses server
/// mode. The caller then applies the mode.
DialogOutcome confirmServerDialog(core::Settings &settings, std::string_view portText);

/// OK on the address dialog: a valid address is stored at once, even when the port is then
/// refused; with a valid port too, stores it and chooses client mode.
DialogOutcome confirmClientDialog(core::Settings &settings, std::string_view ipText,
                                  std::string_view portText);

} // namespace ostrelo::net
