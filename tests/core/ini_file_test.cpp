// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_document.h"
#include "core/ini_file.h"
#include "core/settings_store.h"
#include "core/text_encoding.h"
#include "support/error_capture.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace ostrelo::core {
namespace {

using testing::TempDir;

TEST(ReadIni, FollowsThePrivateProfileRules) {
    TempDir dir;
    const std::string path =
        dir.write("Ostrelo.ini", "; settings\n[Opcions]\n  ScanTime =  250  \nEmpty=\n"
                                 "Quoted=\"a b\"\n[maxmin]\nMAXPNEU=110\n[Opcions]\n"
                                 "Idioma=English\n");
    struct Case {
        const char *section;
        const char *key;
        const char *defaultValue;
        const char *expected;
    };
    const Case cases[] = {
        {"Opcions", "ScanTime", "500", "250"},
        {"OPCIONS", "scantime", "500", "250"},
        {"MaxMin", "MaxPneu", "100", "110"},
        {"Opcions", "Empty", "x", "x"},
        {"Opcions", "Empty", "", "-1"},
        {"Opcions", "Absent", "", "-1"},
        {"Absent", "ScanTime", "500", "500"},
        {"Opcions", "Quoted", "", "a b"},
        // The first section of a name is the one that counts.
        {"Opcions", "Idioma", "Español", "Español"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ReadIni(path, c.section, c.key, c.defaultValue), c.expected);
    }
    EXPECT_EQ(ReadIni(dir.file("missing.ini"), "Opcions", "ScanTime", "500"), "500");
}

TEST(ReadIni, CutsLongValuesTo254Characters) {
    TempDir dir;
    const std::string longValue(300, 'x');
    const std::string path =
        dir.write("long.ini", "[Cars]\nA=" + longValue + "\nB=" + std::string(300, '\xC3') + "\n");
    EXPECT_EQ(ReadIni(path, "Cars", "A", ""), std::string(254, 'x'));
    // Characters, not bytes: a Windows-1252 file of 300 "Ã" gives 254 of them.
    EXPECT_EQ(characterCount(ReadIni(path, "Cars", "B", "")), 254u);
}

TEST(SettingsStore, ReplacesInPlaceAndKeepsEveryOtherLine) {
    TempDir dir;
    const std::string original = "; my comment\n[Opcions]\nScanTime=500\nUnknown = keep me\n"
                                 "\n[MaxMin]\nMaxPneu=100\n";
    const std::string path = dir.write("Ostrelo.ini", original);
    SettingsStore store(path);
    ASSERT_TRUE(store.write("opcions", "SCANTIME", " 50"));
    ASSERT_TRUE(store.write("Opcions", "Idioma", "English"));
    ASSERT_TRUE(store.write("Depurar", "Depurar", "True"));
    EXPECT_EQ(dir.read("Ostrelo.ini"), "; my comment\n[Opcions]\nScanTime= 50\nUnknown = keep me\n"
                                       "Idioma=English\n\n[MaxMin]\nMaxPneu=100\n[Depurar]\n"
                                       "Depurar=True\n");
    EXPECT_EQ(ReadIni(path, "Opcions", "ScanTime", ""), "50");
}

TEST(SettingsStore, CreatesTheFileAndKeepsWindowsLineEndings) {
    TempDir dir;
    SettingsStore fresh(dir.file("new.ini"));
    ASSERT_TRUE(fresh.write("Opcions", "ScanTime", " 500"));
    EXPECT_EQ(dir.read("new.ini"), "[Opcions]\nScanTime= 500\n");

    SettingsStore crlf(dir.write("crlf.ini", "[Opcions]\r\nScanTime=500\r\nlast=1"));
    ASSERT_TRUE(crlf.write("Opcions", "ScanTime", " 10"));
    ASSERT_TRUE(crlf.write("MaxMin", "MaxPneu", " 100"));
    EXPECT_EQ(dir.read("crlf.ini"),
              "[Opcions]\r\nScanTime= 10\r\nlast=1\r\n[MaxMin]\r\nMaxPneu= 100\r\n");
}

TEST(SettingsStore, KeepsTheEncodingTheFileHad) {
    TempDir dir;
    // "Idioma=Español" as a Windows machine writes it: one byte per letter.
    const std::string path = dir.write("win.ini", "[Opcions]\r\nIdioma=Espa\xF1ol\r\n");
    EXPECT_EQ(ReadIni(path, "Opcions", "Idioma", ""), "Español");
    ASSERT_TRUE(SettingsStore(path).write("Opcions", "Idioma", "Català"));
    EXPECT_EQ(dir.read("win.ini"), "[Opcions]\r\nIdioma=Catal\xE0\r\n");
    EXPECT_EQ(ReadIni(path, "Opcions", "Idioma", ""), "Català");

    const std::string utf8 = dir.write("utf8.ini", "\xEF\xBB\xBF[Opcions]\nIdioma=Català\n");
    EXPECT_EQ(ReadIni(utf8, "Opcions", "Idioma", ""), "Català");
    ASSERT_TRUE(SettingsStore(utf8).write("Opcions", "Idioma", "Español"));
    EXPECT_EQ(dir.read("utf8.ini"), "\xEF\xBB\xBF[Opcions]\nIdioma=Español\n");

    // UTF-16 with its byte-order mark, as the Windows profile functions read it.
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian);
        const std::string mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        const std::string wide =
            dir.write("wide.ini", mark + toUtf16("[Opcions]\r\nIdioma=Català\r\n", bigEndian));
        EXPECT_EQ(ReadIni(wide, "Opcions", "Idioma", ""), "Català");
        ASSERT_TRUE(SettingsStore(wide).write("Opcions", "Unitats", "Imperial"));
        EXPECT_EQ(dir.read("wide.ini"),
                  mark + toUtf16("[Opcions]\r\nIdioma=Català\r\nUnitats=Imperial\r\n", bigEndian));
    }
    EXPECT_EQ(fromUtf16(toUtf16("a€𝄞", true), true), "a€𝄞");
    EXPECT_EQ(fromUtf16(std::string("\x00\xD8", 2), false), std::nullopt); // a lone surrogate
    EXPECT_EQ(fromUtf16(std::string("\xDC\x00", 2), true), std::nullopt);
}

