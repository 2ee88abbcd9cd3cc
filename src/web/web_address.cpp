// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/web_address.h"

#include "core/ip_address.h"

#include <algorithm>

namespace ostrelo::web {
namespace {

bool isLoopback(std::string_view address) {
    return address.starts_with("127.");
}

bool isEveryAddress(std::string_view address) {
    return address.empty() || address == "0.0.0.0";
}

// `address` as a listen address without leading zeros; empty (every address) when it is none.
std::string plainAddress(std::string_view address) {
    return core::isListenAddress(address) ? core::plainListenAddress(address) : "";
}

bool onLoopback(std::string_view url) {
    return url.starts_with("http://127.");
}

bool eachOnLoopback(const std::vector<std::string> &urls) {
    return !urls.empty() && std::all_of(urls.begin(), urls.end(), onLoopback);
}

std::string url(std::string_view host, int port) {
    return "http://" + std::string(host) + ":" + std::to_string(port) + "/";
}

} // namespace

DashboardAddresses dashboardAddresses(std::string_view listenAddress, int port,
                                      const std::vector<std::string> &interfaces) {
    const std::string listen = plainAddress(listenAddress);
    DashboardAddresses addresses;
    if (!isEveryAddress(listen)) {
        addresses.urls.push_back(url(listen, port));
    } else {
        for (const std::string &address : interfaces) {
            const std::string plain = plainAddress(address);
            if (!isEveryAddress(plain) && !isLoopback(plain)) {
                const std::string each = url(plain, port);
                if (std::find(addresses.urls.begin(), addresses.urls.end(), each) ==
                    addresses.urls.end()) {
                    addresses.urls.push_back(each);
                }
            }
        }
        if (addresses.urls.empty()) {
            addresses.urls.push_back(url("127.0.0.1", port));
        }
    }
    addresses.thisComputerOnly = eachOnLoopback(addresses.urls);
    return addresses;
}

std::string addressLine(const DashboardAddresses &addresses) {
    std::string line;
    for (const std::string &each : addresses.urls) {
        line += (line.empty() ? "" : " ") + each;
    }
    return line;
}

DashboardAddresses readAddressLine(std::string_view line) {
    DashboardAddresses addresses;
    while (!line.empty()) {
        const std::size_t end = std::min(line.find(' '), line.size());
        if (end > 0) {
            addresses.urls.emplace_back(line.substr(0, end));
        }
        line.remove_prefix(std::min(end + 1, line.size()));
    }
    addresses.thisComputerOnly = eachOnLoopback(addresses.urls);
    return addresses;
}

std::string offeredListenAddress(bool enabled, std::string_view stored) {
    const std::string plain = plainAddress(stored);
    if (isEveryAddress(plain) || (!enabled && isLoopback(plain))) {
        return {};
    }
    return std::string(stored);
}

} // namespace ostrelo::web
