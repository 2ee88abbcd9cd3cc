// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/frame_joiner.h"

#include "core/error.h"
#include "net/frame.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace ostrelo::net {
namespace {

constexpr std::size_t kPrefixLength = 6;
// The NULs of a frame of 54 fields: one before each field and one after the last. A text
// never holds one (the game's texts end at their first NUL), so no stretch of one frame's
// body after its own first NUL holds that many.
constexpr std::size_t kFrameNuls = kFieldCount + 1;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The size of the frame whose prefix starts `bytes` (the length less one), or 0 when
// `bytes` does not start with six digits of a length a writer can produce and a NUL.
std::size_t frameSizeAt(std::string_view bytes) {
    if (bytes.size() <= kPrefixLength || bytes[kPrefixLength] != '\0' ||
        !std::all_of(bytes.begin(), bytes.begin() + kPrefixLength, isDigit)) {
        return 0;
    }
    const int length = std::stoi(std::string(bytes.substr(0, kPrefixLength)));
    return length >= 8 && length <= kMaxFrameLength ? static_cast<std::size_t>(length - 1) : 0;
}

// True when `bytes` can be the start of a frame: nothing yet, the first digits of a prefix,
// or a whole prefix and its NUL.
bool mayStartFrame(std::string_view bytes) {
    if (bytes.size() > kPrefixLength) {
        return frameSizeAt(bytes) != 0;
    }
    return std::all_of(bytes.begin(), bytes.end(), isDigit);
}

// True when the first `size` bytes of `bytes` have the shape of a whole frame: ending with
// NUL, holding the NULs of 54 fields, and followed by what can be the start of the next.
bool wholeFrame(std::string_view bytes, std::size_t size) {
    return size <= bytes.size() && bytes[size - 1] == '\0' &&
           static_cast<std::size_t>(std::count(bytes.begin() + kPrefixLength,
                                               bytes.begin() + static_cast<std::ptrdiff_t>(size),
                                               '\0')) >= kFrameNuls &&
           mayStartFrame(bytes.substr(size));
}

// Where a whole frame begins inside the frame at the start of `held` of size `size`, or 0.
// Inside a frame that is whole no other whole frame fits, so one found there means that the
// frame was cut short and the writer went on with the next.
std::size_t nextFrameInside(std::string_view held, std::size_t size) {
    std::vector<std::size_t> nuls;
    for (std::size_t nul = held.find('\0', kPrefixLength + 1); nul != std::string_view::npos;
         nul = held.find('\0', nul + 1)) {
        nuls.push_back(nul);
    }
    const std::size_t end = std::min(held.size(), size);
    for (auto nul = nuls.begin(); nul != nuls.end(); ++nul) {
        if (*nul < 2 * kPrefixLength + 1) {
            continue;
        }
        const std::size_t start = *nul - kPrefixLength;
        if (start >= end) {
            break;
        }
        const std::string_view candidate = held.substr(start);
        const std::size_t candidateSize = frameSizeAt(candidate);
        if (candidateSize == 0 || candidateSize > candidate.size() ||
            candidate[candidateSize - 1] != '\0') {
            continue;
        }
        const auto after = std::lower_bound(nul, nuls.end(), start + candidateSize);
        if (static_cast<std::size_t>(after - nul) >= kFrameNuls &&
            mayStartFrame(candidate.substr(candidateSize))) {
            return start;
        }
    }
    return 0;
}

// True when a frame may yet begin inside the frame at the start of `held` of size `size`:
// somewhere in it, what has come so far can be the start of a frame not yet whole, and one
// that ends within the largest frame's size from `held`'s start, so that no more than that
// is ever held.
bool frameMayBeginInside(std::string_view held, std::size_t size) {
    const std::size_t end = std::min(held.size(), size);
    const auto largest = static_cast<std::size_t>(kMaxFrameLength - 1);
    for (std::size_t start = kPrefixLength + 1; start < end; ++start) {
        const std::string_view candidate = held.substr(start);
        if (!mayStartFrame(candidate)) {
            continue;
        }
        if (candidate.size() <= kPrefixLength) {
            return true;
        }
        const std::size_t candidateSize = frameSizeAt(candidate);
        if (candidateSize > candidate.size() && start + candidateSize <= largest) {
            return true;
        }
    }
    return false;
}

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
    m_cut.clear();
}

std::optional<std::string> FrameJoiner::next() {
    for (;;) {
        const std::string_view held = std::string_view(m_buffer).substr(m_start);
        const std::string_view prefix = held.substr(0, kPrefixLength);
        if (!std::all_of(prefix.begin(), prefix.end(), isDigit)) {
            drop();
            throw core::RunTimeError("FrameLength",
                                     "Malformed frame: the length is not six digits");
        }
        if (prefix.size() < kPrefixLength) {
            break;
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
        if (held.size() < frameSize || !wholeFrame(held, frameSize)) {
            if (const std::size_t cut = nextFrameInside(held, frameSize)) {
                m_cut = "Malformed frame: cut short after " + std::to_string(cut) + " of its " +
                        std::to_string(frameSize) + " characters";
                m_start += cut;
                continue;
            }
            // A frame that does not end with NUL was cut: the one that cut it may still be
            // on its way.
            if (held.size() < frameSize ||
                (held[frameSize - 1] != '\0' && frameMayBeginInside(held, frameSize))) {
                break;
            }
        }
        std::string body(held.substr(kPrefixLength + 1, frameSize - kPrefixLength - 1));
        m_start += frameSize;
        if (m_start == m_buffer.size()) {
            m_buffer.clear();
            m_start = 0;
        }
        return body;
    }
    if (!m_cut.empty()) {
        const std::string cut = std::exchange(m_cut, {});
        throw core::RunTimeError("FrameLength", cut);
    }
    return std::nullopt;
}

} // namespace ostrelo::net