TEST(SettingsStore, KeepsEachLinesOwnEnding) {
    TempDir dir;
    struct Case {
        const char *before;
        const char *after;
    };
    const Case cases[] = {
        {"[Opcions]\rScanTime=500\rIdioma=English\r",
         "[Opcions]\rScanTime= 10\rIdioma=English\rUnitats=Imperial\r"},
        {"[Opcions]\r\nScanTime=500\nIdioma=English\r\n",
         "[Opcions]\r\nScanTime= 10\nIdioma=English\r\nUnitats=Imperial\r\n"},
        {"[Opcions]\nScanTime=500", "[Opcions]\nScanTime= 10\nUnitats=Imperial"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.before);
        const std::string path = dir.write("lines.ini", c.before);
        EXPECT_EQ(ReadIni(path, "Opcions", "ScanTime", ""), "500");
        SettingsStore store(path);
        ASSERT_TRUE(store.write("Opcions", "ScanTime", " 10"));
        ASSERT_TRUE(store.write("Opcions", "Unitats", "Imperial"));
        EXPECT_EQ(dir.read("lines.ini"), c.after);
    }
}

// Owners, modes, FIFOs, links and processes are POSIX's: Windows' rules for the same files
// are in tests/platform/win32_file_test.cpp.
#ifndef _WIN32

