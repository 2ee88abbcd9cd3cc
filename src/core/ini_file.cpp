#include "core/ini_file.h"

#include "core/ini_document.h"
#include "core/text_encoding.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>
#include <vector>

namespace ostrelo::core {
namespace {

namespace fs = std::filesystem;

struct LoadedIni {
    IniDocument document;
    bool windows1252 = false;
    bool byteOrderMark = false;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Reads and decodes the file; a missing or unreadable file is an empty UTF-8 document.
LoadedIni loadIni(const std::string &path) {
    LoadedIni loaded;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return loaded;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string raw = std::move(bytes).str();
    if (raw.starts_with(kByteOrderMark)) {
        loaded.byteOrderMark = true;
        raw.erase(0, kByteOrderMark.size());
    }
    if (isValidUtf8(raw)) {
        loaded.document = IniDocument::parse(raw);
    } else {
        loaded.windows1252 = true;
        loaded.document = IniDocument::parse(fromWindows1252(raw));
    }
    return loaded;
}

// The file a write must replace: the target of a symbolic link, so the link survives.
fs::path writeTarget(const std::string &path) {
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    return error ? fs::path(path) : target;
}

struct PendingWrite {
    std::string section;
    std::string key;
    std::string value;
};

// Writes that failed, per file, in the order they were made. The program has one thread.
std::map<std::string, std::vector<PendingWrite>> &pendingWrites() {
    static std::map<std::string, std::vector<PendingWrite>> pending;
    return pending;
}

fs::path temporaryNextTo(const fs::path &target) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return target.parent_path() / ('.' + target.filename().string() + ".tmp-" +
                                   std::to_string(stamp) + '-' + std::to_string(++counter));
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

// Replaces `path` with the document; false when the file could not be written.
bool store(const LoadedIni &loaded, const std::string &path) {
    std::string bytes = loaded.document.text();
    if (loaded.windows1252) {
        bytes = toWindows1252(bytes);
    } else if (loaded.byteOrderMark) {
        bytes.insert(0, kByteOrderMark);
    }

    const fs::path target = writeTarget(path);
    std::error_code error;
    const auto status = fs::status(target, error);
    const bool exists = fs::exists(status);
    if (exists && (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        // A file the user made read-only stays as it is.
        return false;
    }
    const fs::path temporary = temporaryNextTo(target);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    if (exists) {
        fs::permissions(temporary, status.permissions(), error);
    }
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

// Loads the file, applies the failed writes and then `extra`, and stores the result.
bool writeWithPending(const std::string &path, const PendingWrite *extra) {
    std::vector<PendingWrite> &pending = pendingWrites()[path];
    if (extra) {
        std::erase_if(pending, [extra](const PendingWrite &write) {
            return write.section == extra->section && write.key == extra->key;
        });
        pending.push_back(*extra);
    }
    LoadedIni loaded = loadIni(path);
    for (const PendingWrite &write : pending) {
        loaded.document.setValue(write.section, write.key, write.value);
    }
    if (!store(loaded, path)) {
        return false;
    }
    pendingWrites().erase(path);
    return true;
}

} // namespace

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
