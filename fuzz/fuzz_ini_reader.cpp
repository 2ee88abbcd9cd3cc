// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file reader: any bytes, in either encoding, parse; a value set can be read
// back; writing never lets a value start a line of its own.
#include "core/ini_document.h"
#include "core/text_encoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo::core;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::string text = isValidUtf8(bytes) ? std::string(bytes) : fromWindows1252(bytes);
    IniDocument document = IniDocument::parse(text);
    document.value("Opcions", "ScanTime");
    document.value("MaxMin", "MaxPneu");
    document.setValue("Opcions", "ScanTime", " 123");
    if (document.value("opcions", "SCANTIME") != "123") {
        __builtin_trap();
    }
    const std::string value(bytes.substr(0, 40));
    document.setValue("Cars", "Lince", value);
    const IniDocument reread = IniDocument::parse(document.text());
    if (reread.value("Opcions", "ScanTime") != "123") {
        __builtin_trap();
    }
    return 0;
}
