// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ostrelo::web {

/// The longest request head the web dashboard reads, in bytes.
inline constexpr std::size_t kRequestHeadLimit = 8192;

/// What the head of an HTTP request from a browser asks for, as far as the web dashboard
/// cares: the path and query of a GET, and whether it asks for a WebSocket.
struct HttpRequest {
    enum class Verdict {
        Incomplete,       ///< more bytes are needed
        Get,              ///< a well-formed GET
        BadRequest,       ///< 400: not a request line and headers
        MethodNotAllowed, ///< 405: anything but GET
        TooLarge,         ///< 431: no end of the head within the limit
    };
    Verdict verdict = Verdict::Incomplete;
    std::string path;
    std::string query;
    bool webSocket = false;
    /// The length of the head, the empty line included: what follows belongs to the protocol
    /// the request switches to.
    std::size_t headBytes = 0;
    bool http11 = false;
    /// The Host, Origin, Sec-WebSocket-Key and Sec-WebSocket-Version headers as sent; a header
    /// sent twice makes the request a bad one.
    std::optional<std::string> host;
    std::optional<std::string> origin;
    std::optional<std::string> webSocketKey;
    std::optional<std::string> webSocketVersion;
};

/// Reads the request head at the start of `bytes` (nothing after the empty line counts).
HttpRequest parseRequestHead(std::string_view bytes, std::size_t limit = kRequestHeadLimit);

/// Whether a page of `origin` ("http://192.168.1.20:8080", as a browser names it) is served from
/// `host` ("192.168.1.20:8080", the Host a request came to): the same host and port, a missing
/// port standing for the scheme's own. False for anything that is not a plain origin.
bool sameOrigin(std::string_view origin, std::string_view host);

/// Why a GET asking for a WebSocket cannot have one, as the status to answer ("403 Forbidden"
/// for a page of another origin); empty when the handshake may go on.
std::string webSocketRefusal(const HttpRequest &request);

/// The value of `name` in a query ("lang=English&units=Metric"), percent-decoded; empty when
/// it is missing or badly encoded.
std::string queryValue(std::string_view query, std::string_view name);

/// A complete response with `status` ("404 Not Found"), the content type and the body; the
/// connection closes after it and nothing is cached unless `cache` says so.
std::string httpResponse(std::string_view status, std::string_view contentType,
                         std::string_view body, bool cache = false);

} // namespace ostrelo::web
