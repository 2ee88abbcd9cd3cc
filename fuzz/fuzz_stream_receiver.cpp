// SPDX-License-Identifier: GPL-3.0-or-later
// The client's receiving side: arbitrary bytes arriving in arbitrary pieces are joined, cut
// into frames, split and taken over. Nothing may crash; every failure is a RunTimeError.
#include "core/error.h"
#include "net/frame.h"
#include "net/frame_joiner.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo;
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    net::FrameJoiner joiner;
    std::size_t at = 0;
    while (at < input.size()) {
        // The first byte of each piece says how long the piece is.
        const std::size_t length = 1 + static_cast<unsigned char>(input[at]) * 4;
        joiner.append(input.substr(at + 1, length));
        at += 1 + length;
        try {
            while (auto body = joiner.next()) {
                const auto pieces = net::splitBody(*body);
                if (pieces.size() == static_cast<std::size_t>(net::kFieldCount)) {
                    telemetry::TelemetrySample sample;
                    std::int16_t slot = 0;
                    net::takeOver(pieces, sample, slot);
                }
            }
        } catch (const core::RunTimeError &) {
        }
        if (joiner.buffered() > static_cast<std::size_t>(net::kMaxFrameLength) + 1024 + 1) {
            __builtin_trap();
        }
    }
    return 0;
}