// Runs `check` as an ordinary user: in a child process that gives up the administrator's
// rights when the tests run with them. Returns what `check` returned.
template <typename Check> bool asOrdinaryUser(Check check) {
    const pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SettingsStore, NeverWritesOverAFileItCannotReadDecodeOrReplace) {
    const bool administrator = getuid() == 0;
    const std::string settings = "; my comments\n[Opcions]\nIdioma=English\nScanTime=150\n";
    struct Case {
        const char *name;
        std::string bytes;
        mode_t fileMode;
        bool rootOwnsFile;
        mode_t folderMode;
    };
    const Case cases[] = {
        {"write-only", settings, 0200, false, 0755},
        {"root's, unreadable, in the user's folder", settings, 0600, true, 0755},
        {"root's, readable, in a folder anyone may write", settings, 0644, true, 0777},
        {"read-only", settings, 0444, false, 0755},
        {"the user's, in a folder they may not write", settings, 0644, false, 0555},
        {"UTF-16 without its mark", toUtf16(settings, false), 0644, false, 0755},
        {"binary", std::string("\177ELF\0\0\1", 7), 0644, false, 0755},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.rootOwnsFile && !administrator) {
            continue; // Only the administrator can make another user's file.
        }
        TempDir dir;
        const std::string path = dir.write("Ostrelo.ini", c.bytes);
        const uid_t user = administrator ? 65534 : getuid();
        ASSERT_EQ(chown(dir.path().c_str(), user, user), 0);
        ASSERT_EQ(chown(path.c_str(), c.rootOwnsFile ? 0 : user, c.rootOwnsFile ? 0 : user), 0);
        chmod(dir.path().c_str(), c.folderMode);
        chmod(path.c_str(), c.fileMode);
        EXPECT_TRUE(asOrdinaryUser([&] {
            const testing::ErrorCapture capture;
            SettingsStore store(path);
            return !store.problem().empty() && !store.write("Opcions", "DadesServ", "True") &&
                   !store.flush();
        }));
        chmod(path.c_str(), 0644);
        EXPECT_EQ(dir.read("Ostrelo.ini"), c.bytes);
    }
}

TEST(SettingsStore, KeepsTheFilesOwnerGroupModeAndLinks) {
    if (getuid() != 0) {
        GTEST_SKIP() << "only the administrator can make files of other users";
    }
    const uid_t user = 65534;
    struct Case {
        const char *name;
        uid_t owner;
        gid_t group;
        mode_t mode;
        bool secondLink;
        bool writtenByUser;
        mode_t folderMode;
    };
    const Case cases[] = {
        {"a user's file written by the administrator", user, user, 0640, false, false, 0755},
        {"a user's file with a second link, written by the administrator", user, user, 0664, true,
         false, 0755},
        {"a user's file with a second link, written by the user", user, user, 0644, true, true,
         0755},
        {"another user's file that the writer's group may write", 1234, user, 0664, false, true,
         0755},
        // Written in itself, the file needs no new one beside it.
        {"a user's file with a second link, in a folder the user may not write", user, user, 0644,
         true, true, 0555},
        // A new file could not be given a group the user is not in.
        {"a user's file of another group, in a folder the user may not write", user, 1234, 0644,
         false, true, 0555},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_EQ(chown(dir.path().c_str(), user, user), 0);
        const std::string path = dir.write("Ostrelo.ini", "[Opcions]\nScanTime= 500\n");
        ASSERT_EQ(chown(path.c_str(), c.owner, c.group), 0);
        ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
        if (c.secondLink) {
            ASSERT_EQ(link(path.c_str(), dir.file("copy.ini").c_str()), 0);
        }
        ASSERT_EQ(chmod(dir.path().c_str(), c.folderMode), 0);
        const auto write = [&path] {
            return SettingsStore(path).write("Opcions", "ScanTime", " 10");
        };
        EXPECT_TRUE(c.writtenByUser ? asOrdinaryUser(write) : write());
        struct stat written {};
        ASSERT_EQ(stat(path.c_str(), &written), 0);
        EXPECT_EQ(written.st_uid, c.owner);
        EXPECT_EQ(written.st_gid, c.group);
        EXPECT_EQ(written.st_mode & 07777, c.mode);
        EXPECT_EQ(written.st_nlink, c.secondLink ? 2u : 1u);
        EXPECT_EQ(dir.read("Ostrelo.ini"), "[Opcions]\nScanTime= 10\n");
        if (c.secondLink) {
            EXPECT_EQ(dir.read("copy.ini"), "[Opcions]\nScanTime= 10\n");
        }
    }
    // A file the administrator makes in a user's folder is the user's.
    TempDir dir;
    ASSERT_EQ(chown(dir.path().c_str(), user, user), 0);
    ASSERT_TRUE(SettingsStore(dir.file("new.ini")).write("Opcions", "ScanTime", " 10"));
    struct stat made {};
    ASSERT_EQ(stat(dir.file("new.ini").c_str(), &made), 0);
    EXPECT_EQ(made.st_uid, user);
    EXPECT_EQ(made.st_gid, user);
    // One the user makes is a new file too.
    EXPECT_TRUE(asOrdinaryUser([&dir] {
        return SettingsStore(dir.file("user.ini")).write("Opcions", "ScanTime", " 10");
    }));
    EXPECT_EQ(dir.read("user.ini"), "[Opcions]\nScanTime= 10\n");
}
#endif

