// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "acquisition/game_attachment.h"
#include "platform/process_memory.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ostrelo::acquisition {

/// Typed reads of the game's memory through the process the attachment holds. A read that
/// copies nothing gives one NUL character or 0; failures are reported under the read's name.
class GameMemory {
public:
    /// A range of the game's memory, address and size in bytes.
    struct Range {
        std::int32_t address;
        std::int32_t size;
    };

    GameMemory(platform::ProcessMemory &memory, const GameAttachment &attachment);

    /// Copies `ranges` in one batch; until `forget()`, a typed read that lies wholly inside
    /// a range copied whole is served from that copy, any other read goes to the game.
    void snapshot(std::span<const Range> ranges);
    /// Drops the copy: every read goes to the game again.
    void forget() { m_copyCount = 0; }
    /// The bytes of the `index`th range of the last snapshot, or none when it was not copied
    /// whole.
    std::span<const std::byte> copied(std::size_t index) const;

    /// `size` bytes as text through Windows-1252, NULs kept and unread bytes blank; a text of
    /// one NUL character when nothing could be read.
    std::string ReadMemory(std::int32_t address, std::int32_t size);
    /// The low 16 bits of `size` (1 or 4) little-endian bytes as a signed integer; 0 when
    /// nothing could be read.
    std::int16_t ReadMemoryInteger(std::int32_t address, std::int32_t size);
    /// A little-endian IEEE single; 0 when nothing could be read.
    float ReadMemorySingle(std::int32_t address, std::int32_t size);
    /// A little-endian IEEE double; 0 when nothing could be read.
    double ReadMemoryDouble(std::int32_t address);

private:
    std::size_t read(std::int32_t address, std::span<std::byte> buffer);

    struct Copy {
        std::uint32_t address;
        std::vector<std::byte> bytes;
        bool whole = false;
    };

    platform::ProcessMemory &m_memory;
    const GameAttachment &m_attachment;
    std::vector<Copy> m_copies; // the first m_copyCount hold the last snapshot
    std::size_t m_copyCount = 0;
    std::vector<platform::ReadRequest> m_requests;
};

} // namespace ostrelo::acquisition
