// SPDX-License-Identifier: GPL-3.0-or-later
// A session file cut or damaged anywhere: the reader gives the samples before the damage and
// stops there, or refuses the file, and never fails; a player on it can be moved anywhere.
#include "replay/replay_player.h"
#include "replay/session_format.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo::replay;
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    SessionDecoder decoder(bytes);
    RecordedSample sample;
    std::size_t count = 0;
    while (decoder.next(sample)) {
        ++count;
    }
    if (count > size) {
        __builtin_trap();
    }
    ReplayPlayer player(bytes);
    player.seek(player.durationMs() / 2);
    (void)player.advance(1000);
    player.seek(0);
    (void)player.advance(0);
    return 0;
}
