// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"
#include "core/file_path.h"
#include "support/error_capture.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace ostrelo::app {
namespace {

std::set<std::string> namesIn(const std::string &folder) {
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(core::pathFromUtf8(folder))) {
        names.insert(core::utf8FromPath(entry.path().filename()));
    }
    return names;
}

TEST(OpenSettings, MakesTheMissingFoldersOfTheFileLetterForLetter) {
    testing::TempDir dir;
    runtime::AppState state;
    // A user named beyond ASCII, whose settings folder does not exist yet.
    const std::string ini = dir.file("Jörg Łukasz/Ostrelo/Ostrelo.ini");
    EXPECT_EQ(openSettings(state, ini), std::vector<std::string>{});
    EXPECT_TRUE(state.store.flush());
    EXPECT_EQ(namesIn(core::utf8FromPath(dir.path())), std::set<std::string>{"Jörg Łukasz"});
    EXPECT_EQ(namesIn(dir.file("Jörg Łukasz/Ostrelo")), std::set<std::string>{"Ostrelo.ini"});
    EXPECT_TRUE(
        dir.read("Jörg Łukasz/Ostrelo/Ostrelo.ini").starts_with("[MaxMin]\nMaxPneu= 100\n"));
}

TEST(OpenSettings, SaysSoWhenTheFolderCannotBeMade) {
    testing::TempDir dir;
    dir.write("taken", "a file where the folder would go");
    runtime::AppState state;
    const std::string ini = dir.file("taken/Ostrelo/Ostrelo.ini");
    EXPECT_EQ(openSettings(state, ini).size(), 1u);
    // What is in the way is told as each system sees it.
    EXPECT_FALSE(state.store.problem().empty());
    EXPECT_EQ(state.store.problem().path, ini);
    const testing::ErrorCapture capture;
    EXPECT_FALSE(state.store.flush());
    EXPECT_EQ(dir.read("taken"), "a file where the folder would go");
}

// What start-up says of the settings comes in the language they name.
TEST(OpenSettings, TellsItsNoticesInTheLanguageTheSettingsName) {
    const struct {
        const char *text;
        bool readOnly;
        std::vector<std::string> notices; // after the file's path
    } cases[] = {
        {"[Opcions]\nIdioma=Deutsch\nScanTime=5\n",
         false,
         {": [Opcions] ScanTime enthält „5“ (eine Abtastzeit beträgt mindestens 10 ms); "
          "stattdessen wird 500 verwendet."}},
        {"[Opcions]\nIdioma=Català\nTipusConexio=7\n",
         true,
         {" no es pot fer servir: és només de lectura.",
          ": [Opcions] TipusConexio conté \"7\" (la connexió és 0 (cap), 1 (servidor) o 2 "
          "(client)); s'usa 0 en lloc seu."}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        testing::TempDir dir;
        const std::string ini = dir.write("Ostrelo.ini", c.text);
        if (c.readOnly) {
            std::filesystem::permissions(core::pathFromUtf8(ini),
                                         std::filesystem::perms::owner_read);
        }
        runtime::AppState state;
        const std::vector<std::string> notices = openSettings(state, ini);
        ASSERT_EQ(notices.size(), c.notices.size());
        if (c.readOnly) {
            EXPECT_EQ(notices[0],
                      "Els canvis de la configuració no es poden desar. " + ini + c.notices[0]);
            std::filesystem::permissions(core::pathFromUtf8(ini),
                                         std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
        }
        EXPECT_EQ(notices.back(), ini + c.notices.back());
    }
}

} // namespace
} // namespace ostrelo::app
