// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_file.h"

#include "core/error.h"
#include "core/ini_document.h"
#include "core/regular_file.h"
#include "core/text_encoding.h"

#include <map>
#include <vector>

namespace ostrelo::core {
namespace {

enum class Encoding { Utf8, Utf8WithMark, Windows1252, Utf16Le, Utf16Be };

struct LoadedIni {
    IniDocument document;
    Encoding encoding = Encoding::Utf8;
    /// Why the file must not be written over: it could not be read or decoded.
    std::string problem;
    bool exists = false;
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// Decodes the file's bytes by their byte-order mark, else as UTF-8, else as Windows-1252. A
// NUL byte outside UTF-16 means a file that is not text (or UTF-16 without its mark).
std::optional<std::string> decode(std::string_view raw, Encoding &encoding) {
    if (raw.starts_with(kUtf16LeMark) || raw.starts_with(kUtf16BeMark)) {
        const bool bigEndian = raw.starts_with(kUtf16BeMark);
        encoding = bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le;
        return fromUtf16(raw.substr(2), bigEndian);
    }
    if (raw.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    if (raw.starts_with(kUtf8Mark)) {
        encoding = Encoding::Utf8WithMark;
        raw.remove_prefix(kUtf8Mark.size());
        return isValidUtf8(raw) ? std::optional<std::string>(raw) : std::nullopt;
    }
    if (isValidUtf8(raw)) {
        encoding = Encoding::Utf8;
        return std::string(raw);
    }
    encoding = Encoding::Windows1252;
    return fromWindows1252(raw);
}

std::string encode(const std::string &text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        return text;
    case Encoding::Utf8WithMark:
        return std::string(kUtf8Mark) + text;
    case Encoding::Windows1252:
        return toWindows1252(text);
    case Encoding::Utf16Le:
        return std::string(kUtf16LeMark) + toUtf16(text, false);
    case Encoding::Utf16Be:
        return std::string(kUtf16BeMark) + toUtf16(text, true);
    }
    return text;
}

// Reads and decodes the file. A missing file is an empty document; a file that cannot be
// read or decoded is an empty document with a problem, and is never written over.
LoadedIni loadIni(const std::string &path) {
    LoadedIni loaded;
    const FileContents contents = readRegularFile(path);
    if (contents.status == FileContents::Status::Refused) {
        loaded.problem = contents.problem;
        return loaded;
    }
    loaded.exists = contents.status == FileContents::Status::Read;
    if (const auto text = decode(contents.bytes, loaded.encoding)) {
        loaded.document = IniDocument::parse(*text);
    } else {
        loaded.problem = path + " cannot be used: its text is in no encoding Ostrelo reads";
    }
    return loaded;
}

struct PendingWrite {
    std::string section;
    std::string key;
    std::string value;
};

// Writes that failed, per file, in the order they were made, and whether the failure was
// told. The program has one thread.
struct PendingFile {
    std::vector<PendingWrite> writes;
    bool told = false;
};

std::map<std::string, PendingFile> &pendingWrites() {
    static std::map<std::string, PendingFile> pending;
    return pending;
}

} // namespace

std::string ReadIni(const std::string &path, std::string_view section, std::string_view key,
                    std::string_view defaultValue) {
    const std::string fallback = defaultValue.empty() ? "-1" : std::string(defaultValue);
    const auto value = loadIni(path).document.value(section, key);
    if (!value || value->empty()) {
        return fallback;
    }
    return std::string(leftCharacters(*value, kMaxIniValueLength));
}

namespace {

// Loads the file, applies the failed writes and then `extra`, and stores the result when
// its text changed. A file that cannot be read, decoded or written stays exactly as it is.
bool writeWithPending(const std::string &path, const PendingWrite *extra) {
    PendingFile &pending = pendingWrites()[path];
    if (extra) {
        std::erase_if(pending.writes, [extra](const PendingWrite &write) {
            return write.section == extra->section && write.key == extra->key;
        });
        pending.writes.push_back(*extra);
    }
    LoadedIni loaded = loadIni(path);
    std::string problem = loaded.problem;
    if (problem.empty()) {
        const std::string before = loaded.document.text();
        for (const PendingWrite &write : pending.writes) {
            loaded.document.setValue(write.section, write.key, write.value);
        }
        const std::string after = loaded.document.text();
        if (after == before && loaded.exists) {
            pendingWrites().erase(path);
            return true;
        }
        problem = replaceFile(path, encode(after, loaded.encoding));
    }
    if (problem.empty()) {
        pendingWrites().erase(path);
        return true;
    }
    if (!pending.told) {
        pending.told = true;
        ReportError("WriteIni", "WriteIni", "Settings cannot be saved: " + problem);
    }
    return false;
}

} // namespace

std::string settingsFileProblem(const std::string &path) {
    const LoadedIni loaded = loadIni(path);
    if (!loaded.problem.empty()) {
        return loaded.problem;
    }
    return cannotReplace(path);
}

bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::string &path) {
    const PendingWrite write{std::string(section), std::string(key), std::string(value)};
    return writeWithPending(path, &write);
}

bool flushIniWrites(const std::string &path) {
    const auto found = pendingWrites().find(path);
    return found == pendingWrites().end() || writeWithPending(path, nullptr);
}

} // namespace ostrelo::core
