// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
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
};

/// Reads the request head at the start of `bytes` (nothing after the empty line counts).
HttpRequest parseRequestHead(std::string_view bytes, std::size_t limit = kRequestHeadLimit);

/// The value of `name` in a query ("lang=English&units=Metric"), percent-decoded; empty when
/// it is missing or badly encoded.
std::string queryValue(std::string_view query, std::string_view name);

/// A complete response with `status` ("404 Not Found"), the content type and the body; the
/// connection closes after it and nothing is cached unless `cache` says so.
std::string httpResponse(std::string_view status, std::string_view contentType,
                         std::string_view body, bool cache = false);

} // namespace ostrelo::web
