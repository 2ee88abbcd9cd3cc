// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/dialog_answers.h"

#include "core/conversions.h"
#include "core/ip_address.h"

namespace ostrelo::net {

bool isValidPort(std::string_view text) {
    const std::string_view digits = core::trimBlanks(text);
    if (!core::isDigits(digits)) {
        return false;
    }
    // Port 0 would listen on a port the system picks, which no client can know, while the
    // status says "listening": it is no port to give.
    const double value = core::TextToNumber(digits);
    return value >= 1 && value <= 65535;
}

DialogOutcome confirmServerDialog(core::Settings &settings, std::string_view portText) {
    if (!isValidPort(portText)) {
        return DialogOutcome::BadPort;
    }
    settings.Port = core::NumberToText(core::TextToNumber(portText));
    settings.TipusConexio = core::ConnectionMode::Server;
    return DialogOutcome::Accepted;
}

DialogOutcome confirmClientDialog(core::Settings &settings, std::string_view ipText,
                                  std::string_view portText) {
    if (!core::Valid_IP(ipText)) {
        return DialogOutcome::BadAddress;
    }
    settings.IP = ipText;
    if (!isValidPort(portText)) {
        return DialogOutcome::BadPort;
    }
    settings.Port = core::NumberToText(core::TextToNumber(portText));
    settings.TipusConexio = core::ConnectionMode::Client;
    return DialogOutcome::Accepted;
}

} // namespace ostrelo::net
