// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_path.h"
#include "core/ini_file.h"
#include "core/regular_file.h"
#include "core/settings_store.h"
#include "core/windows_text_win32.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <windows.h>

namespace ostrelo::core {
namespace {

using testing::TempDir;

// The names in `folder`, as the system spells them.
std::set<std::wstring> namesIn(const std::filesystem::path &folder) {
    std::set<std::wstring> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().wstring());
    }
    return names;
}

TEST(Win32Files, SayWhichFilesMayBeWrittenAsOnLinux) {
    TempDir dir;
    dir.write("Ostrelo.ini", "[Opcions]\n");
    dir.write("plain.txt", "not a folder");
    const std::wstring locked = dir.path().wstring() + L"\\locked.ini";
    dir.write("locked.ini", "[Opcions]\n");
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    std::filesystem::create_directory(dir.path() / "folder");
    using enum FileProblem::Cause;
    struct Case {
        const char *name;
        FileProblem::Cause cause;
        // The folder a refusal names, within the test's folder.
        const char *folder;
    };
    const Case cases[] = {
        {"Ostrelo.ini", None, nullptr},
        {"new.ini", None, nullptr},
        {"missing/Ostrelo.ini", MayNotWriteInFolder, "missing"},
        {"missing/deeper/Ostrelo.ini", MayNotWriteInFolder, "missing/deeper"},
        {"plain.txt/Ostrelo.ini", MayNotWriteInFolder, "plain.txt"},
        {"locked.ini", ReadOnly, nullptr},
        {"folder", Folder, nullptr},
        {"NUL", Device, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        const FileProblem problem = cannotReplace(path);
        EXPECT_EQ(problem.cause, c.cause) << problem.reportText();
        if (c.cause == None) {
            EXPECT_TRUE(replaceFile(path, "[Opcions]\nScanTime= 10\n").empty());
            EXPECT_EQ(readRegularFile(path).bytes, "[Opcions]\nScanTime= 10\n");
            continue;
        }
        EXPECT_EQ(problem.path, path);
        EXPECT_EQ(problem.other, c.folder ? dir.file(c.folder) : "");
        // Windows' own words say why, where Windows was asked.
        EXPECT_EQ(problem.systemText.empty(), c.folder == nullptr) << problem.systemText;
        EXPECT_EQ(replaceFile(path, "[Opcions]\n").reportText(), problem.reportText());
    }
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Nothing was made where nothing may be written.
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::wstring>{L"Ostrelo.ini", L"new.ini", L"plain.txt",
                                                           L"locked.ini", L"folder"}));
    EXPECT_EQ(dir.read("plain.txt"), "not a folder");
    EXPECT_EQ(dir.read("locked.ini"), "[Opcions]\n");
}

TEST(Win32Files, NamesBeyondAsciiReachTheSystemLetterForLetter) {
    TempDir dir;
    // "Jörg 日本", as the system's own wide text.
    const std::filesystem::path folder = dir.path() / L"J\u00F6rg \u65E5\u672C";
    ASSERT_TRUE(CreateDirectoryW(folder.wstring().c_str(), nullptr));
    const std::string utf8Folder = dir.file("Jörg 日本");
    const std::string ini = utf8Folder + "\\Ostrelo.ini";
    EXPECT_TRUE(cannotReplace(ini).empty());
    EXPECT_TRUE(replaceFile(ini, "[Opcions]\nIdioma=Català\n").empty());
    EXPECT_EQ(namesIn(folder), std::set<std::wstring>{L"Ostrelo.ini"});
    EXPECT_EQ(ReadIni(ini, "Opcions", "Idioma", ""), "Català");
    SettingsStore store(ini);
    EXPECT_TRUE(store.problem().empty());
    EXPECT_TRUE(store.write("Opcions", "ScanTime", " 50"));
    EXPECT_EQ(readRegularFile(ini).bytes, "[Opcions]\nIdioma=Català\nScanTime= 50\n");

    FileProblem problem;
    const int fd = openForAppend(utf8Folder + "\\séance.csv", problem);
    ASSERT_GE(fd, 0) << problem.reportText();
    EXPECT_EQ(writeAll(fd, "a,b\r\n"), 0);
    EXPECT_EQ(endOfFile(fd), 5);
    closeFile(fd);
    EXPECT_EQ(namesIn(folder), (std::set<std::wstring>{L"Ostrelo.ini", L"s\u00E9ance.csv"}));
    // The path helpers agree with the system on every letter.
    EXPECT_EQ(pathFromUtf8(ini), folder / L"Ostrelo.ini");
    EXPECT_EQ(utf8FromPath(folder / L"Ostrelo.ini"), ini);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::wstring>{L"J\u00F6rg \u65E5\u672C"});
}

TEST(Win32Files, AFailedReplacementLeavesTheOldFileWholeAndNoCopyBehind) {
    TempDir dir;
    const std::string path = dir.write("Ostrelo.ini", "[Opcions]\nScanTime= 500\n");
    EXPECT_TRUE(replaceFile(path, "[Opcions]\nScanTime= 10\n").empty());
    EXPECT_EQ(namesIn(dir.path()), std::set<std::wstring>{L"Ostrelo.ini"});
    // Another program holds the file open and lets nobody rename or delete it.
    const HANDLE held =
        CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const FileProblem problem = replaceFile(path, "[Opcions]\nScanTime= 50\n");
    CloseHandle(held);
    EXPECT_EQ(problem.cause, FileProblem::Cause::CannotReplace) << problem.reportText();
    EXPECT_EQ(problem.path, path);
    EXPECT_EQ(dir.read("Ostrelo.ini"), "[Opcions]\nScanTime= 10\n");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::wstring>{L"Ostrelo.ini"});
}

} // namespace
} // namespace ostrelo::core
