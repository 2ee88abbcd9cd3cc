// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::web {

/// Where browsers open the web dashboard.
struct DashboardAddresses {
    /// The addresses to open ("http://192.168.1.20:8080/"), in the order of the interfaces.
    std::vector<std::string> urls;
    /// True when no other device can open them: each is on a loopback address (127.x.x.x).
    bool thisComputerOnly = false;
};

/// The addresses of a dashboard that listens on `listenAddress` ("" or "0.0.0.0": every
/// address of this computer) and `port`. `interfaces` are the IPv4 addresses of this
/// computer's network interfaces that are up, in the system's order. On every address, each
/// one but loopback is given, for a phone to reach; with none, this computer's own.
DashboardAddresses dashboardAddresses(std::string_view listenAddress, int port,
                                      const std::vector<std::string> &interfaces);

/// The addresses as the window's address line shows them: one space apart.
std::string addressLine(const DashboardAddresses &addresses);

/// The addresses an address line names (see `addressLine`); none when the line is empty.
DashboardAddresses readAddressLine(std::string_view line);

/// The address the web dialog offers for a dashboard `enabled` or not that the settings put on
/// `stored`: empty for every address; a dashboard being turned on is served to the network
/// unless the user named an address of it (a loopback one counts only while it is on).
std::string offeredListenAddress(bool enabled, std::string_view stored);

} // namespace ostrelo::web
