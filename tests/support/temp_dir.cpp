// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_dir.h"

#include "core/file_path.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace ostrelo::testing {

TempDir::TempDir() {
    // A new name until one is free: the folder is made only where nothing was.
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "ostrelo-test-%08x", random());
        std::error_code error;
        if (std::filesystem::create_directory(base / name, error)) {
            m_path = base / name;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

// Names are UTF-8, as the program's own.
std::string TempDir::file(std::string_view name) const {
    return core::utf8FromPath(m_path / core::pathFromUtf8(name));
}

std::string TempDir::write(std::string_view name, std::string_view bytes) const {
    const std::string path = file(name);
    std::ofstream out(core::pathFromUtf8(path), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string TempDir::read(std::string_view name) const {
    std::ifstream in(core::pathFromUtf8(file(name)), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace ostrelo::testing
