// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "engineer/race_engineer.h"
#include "i18n/texts.h"
#include "telemetry/telemetry_sample.h"

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::radio {

/// The kinds of call, each of which the driver can switch off.
enum class CallKind : std::uint8_t {
    FuelLaps,     // fuel for 5, 3, 2 and 1 laps
    BoxThisLap,   // the fuel will not reach the next lap change and the reserve: urgent
    FuelToAdd,    // on the lap into the pits: what to put in
    PersonalBest, // a new personal best
    AgainstBest,  // the last lap against the best (off unless chosen)
    Position,     // a place gained or lost
    Temperature,  // water, oil, tyres or brakes leaving their window, once an excursion
    PitLimiter,   // the limiter still on after leaving the pits
};
inline constexpr std::size_t kCallKindCount = 8;

/// A kind's name in the settings ("fuel", "box", ...), and the kind a name stands for.
std::string_view callKindName(CallKind kind);
std::optional<CallKind> callKind(std::string_view name);
/// The kinds named in `list` ("fuel,box,best"); unknown names are left out.
std::set<CallKind> callKinds(std::string_view list);
/// The kinds on in a fresh settings file: every kind but the last lap against the best.
std::set<CallKind> defaultCallKinds();
/// `kinds` as the settings write them, in the order of `CallKind`.
std::string callKindList(const std::set<CallKind> &kinds);

/// One call: its kind, what is said, whether it goes before the others, and for a
/// temperature what it is about (a newer call replaces an unspoken older one of the same
/// kind and subject).
struct Call {
    CallKind kind = CallKind::FuelLaps;
    std::string text;
    bool urgent = false;
    std::string subject;
    std::int64_t timeMs = 0;
    bool operator==(const Call &) const = default;
};

/// A lap time as a driver says it, to the tenth: "1 minute 35.4" (the words and the decimal
/// sign of the language of `t`), "58.3" under a minute.
std::string spokenLapTime(double seconds, const i18n::Texts &t);
/// A difference of lap times as said: "plus 0.8", "minus 1.2".
std::string spokenDifference(double seconds, const i18n::Texts &t);
/// An amount of fuel as said: whole litres, gallons to the tenth.
std::string spokenFuel(double litres, bool imperial, const i18n::Texts &t);

/// The locale of the voice that speaks `idioma` (the closest one where there is none of its
/// own: Asturian is spoken with the Spanish voice).
std::string voiceLocale(std::string_view idioma);

/// Listens to the race as the race engineer does and says what a driver needs to hear, each
/// call once: at each lap change the fuel, the box call, the personal best, the lap against
/// the best and a place gained or lost; on the lap into the pits what to add; a temperature
/// leaving its window out of the pits, once until it is back and not again within
/// `kTemperatureRepeatMs`; the pit limiter left on after the pits.
class RadioCalls {
public:
    /// What the calls are made of: the sample as read (metric), the engineer that took it,
    /// the thresholds (metric), the language and units they are said in, and the time.
    struct Moment {
        const telemetry::TelemetrySample &sample;
        const engineer::RaceEngineer &engineer;
        const core::Thresholds &thresholds;
        const i18n::Texts &texts;
        bool imperial = false;
        std::int64_t nowMs = 0;
    };

    /// The calls this moment makes, of the kinds in `on`.
    std::vector<Call> take(const Moment &m, const std::set<CallKind> &on);

    /// How long the limiter may stay on after the pits before the call.
    static constexpr std::int64_t kLimiterGraceMs = 3000;
    /// How long a temperature that was called is not called again.
    static constexpr std::int64_t kTemperatureRepeatMs = 60000;

private:
    void lapChanged(const Moment &m, std::vector<Call> &calls);
    void watchTemperatures(const Moment &m, std::vector<Call> &calls);

    // A reading not seen yet, inside its window, or out of it and called.
    enum class Watch : std::uint8_t { Unknown, Inside, Out };

    std::optional<int> m_lap;
    std::size_t m_lapsSeen = 0;
    int m_position = 0;
    // The lowest fuel mark called since the last refuel (laps), none yet.
    int m_fuelMark = 0;
    bool m_inPits = false;
    std::optional<std::int64_t> m_leftPitsMs;
    bool m_limiterCalled = false;
    // Water, oil, tyres, brakes.
    std::array<Watch, 4> m_watches{};
    std::array<std::optional<std::int64_t>, 4> m_calledMs{};
};

} // namespace ostrelo::radio
