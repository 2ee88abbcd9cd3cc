// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "dashboard/display_phase.h"
#include "dashboard/display_state.h"
#include "dashboard/screen.h"
#include "engineer/race_engineer.h"
#include "runtime/app_state.h"
#include "telemetry/telemetry_sample.h"

#include <map>
#include <memory>
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

/// The race engineer's lines for a viewer, in its language and units: fuel per lap, laps of
/// fuel, fuel to add, the last lap against the best (those that say something).
std::vector<std::string> engineerLines(const engineer::RaceEngineer &engineer,
                                       const ViewerChoice &choice, char decimalSeparator);

/// The dashboard once for each language and units that browsers ask for, computed by the same
/// display phase as the window's from the same samples, each with its own lap and fuel
/// bookkeeping. A choice is computed from the first sample after it is first asked for.
class ViewerScreens {
public:
    /// `state` is the program's: its settings (beside language and units), followed car and
    /// status lines hold for every viewer.
    ViewerScreens(const runtime::AppState &state, char decimalSeparator);
    ~ViewerScreens();

    /// Shows `sample` (as read, before any unit conversion; none when only the status lines
    /// moved) on every choice in use, and takes the status lines of `shown`, the window's
    /// screen, into each one's language.
    void update(const telemetry::TelemetrySample *sample, const dashboard::Screen &shown);

    /// The screen for `choice`, made when first asked for.
    const dashboard::Screen &screen(const ViewerChoice &choice);

    /// Forgets the lap and fuel registered on every choice (see `DisplayPhase::forgetLap`).
    void forgetLap();

    /// Forgets every choice but those in `inUse`.
    void keepOnly(const std::vector<ViewerChoice> &inUse);

private:
    struct Variant;
    Variant &variant(const ViewerChoice &choice);

    const runtime::AppState &m_state;
    char m_separator;
    std::map<ViewerChoice, std::unique_ptr<Variant>> m_variants;
};

} // namespace ostrelo::web
