// SPDX-License-Identifier: GPL-3.0-or-later
// The address check: any text is judged without failing, and an address it accepts gives a
// dotted address of four numbers from 0 to 255.
#include "core/error.h"
#include "core/ip_address.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo::core;
    static const bool quiet = [] {
        ErrorReporter::instance().setSink([](const ErrorReport &) {});
        return true;
    }();
    (void)quiet;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    if (!Valid_IP(text)) {
        return 0;
    }
    std::istringstream address(RemoteAddress(text));
    int groups = 0;
    for (std::string group; std::getline(address, group, '.'); ++groups) {
        if (group.empty() || group.size() > 3 || std::stoi(group) > 255) {
            __builtin_trap();
        }
    }
    if (groups != 4) {
        __builtin_trap();
    }
    return 0;
}
