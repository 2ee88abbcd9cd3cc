// SPDX-License-Identifier: GPL-3.0-or-later
// What anyone on the network sends on the live WebSocket, cut in pieces as the network may: the
// reader gives frames or a failure without reading past what it was fed, holds at most one
// frame and one message besides, answers no ping too long for a control frame, says nothing
// after a close or a failure, and fails only with the codes the protocol gives for it.
#include "web/websocket_frame.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo::web;
    if (size == 0) {
        return 0;
    }
    constexpr std::size_t kLargest = 1024;
    // The first byte says how many bytes come at a time, 1 to 256.
    const std::size_t piece = std::size_t{data[0]} + 1;
    std::string_view bytes(reinterpret_cast<const char *>(data + 1), size - 1);
    FrameReader reader(kLargest);
    bool ended = false;
    while (!bytes.empty()) {
        const std::string_view fed = bytes.substr(0, piece);
        bytes.remove_prefix(fed.size());
        reader.feed(fed);
        while (const auto frame = reader.next()) {
            if (ended) {
                __builtin_trap();
            }
            switch (frame->kind) {
            case ViewerFrame::Kind::Data:
            case ViewerFrame::Kind::Pong:
                break;
            case ViewerFrame::Kind::Ping:
                if (frame->payload.size() > 125 ||
                    serverFrame(Opcode::Pong, frame->payload).size() != frame->payload.size() + 2) {
                    __builtin_trap();
                }
                break;
            case ViewerFrame::Kind::Close:
                ended = true;
                break;
            case ViewerFrame::Kind::Failed:
                ended = true;
                if (frame->code != CloseCode::ProtocolError &&
                    frame->code != CloseCode::InvalidData && frame->code != CloseCode::TooBig) {
                    __builtin_trap();
                }
                break;
            }
        }
        // Once every whole frame is read: a frame's head and payload, and the message so far.
        if (reader.held() > 14 + 2 * kLargest) {
            __builtin_trap();
        }
    }

    // What the server sends says its own length.
    const std::string_view payload(reinterpret_cast<const char *>(data), size);
    const std::string frame = serverFrame(Opcode::Text, payload);
    const std::size_t header = size < 126 ? 2 : size <= 0xFFFF ? 4 : 10;
    if (frame.size() != header + size || frame.substr(header) != payload ||
        static_cast<unsigned char>(frame[0]) != 0x81) {
        __builtin_trap();
    }
    return 0;
}
