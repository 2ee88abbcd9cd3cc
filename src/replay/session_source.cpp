// SPDX-License-Identifier: GPL-3.0-or-later
#include "replay/session_source.h"

#include <algorithm>
#include <cstring>

namespace ostrelo::replay {

std::size_t BytesSource::read(std::uint64_t offset, char *into, std::size_t size) {
    if (offset >= m_view.size()) {
        return 0;
    }
    const std::size_t count = std::min<std::uint64_t>(size, m_view.size() - offset);
    std::memcpy(into, m_view.data() + offset, count);
    return count;
}

} // namespace ostrelo::replay
