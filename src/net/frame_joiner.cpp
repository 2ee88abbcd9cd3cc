// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/frame_joiner.h"

#include "core/error.h"
#include "net/frame.h"

#include <algorithm>

namespace ostrelo::net {
namespace {

constexpr std::size_t kPrefixLength = 6;

} // namespace

void FrameJoiner::append(std::string_view bytes) {
    if (m_start > 0) {
        m_buffer.erase(0, m_start);
        m_start = 0;
    }
    m_buffer.append(bytes);
}

void FrameJoiner::drop() {
    m_buffer.clear();
    m_start = 0;
}

std::optional<std::string> FrameJoiner::next() {
    const std::string_view held = std::string_view(m_buffer).substr(m_start);
    const std::string_view prefix = held.substr(0, kPrefixLength);
    if (!std::all_of(prefix.begin(), prefix.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        drop();
        throw core::RunTimeError("FrameLength", "Malformed frame: the length is not six digits");
    }
    if (prefix.size() < kPrefixLength) {
        return std::nullopt;
    }
    const int length = std::stoi(std::string(prefix));
    if (length < 8 || length > kMaxFrameLength) {
        drop();
        throw core::RunTimeError("FrameLength",
                                 "Malformed frame: length " + std::to_string(length));
    }
    if (held.size() > kPrefixLength && held[kPrefixLength] != '\0') {
        drop();
        throw core::RunTimeError("FrameLength",
                                 "Malformed frame: the body does not start with NUL");
    }
    // The whole frame is the length less one: the prefix, the leading NUL and the rest.
    const auto frameSize = static_cast<std::size_t>(length - 1);
    if (held.size() < frameSize) {
        return std::nullopt;
    }
    std::string body(held.substr(kPrefixLength + 1, frameSize - kPrefixLength - 1));
    m_start += frameSize;
    if (m_start == m_buffer.size()) {
        drop();
    }
    return body;
}

} // namespace ostrelo::net
