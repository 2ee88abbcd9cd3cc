// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/windows_text_win32.h"
#include "memory_image.h"

#include <cstddef>
#include <cstdio>
#include <iterator>
#include <windows.h>

namespace ostrelo::simgame {
namespace {

// The game's memory is part of this program's image. Linked at the game's own image base
// without relocations, the image is loaded there, and this array lies across every telemetry
// address. Memory allocated at run time could not get them: under Wine they belong to
// Wine's own mappings by then.
alignas(4096) std::byte g_gameMemory[0x1000000];

std::string hex(std::uintptr_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

MemoryImage::MemoryImage() {
    const auto start = reinterpret_cast<std::uintptr_t>(g_gameMemory);
    const auto end = start + sizeof g_gameMemory;
    if (start > std::begin(kMemoryRegions)->start ||
        end < std::prev(std::end(kMemoryRegions))->end) {
        m_error = "the telemetry addresses lie outside the program's image (" + hex(start) +
                  " to " + hex(end) + "); it must be linked at image base 0x400000";
        return;
    }
    void *wanted = reinterpret_cast<void *>(kLastPage);
    if (::VirtualAlloc(wanted, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE) != wanted) {
        m_error = "cannot take the page at " + hex(kLastPage) + ": " +
                  core::systemMessage(::GetLastError());
    }
}

MemoryImage::~MemoryImage() {
    ::VirtualFree(reinterpret_cast<void *>(kLastPage), 0, MEM_RELEASE);
}

} // namespace ostrelo::simgame
