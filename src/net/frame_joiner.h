// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ostrelo::net {

/// Joins what arrives on the client's socket and cuts it into frames by their length
/// prefix, so a frame split across arrivals is still whole and several frames in one
/// arrival come out one by one, in order.
class FrameJoiner {
public:
    /// Adds the bytes of one arrival.
    void append(std::string_view bytes);

    /// The body of the next complete frame without its leading NUL, or nullopt when more
    /// bytes are needed. A malformed prefix (not six digits, below 8 or above the largest
    /// frame a writer can produce, or a body not starting with NUL) drops everything held
    /// and throws core::RunTimeError; joining starts afresh with the next arrival. A frame
    /// cut short (a whole frame begins where its body should go on) is skipped at once: the
    /// frames after it come out, and when none is left the cut is told by a
    /// core::RunTimeError in place of nullopt.
    std::optional<std::string> next();

    /// Forgets a half-received frame.
    void clear() { drop(); }

    /// Bytes held for an unfinished frame.
    std::size_t buffered() const { return m_buffer.size() - m_start; }

private:
    void drop();

    std::string m_buffer;
    std::size_t m_start = 0;
    /// What was cut short, told once the frames after it are out.
    std::string m_cut;
};

} // namespace ostrelo::net
