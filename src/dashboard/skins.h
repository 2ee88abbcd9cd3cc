// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace ostrelo::dashboard {

/// The picture file for `carName` from "carskins.ini" in `folder` (section Cars, key = the
/// car name in any letter case, value = a file in the "carskins" folder, subfolders
/// allowed); nullopt when the file, the section or the key is missing.
std::optional<std::string> carPictureFile(const std::string &folder, const std::string &carName);

} // namespace ostrelo::dashboard
