// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/skins.h"

#include "core/ini_file.h"

#include <filesystem>

namespace ostrelo::dashboard {

std::optional<std::string> carPictureFile(const std::string &folder, const std::string &carName) {
    const std::filesystem::path base(folder);
    const std::string file = core::ReadIni((base / "carskins.ini").string(), "Cars", carName, "");
    if (file == "-1") {
        return std::nullopt;
    }
    return (base / "carskins" / file).string();
}

} // namespace ostrelo::dashboard
