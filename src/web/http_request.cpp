// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/http_request.h"

#include <algorithm>
#include <cctype>

namespace ostrelo::web {
namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// A request target the dashboard can serve: an absolute path of visible ASCII.
bool isOriginForm(std::string_view target) {
    return !target.empty() && target.front() == '/' &&
           std::all_of(target.begin(), target.end(),
                       [](unsigned char c) { return c > 0x20 && c < 0x7F; });
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Whether the comma-separated list `value` holds `token`, in any case.
bool hasToken(std::string_view value, std::string_view token) {
    while (!value.empty()) {
        const std::size_t comma = std::min(value.find(','), value.size());
        if (lower(trimmed(value.substr(0, comma))) == token) {
            return true;
        }
        value.remove_prefix(std::min(comma + 1, value.size()));
    }
    return false;
}

// Keeps the headers a WebSocket handshake is judged by; false for one of them sent twice, which
// leaves it unclear which one counts.
bool keepOnce(std::string_view name, std::string_view value, HttpRequest &request) {
    std::optional<std::string> *kept = name == "host"                    ? &request.host
                                       : name == "origin"                ? &request.origin
                                       : name == "sec-websocket-key"     ? &request.webSocketKey
                                       : name == "sec-websocket-version" ? &request.webSocketVersion
                                                                         : nullptr;
    if (!kept) {
        return true;
    }
    if (kept->has_value()) {
        return false;
    }
    *kept = std::string(value);
    return true;
}

struct HostPort {
    std::string name;
    std::optional<unsigned> port;
};

// "name", "name:port", "[v6]" or "[v6]:port", the name in lower case; nothing when it is none
// of these.
std::optional<HostPort> splitHostPort(std::string_view text) {
    std::size_t nameEnd = 0;
    if (!text.empty() && text.front() == '[') {
        nameEnd = text.find(']');
        if (nameEnd == std::string_view::npos) {
            return std::nullopt;
        }
        ++nameEnd;
    } else {
        nameEnd = std::min(text.find(':'), text.size());
    }
    const std::string_view name = text.substr(0, nameEnd);
    const bool bracketed = !name.empty() && name.front() == '[';
    if (name.empty() || !std::all_of(name.begin(), name.end(), [bracketed](unsigned char c) {
            return std::isalnum(c) || c == '.' || c == '-' || c == '_' ||
                   (bracketed && (c == ':' || c == '[' || c == ']'));
        })) {
        return std::nullopt;
    }
    HostPort split{lower(name), std::nullopt};
    const std::string_view port = text.substr(nameEnd);
    if (port.empty()) {
        return split;
    }
    if (port.size() < 2 || port.size() > 6 || port.front() != ':') {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : port.substr(1)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 65535) {
        return std::nullopt;
    }
    split.port = value;
    return split;
}

// A Sec-WebSocket-Key: 16 bytes in base64, 24 characters.
bool isWebSocketKey(std::string_view key) {
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    return key.size() == 24 && key.substr(22) == "==" &&
           std::all_of(key.begin(), key.begin() + 22,
                       [&](char c) { return alphabet.find(c) != std::string_view::npos; });
}

} // namespace

HttpRequest parseRequestHead(std::string_view bytes, std::size_t limit) {
    HttpRequest request;
    const std::size_t end = bytes.find("\r\n\r\n");
    if (end == std::string_view::npos || end + 4 > limit) {
        request.verdict = bytes.size() >= limit || end != std::string_view::npos
                              ? HttpRequest::Verdict::TooLarge
                              : HttpRequest::Verdict::Incomplete;
        return request;
    }
    std::string_view head = bytes.substr(0, end + 2);
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view line = head.substr(0, lineEnd);
    head.remove_prefix(lineEnd + 2);

    const std::size_t firstSpace = line.find(' ');
    const std::size_t lastSpace = line.rfind(' ');
    request.verdict = HttpRequest::Verdict::BadRequest;
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace) {
        return request;
    }
    const std::string_view method = line.substr(0, firstSpace);
    const std::string_view target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    const std::string_view version = line.substr(lastSpace + 1);
    if (method.empty() || (version != "HTTP/1.1" && version != "HTTP/1.0") ||
        !isOriginForm(target)) {
        return request;
    }
    bool upgrade = false;
    bool connectionUpgrade = false;
    while (!head.empty()) {
        const std::size_t next = head.find("\r\n");
        const std::string_view header = head.substr(0, next);
        head.remove_prefix(next + 2);
        const std::size_t colon = header.find(':');
        if (colon == 0 || colon == std::string_view::npos || header.find_first_of(" \t") < colon) {
            return request;
        }
        const std::string name = lower(header.substr(0, colon));
        const std::string_view value = trimmed(header.substr(colon + 1));
        if (name == "upgrade") {
            upgrade = upgrade || hasToken(value, "websocket");
        } else if (name == "connection") {
            connectionUpgrade = connectionUpgrade || hasToken(value, "upgrade");
        } else if (!keepOnce(name, value, request)) {
            return request;
        }
    }
    if (method != "GET") {
        request.verdict = HttpRequest::Verdict::MethodNotAllowed;
        return request;
    }
    request.verdict = HttpRequest::Verdict::Get;
    request.headBytes = end + 4;
    request.http11 = version == "HTTP/1.1";
    const std::size_t question = target.find('?');
    request.path = std::string(target.substr(0, question));
    if (question != std::string_view::npos) {
        request.query = std::string(target.substr(question + 1));
    }
    request.webSocket = upgrade && connectionUpgrade;
    return request;
}

