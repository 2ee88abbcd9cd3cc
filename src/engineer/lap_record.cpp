// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/lap_record.h"

#include "core/conversions.h"

namespace ostrelo::engineer {

std::string lapsCsv(std::span<const LapRecord> laps) {
    std::string csv;
    const LapRecord header;
    forEachLapColumn(header, [&csv](const char *name, const auto &) {
        csv += csv.empty() ? "" : ",";
        csv += name;
    });
    csv += "\r\n";
    for (const LapRecord &lap : laps) {
        bool first = true;
        forEachLapColumn(lap, [&](const char *, const auto &value) {
            // Whatever the user's locale, a point: a comma would cut the number in two.
            csv += first ? "" : ",";
            csv += core::formatGeneral(static_cast<double>(value), 7, '.', true);
            first = false;
        });
        csv += "\r\n";
    }
    return csv;
}

} // namespace ostrelo::engineer
