// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "dashboard/display_phase.h"
#include "dashboard/display_state.h"
#include "dashboard/lap_book.h"
#include "dashboard/screen.h"
#include "engineer/engineer_report.h"
#include "engineer/race_engineer.h"
#include "i18n/texts.h"
#include "radio/radio.h"
#include "standings/timing_tower.h"
#include "telemetry/telemetry_sample.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ostrelo::web {

/// The language and units one browser asks for.
struct ViewerChoice {
    std::string idioma;
    core::Units units = core::Units::Metric;
    auto operator<=>(const ViewerChoice &) const = default;
};

/// The choice a browser's query asks for ("lang=English&units=Imperial"); what it leaves out
/// or gets wrong is taken from `settings`.
ViewerChoice choiceFromQuery(std::string_view query, const core::Settings &settings);

/// The race engineer's report for a viewer, in its language and units.
engineer::EngineerReport viewerReport(const engineer::RaceEngineer &engineer,
                                      const ViewerChoice &choice, char decimalSeparator);

/// The lines of `report` a viewer reads: fuel per lap, laps of fuel, fuel to add, the last lap
/// against the best (those that say something).
std::vector<std::string> engineerLines(const engineer::EngineerReport &report);

/// What the program shows, for the viewers: the window's screen (its status lines and web
/// address, in the window's language `texts`), the graphics mode, the car followed and the lap
/// book.
struct ProgramView {
    const dashboard::Screen &shown;
    const i18n::Texts &texts;
    bool graphics = true;
    dashboard::FollowedSlot followed;
    const dashboard::LapBook &book;
    /// When the sample of this update was read from the game or the link, in milliseconds
    /// since 1970 by the system clock; 0 when unknown or when the update brings no sample.
    double readAtMs = 0;
};

/// The dashboard once for each language and units that browsers ask for, computed by the same
/// display phase as the window's from the same samples and the program's lap book. What a
/// viewer chooses lives here alone: nothing of it reaches the program or its settings.
class ViewerScreens {
public:
    /// `thresholds` are the user's, in metric units; `decimalSeparator` the user's.
    ViewerScreens(const core::Thresholds &thresholds, char decimalSeparator);
    ~ViewerScreens();

    /// Keeps a screen for each choice in `inUse` and forgets the others. A new one shows at once
    /// what the window shows: the last samples and the fuel used on the last lap.
    void choose(const std::vector<ViewerChoice> &inUse, const ProgramView &program);

    /// Shows `sample` (as read, before any unit conversion, and taken by the lap book; none
    /// when only the status lines moved) on every choice, and takes the window's status lines
    /// into each one's language.
    void update(const telemetry::TelemetrySample *sample, const ProgramView &program);

    /// The screen for `choice`; an empty one for a choice not in use.
    const dashboard::Screen &screen(const ViewerChoice &choice) const;

    /// The live message for `choice` after the last update: its screen (live when that update
    /// brought a sample), the engineer's lines and the standings `tower` in its language and
    /// units, and the radio's latest `calls` as they were said. Made once an update for each
    /// choice, shared by every viewer who made it; empty for a choice not in use.
    const std::string &message(const ViewerChoice &choice, const engineer::RaceEngineer &engineer,
                               const std::vector<standings::TowerRow> &tower,
                               const std::deque<radio::Call> &calls = {});

private:
    struct Variant;
    bool m_live = false;
    double m_readAtMs = 0;
    std::optional<telemetry::TelemetrySample> m_shownInFull;

    core::Thresholds m_thresholds;
    char m_separator;
    std::map<ViewerChoice, std::unique_ptr<Variant>> m_variants;
};

} // namespace ostrelo::web
