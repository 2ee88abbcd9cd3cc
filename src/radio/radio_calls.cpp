// SPDX-License-Identifier: GPL-3.0-or-later
#include "radio/radio_calls.h"

#include "dashboard/formats.h"
#include "dashboard/units.h"
#include "i18n/messages.h"

#include <algorithm>
#include <cmath>

namespace ostrelo::radio {
namespace {

constexpr std::array<std::string_view, kCallKindCount> kNames = {
    "fuel", "box", "add", "best", "against", "position", "temperature", "limiter"};

// The marks at which the fuel is called, in laps.
constexpr std::array kFuelMarks = {5, 3, 2, 1};

// A number with one decimal, the decimal sign the language speaks.
std::string tenths(double value, const i18n::Texts &t) {
    const char sign = t.TextRadioDecimal.empty() ? '.' : t.TextRadioDecimal.front();
    std::string text = dashboard::patternText(value, "0.0", sign);
    return text;
}

// Whether `value` lies below (-1), within (0) or above (1) its window.
int side(double value, double minimum, double maximum) {
    return value < minimum ? -1 : value > maximum ? 1 : 0;
}

// The side of the wheels furthest out of the window, or 0 when all are in it.
int worstSide(const std::array<double, 4> &values, double minimum, double maximum) {
    int worst = 0;
    for (const double value : values) {
        const int s = side(value, minimum, maximum);
        worst = s != 0 ? s : worst;
    }
    return worst;
}

Call call(CallKind kind, std::string text, std::string subject = {}) {
    Call made;
    made.kind = kind;
    made.text = std::move(text);
    made.subject = std::move(subject);
    return made;
}

} // namespace

std::string_view callKindName(CallKind kind) {
    return kNames[static_cast<std::size_t>(kind)];
}

std::optional<CallKind> callKind(std::string_view name) {
    const auto found = std::find(kNames.begin(), kNames.end(), name);
    if (found == kNames.end()) {
        return std::nullopt;
    }
    return static_cast<CallKind>(found - kNames.begin());
}

std::set<CallKind> callKinds(std::string_view list) {
    std::set<CallKind> kinds;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        if (const auto kind = callKind(list.substr(start, comma - start))) {
            kinds.insert(*kind);
        }
        start = comma + 1;
    }
    return kinds;
}

std::set<CallKind> defaultCallKinds() {
    std::set<CallKind> kinds;
    for (std::size_t kind = 0; kind < kCallKindCount; ++kind) {
        kinds.insert(static_cast<CallKind>(kind));
    }
    kinds.erase(CallKind::AgainstBest);
    return kinds;
}

std::string callKindList(const std::set<CallKind> &kinds) {
    std::string list;
    for (const CallKind kind : kinds) {
        list += (list.empty() ? "" : ",") + std::string(callKindName(kind));
    }
    return list;
}

std::string spokenLapTime(double seconds, const i18n::Texts &t) {
    const double rounded = std::round(seconds * 10) / 10;
    const int minutes = static_cast<int>(rounded / 60);
    const std::string rest = tenths(rounded - 60.0 * minutes, t);
    if (minutes == 0) {
        return rest;
    }
    return std::to_string(minutes) + " " + (minutes == 1 ? t.TextRadioMinute : t.TextRadioMinutes) +
           " " + rest;
}

std::string spokenDifference(double seconds, const i18n::Texts &t) {
    return (seconds < 0 ? t.TextRadioMinus : t.TextRadioPlus) + " " + tenths(std::abs(seconds), t);
}

std::string spokenFuel(double litres, bool imperial, const i18n::Texts &t) {
    if (imperial) {
        return tenths(std::ceil(dashboard::toGallons(litres) * 10) / 10, t) + " " +
               t.TextRadioGallons;
    }
    return std::to_string(static_cast<long long>(std::ceil(litres))) + " " + t.TextRadioLitres;
}

