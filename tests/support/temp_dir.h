// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ostrelo::testing {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    /// The path of `name` inside the folder.
    std::string file(std::string_view name) const;
    /// Writes `bytes` to `name` inside the folder and returns its path.
    std::string write(std::string_view name, std::string_view bytes) const;
    /// The bytes of `name` inside the folder; empty when it does not exist.
    std::string read(std::string_view name) const;

private:
    std::filesystem::path m_path;
};

} // namespace ostrelo::testing