TEST(SettingsStore, RefusesAnythingButARegularFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
#ifdef _WIN32
    // NUL names the device in every folder.
    const char *const names[] = {"folder", "NUL"};
#else
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0644), 0);
    std::filesystem::create_symlink(dir.file("loop"), dir.file("loop"));
    const char *const names[] = {"folder", "fifo", "loop"};
#endif
    const testing::ErrorCapture capture;
    for (const char *name : names) {
        SCOPED_TRACE(name);
        // A FIFO with no writer would block a plain open for ever.
        EXPECT_EQ(ReadIni(dir.file(name), "Opcions", "Idioma", "x"), "x");
        SettingsStore store(dir.file(name));
        EXPECT_FALSE(store.write("Opcions", "Idioma", "English"));
        EXPECT_FALSE(store.problem().empty());
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("fifo")));
#endif
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("folder")));
    EXPECT_TRUE(SettingsStore(dir.file("new.ini")).problem().empty());
}

#ifndef _WIN32
TEST(SettingsStore, NeverLeavesAHalfWrittenFile) {
    TempDir dir;
    const std::string path = dir.write("Ostrelo.ini", "[Opcions]\nScanTime=500\n");
    const auto entries = [&dir] {
        int files = 0;
        for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(dir.path())) {
            ++files;
        }
        return files;
    };
    // The file keeps its mode whatever the umask, and the temporary file was renamed over it.
    chmod(path.c_str(), 0666);
    SettingsStore store(path);
    ASSERT_TRUE(store.write("Opcions", "ScanTime", " 10"));
    struct stat written {};
    ASSERT_EQ(stat(path.c_str(), &written), 0);
    EXPECT_EQ(written.st_mode & 07777, 0666u);
    EXPECT_EQ(entries(), 1);
    // A text that does not change leaves the file alone: the same file, not a new copy.
    ASSERT_TRUE(store.write("Opcions", "ScanTime", " 10"));
    struct stat again {};
    ASSERT_EQ(stat(path.c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, written.st_ino);

    // A disk that fills up during the write (a file size limit in a child process) leaves
    // the old file whole and no temporary file behind; so does one written in itself (a file
    // with a second link), for which room is taken first.
    const std::string linked = dir.write("linked.ini", "[A]\nx=1\n");
    ASSERT_EQ(link(linked.c_str(), dir.file("second.ini").c_str()), 0);
    for (const std::string &file : {path, linked}) {
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const testing::ErrorCapture capture;
            const rlimit limit{16, RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &limit);
            _exit(SettingsStore(file).write("A", "x", std::string(200, 'y')) ? 1 : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(dir.read("Ostrelo.ini"), "[Opcions]\nScanTime= 10\n");
    EXPECT_EQ(dir.read("linked.ini"), "[A]\nx=1\n");
    EXPECT_EQ(entries(), 3);
}
#endif

TEST(SettingsStore, MakesFailedWritesAgainOnceTheFileIsWritable) {
    TempDir dir;
    const std::string path = dir.write("Ostrelo.ini", "[Opcions]\nScanTime= 500\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    testing::ErrorCapture capture;
    SettingsStore store(path);
    EXPECT_FALSE(store.write("Opcions", "ScanTime", " 10"));
    EXPECT_FALSE(store.write("Opcions", "Unitats", "Imperial"));
    EXPECT_FALSE(store.flush());
    EXPECT_EQ(dir.read("Ostrelo.ini"), "[Opcions]\nScanTime= 500\n");
    // Said once, not at every attempt.
    ASSERT_EQ(capture.reports().size(), 1u);
    EXPECT_EQ(capture.reports()[0].routine, "WriteIni");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    EXPECT_TRUE(store.flush());
    EXPECT_EQ(dir.read("Ostrelo.ini"), "[Opcions]\nScanTime= 10\nUnitats=Imperial\n");
    // Nothing is left to write, and a later write carries no stale value.
    EXPECT_TRUE(store.flush());
    ASSERT_TRUE(store.write("Opcions", "ScanTime", " 50"));
    EXPECT_EQ(dir.read("Ostrelo.ini"), "[Opcions]\nScanTime= 50\nUnitats=Imperial\n");
    // After a success, a new failure is news again.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_FALSE(store.write("Opcions", "ScanTime", " 150"));
    EXPECT_EQ(capture.reports().size(), 2u);
}

TEST(SettingsStore, HeldWritesReplaceTheFileOnceAndAStoreInMemoryWritesNothing) {
    TempDir dir;
    const std::string path = dir.write("Ostrelo.ini", "[Opcions]\nScanTime=500\n");
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    SettingsStore store(path);
    store.holdWrites();
    ASSERT_TRUE(store.write("Opcions", "ScanTime", " 10"));
    ASSERT_TRUE(store.write("Opcions", "Idioma", "English"));
    struct stat held {};
    ASSERT_EQ(stat(path.c_str(), &held), 0);
    EXPECT_EQ(held.st_ino, before.st_ino);
    EXPECT_EQ(dir.read("Ostrelo.ini"), "[Opcions]\nScanTime=500\n");
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(dir.read("Ostrelo.ini"), "[Opcions]\nScanTime= 10\nIdioma=English\n");
    // After the flush, writes go out at once again.
    ASSERT_TRUE(store.write("Opcions", "Idioma", "Dutch"));
    EXPECT_EQ(ReadIni(path, "Opcions", "Idioma", ""), "Dutch");

    SettingsStore memory = SettingsStore::inMemory("[Opcions]\nIdioma=Deutsch\n");
    EXPECT_EQ(memory.read("Opcions", "Idioma", ""), "Deutsch");
    EXPECT_TRUE(memory.write("Opcions", "Idioma", "Italiano"));
    EXPECT_EQ(memory.text(), "[Opcions]\nIdioma=Italiano\n");
    EXPECT_TRUE(memory.problem().empty());
}

#ifndef _WIN32
TEST(SettingsStore, WritesThroughSymbolicLinksAndNeverReplacesOne) {
    struct Case {
        const char *name;
        // link.ini leads to `target`; a `hop` link, when named, leads on to `hopTarget`.
        const char *target;
        const char *hop;
        const char *hopTarget;
        bool targetExists;
        // The file that holds the settings afterwards; nullptr where the write is refused.
        const char *written;
    };
    const Case cases[] = {
        {"a link to a file", "real.ini", nullptr, nullptr, true, "real.ini"},
        {"a link that leads nowhere yet", "missing.ini", nullptr, nullptr, false, "missing.ini"},
        {"links that lead nowhere yet", "hop.ini", "hop.ini", "sub/missing.ini", false,
         "sub/missing.ini"},
        {"a link into a folder that does not exist", "absent/Ostrelo.ini", nullptr, nullptr, false,
         nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directory(dir.file("sub"));
        if (c.targetExists) {
            dir.write(c.target, "[Opcions]\nScanTime=500\n");
        }
        std::filesystem::create_symlink(c.target, dir.file("link.ini"));
        if (c.hop) {
            std::filesystem::create_symlink(c.hopTarget, dir.file(c.hop));
        }
        const testing::ErrorCapture capture;
        SettingsStore store(dir.file("link.ini"));
        EXPECT_EQ(store.write("Opcions", "ScanTime", " 10"), c.written != nullptr);
        EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini")));
        if (c.written) {
            EXPECT_TRUE(store.problem().empty());
            EXPECT_EQ(dir.read(c.written), "[Opcions]\nScanTime= 10\n");
        } else {
            EXPECT_EQ(store.problem(), (FileProblem{FileProblem::Cause::LinkIntoMissingFolder,
                                                    dir.file("link.ini"), dir.file(c.target), ""}));
            EXPECT_FALSE(std::filesystem::exists(dir.file("absent")));
        }
    }
}
#endif

TEST(SettingsStore, EachWriteChangesOnlyItsOwnKeysInTheFileAsItIsNow) {
    TempDir dir;
    const std::string path = dir.write("Ostrelo.ini", "[Opcions]\nScanTime= 500\nIdioma=Español\n"
                                                      "[MaxMin]\nMaxPneu= 100\n");
    SettingsStore first(path);
    SettingsStore second(path);
    ASSERT_TRUE(first.write("Opcions", "ScanTime", " 50"));
    // Edited by hand while both run: a threshold changed, a comment added.
    dir.write("Ostrelo.ini", "; tuned\n[Opcions]\nScanTime= 50\nIdioma=Español\n"
                             "[MaxMin]\nMaxPneu= 110\n");
    ASSERT_TRUE(second.write("Opcions", "Idioma", "English"));
    ASSERT_TRUE(first.write("Opcions", "Unitats", "Imperial"));
    EXPECT_EQ(dir.read("Ostrelo.ini"), "; tuned\n[Opcions]\nScanTime= 50\nIdioma=English\n"
                                       "Unitats=Imperial\n[MaxMin]\nMaxPneu= 110\n");
    EXPECT_EQ(second.read("MaxMin", "MaxPneu", ""), "110");

    // Held writes go over the file as it is when they are flushed; a key removed by hand
    // stays removed unless written again.
    first.holdWrites();
    ASSERT_TRUE(first.write("MaxMin", "MinPneu", " 80"));
    ASSERT_TRUE(first.write("Opcions", "ScanTime", " 150"));
    ASSERT_TRUE(first.write("Opcions", "Port", " 1002"));
    ASSERT_TRUE(first.write("Web", "Port", " 9000"));
    dir.write("Ostrelo.ini", "; tuned\n[Opcions]\nScanTime= 50\nIdioma=English\n"
                             "[MaxMin]\nMaxPneu= 110\n[Depurar]\nDepurar=True\n");
    ASSERT_TRUE(first.flush());
    EXPECT_EQ(dir.read("Ostrelo.ini"), "; tuned\n[Opcions]\nScanTime= 150\nIdioma=English\n"
                                       "Port= 1002\n[MaxMin]\nMaxPneu= 110\nMinPneu= 80\n"
                                       "[Depurar]\nDepurar=True\n[Web]\nPort= 9000\n");
    // A file removed meanwhile is made again with everything the store knows: the file as
    // it last took it in, and its own write.
    std::filesystem::remove(path);
    ASSERT_TRUE(second.write("Opcions", "ScanTime", " 500"));
    EXPECT_EQ(dir.read("Ostrelo.ini"), "; tuned\n[Opcions]\nScanTime= 500\nIdioma=English\n"
                                       "[MaxMin]\nMaxPneu= 110\n");
}

#ifndef _WIN32
TEST(SettingsStore, TwoCopiesWritingAtOnceLoseNothing) {
    TempDir dir;
    const std::string path = dir.write("Ostrelo.ini", "[Opcions]\n");
    // Two processes, each with its own store, write their own key as fast as they can.
    const auto writer = [&path](const char *key) {
        const pid_t child = fork();
        if (child == 0) {
            SettingsStore store(path);
            for (int i = 1; i <= 100; ++i) {
                if (!store.write("Opcions", key, std::to_string(i))) {
                    _exit(1);
                }
            }
            _exit(0);
        }
        return child;
    };
    for (const pid_t child : {writer("A"), writer("B")}) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(ReadIni(path, "Opcions", "A", ""), "100");
    EXPECT_EQ(ReadIni(path, "Opcions", "B", ""), "100");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}
#endif

TEST(IniDocument, AValueCannotStartANewLine) {
    IniDocument doc = IniDocument::parse("[Opcions]\n");
    doc.setValue("Opcions", "IP", "1\n[Evil]\nx=1");
    EXPECT_EQ(doc.text(), "[Opcions]\nIP=1 [Evil] x=1\n");
}

TEST(TextEncoding, RoundTripsWindows1252) {
    std::string allBytes;
    for (int byte = 1; byte < 256; ++byte) {
        allBytes += static_cast<char>(byte);
    }
    const std::string utf8 = fromWindows1252(allBytes);
    EXPECT_TRUE(isValidUtf8(utf8));
    EXPECT_EQ(toWindows1252(utf8), allBytes);
    EXPECT_EQ(fromWindows1252("\x80\xBA"), "€º");
    EXPECT_EQ(toWindows1252("日本"), "??");
    EXPECT_FALSE(isValidUtf8("Espa\xF1ol"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF")); // overlong "/"
    EXPECT_EQ(std::string(midCharacters("añbçd", 1, 3)), "ñbç");
}

} // namespace
} // namespace ostrelo::core
