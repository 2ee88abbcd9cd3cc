// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_path.h"

namespace ostrelo::core {

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    // A char8_t text is UTF-8 by definition, for std::filesystem on every system.
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t *>(utf8.data()), utf8.size()));
}

std::string utf8FromPath(const std::filesystem::path &path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char *>(text.data()), text.size());
}

} // namespace ostrelo::core
