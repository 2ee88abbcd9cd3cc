// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/skins.h"

#include "core/file_path.h"
#include "core/ini_file.h"

#include <filesystem>

namespace ostrelo::dashboard {

std::optional<std::string> carPictureFile(const std::string &folder, const std::string &carName) {
    const std::filesystem::path base = core::pathFromUtf8(folder);
    const std::string file =
        core::ReadIni(core::utf8FromPath(base / "carskins.ini"), "Cars", carName, "");
    if (file == "-1") {
        return std::nullopt;
    }
    return core::utf8FromPath((base / "carskins" / core::pathFromUtf8(file)).make_preferred());
}

} // namespace ostrelo::dashboard
