// SPDX-License-Identifier: GPL-3.0-or-later
// A session file changed anywhere, with the checksum of each record mended afterwards, so that
// what the records hold reaches the reader instead of stopping at the first bad checksum. The
// reader and a player on it never fail, and the player gives only samples the game could have.
#include "replay/replay_player.h"
#include "replay/session_format.h"
#include "telemetry/telemetry_fields.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Sets the checksum of every record that the file's own framing finds (kind, length, payload,
// checksum, after the header's empty line) to the one its payload has.
std::string mended(std::string bytes) {
    std::size_t at = bytes.find("\n\n");
    if (at == std::string::npos) {
        return bytes;
    }
    at += 2;
    while (at < bytes.size()) {
        std::size_t p = at + 1;
        std::uint64_t length = 0;
        bool ended = false;
        for (int shift = 0; shift < 64 && p < bytes.size(); shift += 7) {
            const auto byte = static_cast<unsigned char>(bytes[p++]);
            length |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0) {
                ended = true;
                break;
            }
        }
        if (!ended || p > bytes.size() || length > bytes.size() - p ||
            bytes.size() - p - length < 2) {
            break;
        }
        const std::uint16_t sum =
            ostrelo::replay::recordChecksum(std::string_view(bytes).substr(p, length));
        bytes[p + length] = static_cast<char>(sum & 0xFF);
        bytes[p + length + 1] = static_cast<char>(sum >> 8);
        at = p + length + 2;
    }
    return bytes;
}

void requirePlayable(const ostrelo::replay::RecordedSample &sample) {
    if (!ostrelo::telemetry::firstNotFinite(sample.sample).empty()) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo::replay;
    const std::string bytes = mended(std::string(reinterpret_cast<const char *>(data), size));
    SessionDecoder decoder(bytes);
    RecordedSample sample;
    while (decoder.next(sample)) {
    }
    ReplayPlayer player(bytes);
    player.onPassed = requirePlayable;
    if (player.durationMs() < 0) {
        __builtin_trap();
    }
    player.seek(player.durationMs() / 2);
    if (const auto due = player.advance(1000)) {
        requirePlayable(*due);
    }
    player.setSpeed(1000000);
    player.seek(0);
    // Played from its start for as long as it lasts, it ends.
    for (std::int64_t left = player.durationMs() + 1; left > 0; left -= 1000000000) {
        (void)player.advance(1000);
    }
    if (!player.finished()) {
        __builtin_trap();
    }
    return 0;
}
