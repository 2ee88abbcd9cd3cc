// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_codec.h"

#include "core/regular_file.h"
#include "core/text_encoding.h"

#include <optional>

namespace ostrelo::core {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// Decodes the file's bytes by their byte-order mark, else as UTF-8, else as Windows-1252. A
// NUL byte outside UTF-16 means a file that is not text (or UTF-16 without its mark).
std::optional<std::string> decode(std::string_view raw, IniEncoding &encoding) {
    if (raw.starts_with(kUtf16LeMark) || raw.starts_with(kUtf16BeMark)) {
        const bool bigEndian = raw.starts_with(kUtf16BeMark);
        encoding = bigEndian ? IniEncoding::Utf16Be : IniEncoding::Utf16Le;
        return fromUtf16(raw.substr(2), bigEndian);
    }
    if (raw.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    if (raw.starts_with(kUtf8Mark)) {
        encoding = IniEncoding::Utf8WithMark;
        raw.remove_prefix(kUtf8Mark.size());
        return isValidUtf8(raw) ? std::optional<std::string>(raw) : std::nullopt;
    }
    if (isValidUtf8(raw)) {
        encoding = IniEncoding::Utf8;
        return std::string(raw);
    }
    encoding = IniEncoding::Windows1252;
    return fromWindows1252(raw);
}

} // namespace

std::string encodeIni(const std::string &text, IniEncoding encoding) {
    switch (encoding) {
    case IniEncoding::Utf8:
        return text;
    case IniEncoding::Utf8WithMark:
        return std::string(kUtf8Mark) + text;
    case IniEncoding::Windows1252:
        return toWindows1252(text);
    case IniEncoding::Utf16Le:
        return std::string(kUtf16LeMark) + toUtf16(text, false);
    case IniEncoding::Utf16Be:
        return std::string(kUtf16BeMark) + toUtf16(text, true);
    }
    return text;
}

LoadedIni loadIni(const std::string &path) {
    return decodeIni(readRegularFile(path), path);
}

LoadedIni decodeIni(const FileContents &contents, const std::string &path) {
    LoadedIni loaded;
    if (contents.status == FileContents::Status::Refused) {
        loaded.problem = contents.problem;
        return loaded;
    }
    loaded.exists = contents.status == FileContents::Status::Read;
    if (const auto text = decode(contents.bytes, loaded.encoding)) {
        loaded.document = IniDocument::parse(*text);
    } else {
        loaded.problem = {FileProblem::Cause::NotText, path, {}, {}};
    }
    return loaded;
}

} // namespace ostrelo::core
