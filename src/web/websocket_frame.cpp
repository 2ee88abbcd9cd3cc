// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/websocket_frame.h"

namespace ostrelo::web {
namespace {

constexpr std::size_t kLargestControl = 125;

std::uint8_t byteAt(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

// A code a peer may put in a close frame: the ones the protocol defines for it, and those left
// to libraries and applications.
bool isCloseCode(unsigned code) {
    return (code >= 1000 && code <= 1003) || (code >= 1007 && code <= 1014) ||
           (code >= 3000 && code <= 4999);
}

} // namespace

bool isUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = byteAt(bytes, i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        // The range the second byte must lie in, narrower after some leads: that is what
        // rules out overlong forms, surrogates and values past U+10FFFF.
        std::uint8_t low = 0x80;
        std::uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (bytes.size() - i < length) {
            return false;
        }
        const std::uint8_t second = byteAt(bytes, i + 1);
        if (second < low || second > high) {
            return false;
        }
        for (std::size_t k = 2; k < length; ++k) {
            if ((byteAt(bytes, i + k) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

FrameReader::FrameReader(std::size_t largestMessage) : m_largest(largestMessage) {
}

void FrameReader::feed(std::string_view bytes) {
    if (m_ended) {
        return;
    }
    // What was read is dropped before more comes, so that the buffer holds one frame at most
    // besides the new bytes.
    m_buffer.erase(0, m_start);
    m_start = 0;
    m_buffer.append(bytes);
}

ViewerFrame FrameReader::fail(CloseCode code) {
    m_ended = true;
    m_buffer.clear();
    m_start = 0;
    m_message.clear();
    return ViewerFrame{ViewerFrame::Kind::Failed, {}, code};
}

std::optional<ViewerFrame> FrameReader::next() {
    if (m_ended) {
        return std::nullopt;
    }
    const std::string_view bytes = std::string_view(m_buffer).substr(m_start);
    if (bytes.size() < 2) {
        return std::nullopt;
    }
    const std::uint8_t first = byteAt(bytes, 0);
    const std::uint8_t second = byteAt(bytes, 1);
    const bool final = (first & 0x80) != 0;
    const std::uint8_t opcode = first & 0x0F;
    const bool control = (opcode & 0x08) != 0;
    // No extension is agreed, so no reserved bit may be set; a browser always masks.
    if ((first & 0x70) != 0 || (second & 0x80) == 0) {
        return fail(CloseCode::ProtocolError);
    }
    if (opcode > 0x2 && opcode != 0x8 && opcode != 0x9 && opcode != 0xA) {
        return fail(CloseCode::ProtocolError);
    }
    std::uint64_t length = second & 0x7F;
    std::size_t header = 2;
    if (length == 126) {
        if (bytes.size() < 4) {
            return std::nullopt;
        }
        length = (std::uint64_t{byteAt(bytes, 2)} << 8) | byteAt(bytes, 3);
        header = 4;
        if (length < 126) {
            return fail(CloseCode::ProtocolError);
        }
    } else if (length == 127) {
        if (bytes.size() < 10) {
            return std::nullopt;
        }
        length = 0;
        for (std::size_t i = 2; i < 10; ++i) {
            length = (length << 8) | byteAt(bytes, i);
        }
        header = 10;
        if (length <= 0xFFFF || (length >> 63) != 0) {
            return fail(CloseCode::ProtocolError);
        }
    }
    if (control && (!final || length > kLargestControl)) {
        return fail(CloseCode::ProtocolError);
    }
    if (!control) {
        // A continuation goes on a message; a new message waits for the last one's end.
        if ((opcode == 0x0) != m_inMessage) {
            return fail(CloseCode::ProtocolError);
        }
        if (length > m_largest - m_messageBytes) {
            return fail(CloseCode::TooBig);
        }
    }
    header += 4;
    if (bytes.size() < header || bytes.size() - header < length) {
        return std::nullopt;
    }
    const std::string_view mask = bytes.substr(header - 4, 4);
    std::string payload(bytes.substr(header, static_cast<std::size_t>(length)));
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(payload[i] ^ mask[i % 4]);
    }
    m_start += header + static_cast<std::size_t>(length);

    if (!control) {
        if (opcode != 0x0) {
            m_inMessage = true;
            m_text = opcode == 0x1;
        }
        m_messageBytes += payload.size();
        if (m_text) {
            m_message += payload;
        }
        if (final) {
            const bool valid = !m_text || isUtf8(m_message);
            m_inMessage = false;
            m_messageBytes = 0;
            m_message.clear();
            if (!valid) {
                return fail(CloseCode::InvalidData);
            }
        }
        return ViewerFrame{};
    }
    if (opcode == 0x9) {
        return ViewerFrame{ViewerFrame::Kind::Ping, std::move(payload), CloseCode::Normal};
    }
    if (opcode == 0xA) {
        return ViewerFrame{ViewerFrame::Kind::Pong, {}, CloseCode::Normal};
    }
    if (payload.size() == 1) {
        return fail(CloseCode::ProtocolError);
    }
    CloseCode code = CloseCode::NoCode;
    if (payload.size() >= 2) {
        const unsigned number = (unsigned{byteAt(payload, 0)} << 8) | byteAt(payload, 1);
        if (!isCloseCode(number)) {
            return fail(CloseCode::ProtocolError);
        }
        if (!isUtf8(std::string_view(payload).substr(2))) {
            return fail(CloseCode::InvalidData);
        }
        code = static_cast<CloseCode>(number);
    }
    m_ended = true;
    m_buffer.clear();
    m_start = 0;
    return ViewerFrame{ViewerFrame::Kind::Close, {}, code};
}

std::string serverFrame(Opcode opcode, std::string_view payload) {
    std::string frame;
    frame += static_cast<char>(0x80 | static_cast<std::uint8_t>(opcode));
    const std::uint64_t length = payload.size();
    if (length < 126) {
        frame += static_cast<char>(length);
    } else if (length <= 0xFFFF) {
        frame += static_cast<char>(126);
        frame += static_cast<char>(length >> 8);
        frame += static_cast<char>(length & 0xFF);
    } else {
        frame += static_cast<char>(127);
        for (int shift = 56; shift >= 0; shift -= 8) {
            frame += static_cast<char>((length >> shift) & 0xFF);
        }
    }
    frame.append(payload);
    return frame;
}

std::string closeFrame(CloseCode code) {
    if (code == CloseCode::NoCode) {
        return serverFrame(Opcode::Close, {});
    }
    const auto number = static_cast<std::uint16_t>(code);
    const char payload[2] = {static_cast<char>(number >> 8), static_cast<char>(number & 0xFF)};
    return serverFrame(Opcode::Close, std::string_view(payload, 2));
}

} // namespace ostrelo::web