std::string voiceLocale(std::string_view idioma) {
    const struct {
        std::string_view idioma;
        const char *locale;
    } voices[] = {{"Español", "es_ES"}, {"Català", "ca_ES"},   {"Asturianu", "es_ES"},
                  {"English", "en_GB"}, {"Francais", "fr_FR"}, {"Deutsch", "de_DE"},
                  {"Dutch", "nl_NL"},   {"Italiano", "it_IT"}};
    for (const auto &voice : voices) {
        if (voice.idioma == idioma) {
            return voice.locale;
        }
    }
    return "en_GB";
}

std::vector<Call> RadioCalls::take(const Moment &m, const std::set<CallKind> &on) {
    const telemetry::TelemetrySample &s = m.sample;
    const i18n::Texts &t = m.texts;
    std::vector<Call> calls;
    if (!m_lap) {
        // The first sample only tells where things stand.
        m_lap = s.LapNumber;
        m_position = s.Position;
        m_inPits = s.InPits != 0;
        m_lapsSeen = m.engineer.laps().size();
        return calls;
    }
    if (s.LapNumber == *m_lap + 1) {
        lapChanged(m, calls);
    } else if (s.LapNumber != *m_lap) {
        // A restart or a jump: the marks start again.
        m_fuelMark = 0;
        m_position = s.Position;
    }
    m_lap = s.LapNumber;

    // A lap the engineer finished: its time against the best.
    const std::vector<engineer::LapRecord> &laps = m.engineer.laps();
    if (laps.size() > m_lapsSeen && dashboard::isLapTime(laps.back().timeS)) {
        const engineer::LapRecord &lap = laps.back();
        const std::optional<double> against = m.engineer.lastAgainstBest();
        if (against && *against < 0 && !lap.pitted) {
            calls.push_back(call(CallKind::PersonalBest,
                                 i18n::fill(t.TextRadioBest, {spokenLapTime(lap.timeS, t)})));
        } else if (against) {
            calls.push_back(call(CallKind::AgainstBest,
                                 i18n::fill(t.TextRadioLastLap, {spokenLapTime(lap.timeS, t),
                                                                 spokenDifference(*against, t)})));
        }
    }
    m_lapsSeen = laps.size();

    const bool inPits = s.InPits != 0;
    if (inPits && !m_inPits) {
        // Into the pits: what to put in.
        const engineer::FuelFigures figures = m.engineer.fuel();
        const double add = figures.toAdd ? *figures.toAdd : figures.perStop;
        if (add > 0) {
            calls.push_back(call(CallKind::FuelToAdd,
                                 i18n::fill(t.TextRadioAdd, {spokenFuel(add, m.imperial, t)})));
        }
        m_fuelMark = 0;
        m_leftPitsMs.reset();
    } else if (!inPits && m_inPits) {
        m_leftPitsMs = m.nowMs;
        m_limiterCalled = false;
    }
    m_inPits = inPits;
    if (m_leftPitsMs && !m_limiterCalled) {
        if (s.PitLimiter == 0) {
            m_leftPitsMs.reset();
        } else if (m.nowMs - *m_leftPitsMs >= kLimiterGraceMs) {
            calls.push_back(call(CallKind::PitLimiter, t.TextRadioLimiter));
            m_limiterCalled = true;
        }
    }
    // In the pits a car cools and heats as it stands: nothing to call.
    if (s.Ignition == 1 && s.InPits == 0) {
        watchTemperatures(m, calls);
    }

    std::erase_if(calls, [&on](const Call &call) { return !on.contains(call.kind); });
    for (Call &call : calls) {
        call.timeMs = m.nowMs;
        call.urgent = call.kind == CallKind::BoxThisLap;
    }
    return calls;
}

