// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostrelo::web {

/// The close codes the web dashboard uses.
enum class CloseCode : std::uint16_t {
    Normal = 1000,
    ProtocolError = 1002,
    NoCode = 1005, ///< a close frame without a code (never sent)
    InvalidData = 1007,
    TooBig = 1009,
};

/// One frame a viewer sent, as the server acts on it.
struct ViewerFrame {
    enum class Kind {
        Data,   ///< a text, binary or continuation frame; its bytes are not kept
        Ping,   ///< to be answered with a pong carrying `payload`
        Pong,   ///< nothing to do
        Close,  ///< the viewer leaves with `code`
        Failed, ///< the bytes break the protocol: close with `code`
    };
    Kind kind = Kind::Data;
    std::string payload;
    CloseCode code = CloseCode::Normal;
};

/// Reads the frames a browser sends on a WebSocket and holds them to the protocol: masked,
/// no reserved bits or opcodes, control frames whole and at most 125 bytes, fragments in
/// order, messages no longer than the limit, text and close reasons in UTF-8. It keeps at most
/// one frame's bytes besides what it was fed and has not read yet.
class FrameReader {
public:
    /// `largestMessage`: the longest message, in bytes, a viewer may send.
    explicit FrameReader(std::size_t largestMessage);

    /// Adds bytes as they come from the viewer.
    void feed(std::string_view bytes);

    /// The next whole frame, or nothing until more bytes come. After a Close or a Failed frame
    /// it gives nothing more.
    std::optional<ViewerFrame> next();

    /// Bytes fed and not read yet, and those of the message being put together.
    std::size_t held() const { return m_buffer.size() - m_start + m_message.size(); }

private:
    ViewerFrame fail(CloseCode code);

    std::size_t m_largest;
    std::string m_buffer;
    std::size_t m_start = 0;
    bool m_inMessage = false;
    bool m_text = false;
    std::size_t m_messageBytes = 0;
    // The text message being put together, to check its UTF-8 once whole.
    std::string m_message;
    bool m_ended = false;
};

/// The frame opcodes the server sends.
enum class Opcode : std::uint8_t { Text = 0x1, Close = 0x8, Pong = 0xA };

/// A whole, unmasked frame from the server with `payload`.
std::string serverFrame(Opcode opcode, std::string_view payload);

/// A close frame with `code`.
std::string closeFrame(CloseCode code);

/// Whether `bytes` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isUtf8(std::string_view bytes);

} // namespace ostrelo::web