bool sameOrigin(std::string_view origin, std::string_view host) {
    unsigned defaultPort = 0;
    if (lower(origin.substr(0, 7)) == "http://") {
        origin.remove_prefix(7);
        defaultPort = 80;
    } else if (lower(origin.substr(0, 8)) == "https://") {
        origin.remove_prefix(8);
        defaultPort = 443;
    } else {
        return false;
    }
    const std::optional<HostPort> page = splitHostPort(origin);
    const std::optional<HostPort> served = splitHostPort(host);
    return page && served && page->name == served->name &&
           page->port.value_or(defaultPort) == served->port.value_or(defaultPort);
}

std::string webSocketRefusal(const HttpRequest &request) {
    if (!request.webSocket) {
        return "426 Upgrade Required";
    }
    if (!request.http11 || !request.host || request.host->empty() || !request.webSocketKey ||
        !isWebSocketKey(*request.webSocketKey)) {
        return "400 Bad Request";
    }
    if (request.webSocketVersion != "13") {
        return "426 Upgrade Required";
    }
    // A page of another site the user opens must not read the dashboard; a program that is no
    // browser sends no Origin.
    if (request.origin && !sameOrigin(*request.origin, *request.host)) {
        return "403 Forbidden";
    }
    return {};
}

std::string queryValue(std::string_view query, std::string_view name) {
    while (!query.empty()) {
        const std::size_t amp = std::min(query.find('&'), query.size());
        const std::string_view pair = query.substr(0, amp);
        query.remove_prefix(std::min(amp + 1, query.size()));
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos || pair.substr(0, equals) != name) {
            continue;
        }
        std::string value;
        const std::string_view encoded = pair.substr(equals + 1);
        for (std::size_t i = 0; i < encoded.size(); ++i) {
            if (encoded[i] == '+') {
                value += ' ';
            } else if (encoded[i] != '%') {
                value += encoded[i];
            } else if (i + 2 < encoded.size() && hexValue(encoded[i + 1]) >= 0 &&
                       hexValue(encoded[i + 2]) >= 0) {
                value +=
                    static_cast<char>(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
                i += 2;
            } else {
                return {};
            }
        }
        return value;
    }
    return {};
}

std::string httpResponse(std::string_view status, std::string_view contentType,
                         std::string_view body, bool cache) {
    std::string response = "HTTP/1.1 " + std::string(status) + "\r\n";
    response += "Content-Type: " + std::string(contentType) + "\r\n";
    response += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    response += cache ? "Cache-Control: max-age=3600\r\n" : "Cache-Control: no-store\r\n";
    // The page runs its own script only, and no other site may frame it.
    response += "Content-Security-Policy: default-src 'self'; connect-src 'self' ws: wss:; "
                "img-src 'self'; frame-ancestors 'none'\r\n";
    response += "X-Content-Type-Options: nosniff\r\nConnection: close\r\n";
    if (status.substr(0, 3) == "405") {
        response += "Allow: GET\r\n";
    }
    if (status.substr(0, 3) == "426") {
        response += "Upgrade: websocket\r\nSec-WebSocket-Version: 13\r\n";
    }
    response += "\r\n";
    response.append(body);
    return response;
}

} // namespace ostrelo::web