void RadioCalls::lapChanged(const Moment &m, std::vector<Call> &calls) {
    const telemetry::TelemetrySample &s = m.sample;
    const i18n::Texts &t = m.texts;
    if (s.Position > 0 && m_position > 0 && s.Position != m_position) {
        calls.push_back(call(CallKind::Position,
                             i18n::fill(s.Position < m_position ? t.TextRadioUp : t.TextRadioDown,
                                        {std::to_string(s.Position)})));
    }
    m_position = s.Position;
    if (s.InPits != 0) {
        // A line crossed in the pit lane: the fuel is about to go in.
        return;
    }

    const engineer::FuelFigures figures = m.engineer.fuel();
    const engineer::FuelPlan &plan = m.engineer.fuelPlan();
    const double perLap = plan.highest ? figures.perLapMost : figures.perLapMean;
    if (!figures.enough || perLap <= 0) {
        return;
    }
    const int laps = static_cast<int>(std::floor(figures.lapsOfFuel));
    if (m_fuelMark != 0 && laps > m_fuelMark) {
        // Fuel was put in.
        m_fuelMark = 0;
    }
    if (std::find(kFuelMarks.begin(), kFuelMarks.end(), laps) != kFuelMarks.end() &&
        (m_fuelMark == 0 || laps < m_fuelMark)) {
        m_fuelMark = laps;
        calls.push_back(call(CallKind::FuelLaps,
                             laps == 1 ? t.TextRadioFuelOneLap
                                       : i18n::fill(t.TextRadioFuelLaps, {std::to_string(laps)})));
    }
    // Box when, after this lap, the fuel would not do one more and the reserve; not when what
    // is aboard finishes the race.
    const double fuel = s.Fuel;
    const int reserve = std::clamp(plan.reserveLaps, 0, engineer::kMostReserveLaps);
    const bool finishes = figures.lapsToGo && fuel >= (*figures.lapsToGo + reserve) * perLap;
    if (!finishes && fuel - perLap < perLap * (1 + reserve)) {
        calls.push_back(call(CallKind::BoxThisLap, t.TextRadioBox));
    }
}

void RadioCalls::watchTemperatures(const Moment &m, std::vector<Call> &calls) {
    const telemetry::TelemetrySample &s = m.sample;
    const core::Thresholds &limits = m.thresholds;
    const i18n::Texts &t = m.texts;
    std::array<double, 4> tread{};
    std::array<double, 4> brakes{};
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        tread[wheel] = (s.TyreTemp[wheel][0] + s.TyreTemp[wheel][1] + s.TyreTemp[wheel][2]) / 3.0;
        brakes[wheel] = s.BrakeTemp[wheel];
    }
    const struct {
        const std::string &name;
        const char *subject;
        int side;
    } items[] = {
        {t.TextWater, "water", side(s.WaterTemp, limits.MinMotor, limits.MaxMotor)},
        {t.TextOil, "oil", side(s.OilTemp, limits.MinMotor, limits.MaxMotor)},
        {t.TextRadioTyres, "tyres", worstSide(tread, limits.MinPneu, limits.MaxPneu)},
        {t.TextRadioBrakes, "brakes", worstSide(brakes, limits.MinFrens, limits.MaxFrens)},
    };
    for (std::size_t i = 0; i < std::size(items); ++i) {
        Watch &watch = m_watches[i];
        if (items[i].side == 0) {
            watch = Watch::Inside;
        } else if (watch == Watch::Inside &&
                   (!m_calledMs[i] || m.nowMs - *m_calledMs[i] >= kTemperatureRepeatMs)) {
            // Out of its window, once until it is back, and not again within a while: tyres
            // and brakes go in and out of it corner by corner.
            watch = Watch::Out;
            m_calledMs[i] = m.nowMs;
            calls.push_back(call(
                CallKind::Temperature,
                i18n::fill(items[i].side > 0 ? t.TextRadioHot : t.TextRadioCold, {items[i].name}),
                items[i].subject));
        }
    }
}

} // namespace ostrelo::radio
