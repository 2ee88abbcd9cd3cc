// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory_image.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>

namespace ostrelo::simgame {

MemoryImage::MemoryImage() {
    for (const MemoryRegion &region : kMemoryRegions) {
        void *wanted = reinterpret_cast<void *>(region.start);
        void *got = mmap(wanted, region.end - region.start, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (got != wanted) {
            m_error = "cannot map the telemetry region at " + std::to_string(region.start) + ": " +
                      std::strerror(got == MAP_FAILED ? errno : EEXIST);
            return;
        }
    }
}

MemoryImage::~MemoryImage() {
    for (const MemoryRegion &region : kMemoryRegions) {
        munmap(reinterpret_cast<void *>(region.start), region.end - region.start);
    }
}

} // namespace ostrelo::simgame
