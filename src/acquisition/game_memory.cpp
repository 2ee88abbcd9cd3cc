// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/game_memory.h"

#include "core/error.h"
#include "core/text_encoding.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace ostrelo::acquisition {
namespace {

// Numbers in the game's memory are little-endian; so is every machine this runs on.
static_assert(std::endian::native == std::endian::little);

template <typename T> T fromBytes(const std::array<std::byte, sizeof(T)> &bytes) {
    T value;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

} // namespace

GameMemory::GameMemory(platform::ProcessMemory &memory, const GameAttachment &attachment)
    : m_memory(memory), m_attachment(attachment) {
}

void GameMemory::snapshot(std::span<const Range> ranges) {
    // The buffers stay from one sample to the next: a sample allocates nothing here.
    if (m_copies.size() < ranges.size()) {
        m_copies.resize(ranges.size());
    }
    m_requests.resize(ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        Copy &copy = m_copies[i];
        copy.address = static_cast<std::uint32_t>(ranges[i].address);
        copy.bytes.resize(static_cast<std::size_t>(ranges[i].size));
        m_requests[i] = {copy.address, copy.bytes, 0};
    }
    m_memory.readMany(m_attachment.process(), m_requests);
    // Only what was copied whole stands in for the game: anything else is read as asked, so
    // every read keeps its own count.
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        m_copies[i].whole = m_requests[i].copied == m_requests[i].buffer.size();
    }
    m_copyCount = ranges.size();
}

std::span<const std::byte> GameMemory::copied(std::size_t index) const {
    if (index >= m_copyCount || !m_copies[index].whole) {
        return {};
    }
    return m_copies[index].bytes;
}

std::size_t GameMemory::read(std::int32_t address, std::span<std::byte> buffer) {
    // The game is a 32-bit program: its addresses are unsigned 32-bit numbers.
    const auto at = static_cast<std::uint32_t>(address);
    for (std::size_t i = 0; i < m_copyCount; ++i) {
        const Copy &copy = m_copies[i];
        if (copy.whole && at >= copy.address &&
            at - copy.address + buffer.size() <= copy.bytes.size()) {
            std::memcpy(buffer.data(), copy.bytes.data() + (at - copy.address), buffer.size());
            return buffer.size();
        }
    }
    return m_memory.read(m_attachment.process(), at, buffer);
}

std::string GameMemory::ReadMemory(std::int32_t address, std::int32_t size) {
    std::string text(1, '\0');
    core::trap("ReadMemory", [&] {
        if (size <= 0) {
            throw core::RunTimeError("ReadMemory", "Invalid size " + std::to_string(size));
        }
        std::string bytes(static_cast<std::size_t>(size), ' ');
        if (read(address, std::as_writable_bytes(std::span(bytes))) > 0) {
            text = core::fromWindows1252(bytes);
        }
    });
    return text;
}

std::int16_t GameMemory::ReadMemoryInteger(std::int32_t address, std::int32_t size) {
    std::int16_t value = 0;
    core::trap("ReadMemoryInteger", [&] {
        std::array<std::byte, 4> bytes{};
        const auto length = static_cast<std::size_t>(std::clamp(size, 0, 4));
        if (read(address, std::span(bytes).first(length)) > 0) {
            value = static_cast<std::int16_t>(fromBytes<std::uint32_t>(bytes) & 0xFFFF);
        }
    });
    return value;
}

float GameMemory::ReadMemorySingle(std::int32_t address, std::int32_t size) {
    float value = 0;
    core::trap("ReadMemorySingle", [&] {
        std::array<std::byte, 4> bytes{};
        const auto length = static_cast<std::size_t>(std::clamp(size, 0, 4));
        if (read(address, std::span(bytes).first(length)) > 0) {
            value = fromBytes<float>(bytes);
        }
    });
    return value;
}

double GameMemory::ReadMemoryDouble(std::int32_t address) {
    double value = 0;
    core::trap("ReadMemoryDouble", [&] {
        std::array<std::byte, 8> bytes{};
        if (read(address, bytes) > 0) {
            value = fromBytes<double>(bytes);
        }
    });
    return value;
}

} // namespace ostrelo::acquisition
