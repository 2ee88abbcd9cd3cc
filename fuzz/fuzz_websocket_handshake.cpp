// SPDX-License-Identifier: GPL-3.0-or-later
// A WebSocket handshake from anyone: any head gives a verdict; a refusal is one of the statuses
// the server answers with; an accepted one is HTTP/1.1 asking for version 13 with a key of 16
// bytes, and names no origin or the host it came to; an origin taken as the page's own is a
// plain scheme, host and port, with no path, user or query to hide another site behind.
#include "web/http_request.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo::web;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    const HttpRequest request = parseRequestHead(bytes);
    if (request.verdict == HttpRequest::Verdict::Get) {
        if (request.headBytes < 4 || request.headBytes > bytes.size() ||
            bytes.substr(request.headBytes - 4, 4) != "\r\n\r\n") {
            __builtin_trap();
        }
        const std::string refusal = webSocketRefusal(request);
        if (refusal.empty()) {
            if (!request.webSocket || !request.http11 || !request.host ||
                request.webSocketVersion != "13" || !request.webSocketKey ||
                request.webSocketKey->size() != 24 ||
                (request.origin && !sameOrigin(*request.origin, *request.host))) {
                __builtin_trap();
            }
        } else if (refusal != "400 Bad Request" && refusal != "403 Forbidden" &&
                   refusal != "426 Upgrade Required") {
            __builtin_trap();
        }
    }

    // The bytes as an origin and a host, cut at the first line feed.
    const std::size_t cut = std::min(bytes.find('\n'), bytes.size());
    const std::string_view origin = bytes.substr(0, cut);
    const std::string_view host = bytes.substr(std::min(cut + 1, bytes.size()));
    if (sameOrigin(origin, host)) {
        const std::string scheme = lower(origin.substr(0, 8));
        const std::size_t rest = scheme.rfind("http://", 0) == 0 ? 7 : 8;
        if ((scheme.rfind("http://", 0) != 0 && scheme != "https://") ||
            origin.find_first_of("/@?#\\", rest) != std::string_view::npos) {
            __builtin_trap();
        }
    }
    return 0;
}
