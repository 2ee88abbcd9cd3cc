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
    testing::TempDir dir;
    const std::string ini = dir.write("Ostrelo.ini", "[Opcions]\nIdioma=Català\nTipusConexio=7\n");
    std::filesystem::permissions(core::pathFromUtf8(ini), std::filesystem::perms::owner_read);
    runtime::AppState state;
    const std::vector<std::string> notices = openSettings(state, ini);
    std::filesystem::permissions(core::pathFromUtf8(ini), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(notices, (std::vector<std::string>{
                           "Els canvis de la configuració no es poden desar. " + ini +
                               " no es pot fer servir: és només de lectura.",
                           ini + ": [Opcions] TipusConexio conté \"7\" (la connexió és 0 (cap), 1 "
                                 "(servidor) o 2 (client)); s'usa 0 en lloc seu."}));
}

} // namespace
} // namespace ostrelo::app
