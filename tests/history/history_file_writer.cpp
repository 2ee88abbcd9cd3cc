// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the lap history that tests/data keeps for each layout version: run once by hand
// when the layout changes (history_file_writer tests/data/history-vN.sqlite), never by a test.
#include "history/history_database.h"
#include "i18n/language_table.h"

#include <QCoreApplication>

#include <filesystem>
#include <iostream>

namespace {

using ostrelo::engineer::LapRecord;

LapRecord lap(int number, float time, float fuel, bool pitted, bool counts) {
    LapRecord record;
    record.number = number;
    record.timeS = time;
    record.fuelUsedL = fuel;
    record.position = 10 - number;
    record.pitted = pitted;
    record.limiter = pitted;
    record.refuelled = pitted;
    record.counts = counts;
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        const auto w = static_cast<float>(wheel);
        record.treadC[wheel] = 80 + w + static_cast<float>(number);
        record.pressureKpa[wheel] = 180 + w;
        record.wear[wheel] = 1 - 0.01F * static_cast<float>(number) - 0.001F * w;
        record.brakeC[wheel] = 400 + 10 * w;
    }
    return record;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2 || std::filesystem::exists(argv[1])) {
        std::cerr << "usage: history_file_writer NEW-FILE\n";
        return 2;
    }
    ostrelo::history::HistoryDatabase store(argv[1]);
    if (!store.open()) {
        std::cerr << ostrelo::history::describe(store.problem(),
                                                ostrelo::i18n::findLanguage("English")->texts)
                  << '\n';
        return 1;
    }
    // Anella Sud with the Lince: the best is lap 3 (90.75); the pit lap is faster but no
    // record; lap 5 has no time.
    const std::int64_t first = store.beginSession("Anella Sud", "Lince Turbo 16V", 1700000000000);
    store.addLap(first, lap(1, 95.5F, 3.25F, false, false));
    store.addLap(first, lap(2, 91.25F, 2.75F, false, true));
    store.addLap(first, lap(3, 90.75F, 2.5F, false, true));
    store.addLap(first, lap(4, 88, -40, true, false));
    store.addLap(first, lap(5, 0, 2.625F, false, false));
    // The same track with another car, and another track with the same car.
    store.addLap(store.beginSession("Anella Sud", "Falcon RS 2.0", 1700000600000),
                 lap(1, 89.5F, 3, false, false));
    store.addLap(store.beginSession("Monza", "Lince Turbo 16V", 1700001200000),
                 lap(1, 100.125F, 4, false, false));
    // From layout 2 on: a tank learned for one car, given by the user for the other.
    store.keepTankCapacity("Lince Turbo 16V", {58.5, 0});
    store.keepTankCapacity("Falcon RS 2.0", {44.25, 60});
    return 0;
}
