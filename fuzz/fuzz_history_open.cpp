// SPDX-License-Identifier: GPL-3.0-or-later
// A lap history file that anyone could have made or changed (another program's tables, a
// layout version this program never wrote, damage anywhere): opening it never fails, whatever
// it holds, and the program goes on.
#include "history/history_database.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::filesystem::path folder;

void removeFolder() {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // Qt finds its SQLite driver through the application.
    static QCoreApplication *application = new QCoreApplication(*argc, *argv);
    (void)application;
    char name[] = "/tmp/ostrelo-fuzz-history-XXXXXX";
    if (::mkdtemp(name) == nullptr) {
        std::abort();
    }
    folder = name;
    std::atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::filesystem::path file = folder / "history.sqlite";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    {
        // The database itself, on this thread: the store's own thread only adds waiting.
        ostrelo::history::HistoryDatabase database(file.string());
        database.open();
    }
    // Each input starts from nothing: no journal left, no file moved aside.
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::filesystem::remove_all(entry.path());
    }
    return 0;
}
