// SPDX-License-Identifier: GPL-3.0-or-later
// What a browser (or anything on the network) sends the web dashboard: any bytes give a
// verdict without failing, a GET names an absolute path of visible characters, and any text
// becomes a JSON string with no raw control character in it.
#include "web/http_request.h"
#include "web/json_text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo::web;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const HttpRequest request = parseRequestHead(bytes);
    if (request.verdict == HttpRequest::Verdict::Get) {
        if (request.path.empty() || request.path.front() != '/') {
            __builtin_trap();
        }
        for (const char c : request.path + request.query) {
            if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
                __builtin_trap();
            }
        }
        (void)queryValue(request.query, "lang");
    }
    const std::string json = jsonString(bytes);
    if (json.size() < 2 || json.front() != '"' || json.back() != '"') {
        __builtin_trap();
    }
    for (const char c : json) {
        if (static_cast<unsigned char>(c) < 0x20) {
            __builtin_trap();
        }
    }
    return 0;
}
