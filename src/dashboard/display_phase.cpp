// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/display_phase.h"

#include "core/conversions.h"
#include "core/error.h"
#include "dashboard/colours.h"
#include "dashboard/formats.h"
#include "dashboard/units.h"
#include "dashboard/warnings.h"

#include <limits>

namespace ostrelo::dashboard {

using core::Label;
using telemetry::TelemetrySample;

namespace {

constexpr double kRadPerSecondToRpm = 9.549;

// The four wheels' label of one quantity, FL, FR, RL, RR.
constexpr Label kPressureLabels[] = {Label::Label24, Label::Label25, Label::Label26,
                                     Label::Label27};
constexpr Label kBrakeLabels[] = {Label::Label43, Label::Label44, Label::Label45, Label::Label46};
constexpr Label kWearLabels[] = {Label::Label37, Label::Label38, Label::Label39, Label::Label40};

Label tyreLabel(int wheel, int zone) {
    return static_cast<Label>(2 + wheel * 3 + zone);
}

float clampPedal(float value) {
    if (value < 0.0001F) {
        return 0.001F;
    }
    return value > 100 ? 100.0F : value;
}

// Average of the wheel speeds that are not exactly 0, floored at 0.001.
double roadSpeed(const TelemetrySample &s) {
    double sum = 0;
    int count = 0;
    for (const double speed : s.WheelSpeed) {
        if (speed != 0) {
            sum += speed;
            ++count;
        }
    }
    const double speed = count == 0 ? 0 : sum / count;
    return speed < 0.0001 ? 0.001 : speed;
}

} // namespace

DisplayPhase::DisplayPhase(core::AppState &state, core::DashboardView &view, DisplayState &display,
                           std::function<std::int32_t()> tickCountMs)
    : m_state(state), m_view(view), m_display(display), m_tickCountMs(std::move(tickCountMs)) {
}

void DisplayPhase::showEngineAndPedals(const TelemetrySample &s) {
    m_view.setLampLit(7, s.EngineSpeed > 1.0F);
    m_rpm = static_cast<double>(s.EngineSpeed) * kRadPerSecondToRpm;
    m_rpmMaximum = static_cast<double>(s.EngineSpeedMax) * kRadPerSecondToRpm + 100;
    if (m_rpm < 0.0001) {
        m_rpm = 0.001;
    }
    if (m_rpm > m_rpmMaximum) {
        m_rpm = m_rpmMaximum;
    }
    m_view.setBarText(3, integerText(m_rpm));
    m_throttle = clampPedal(s.Throttle);
    m_brake = clampPedal(s.Brake);
    const char separator = m_display.decimalSeparator;
    m_view.setCaption(Label::Label35, patternText(m_throttle, "0", separator));
    m_view.setCaption(Label::Label36, patternText(m_brake, "0", separator));
    m_view.setLampLit(6, s.Ignition == 1);
}

bool DisplayPhase::registerIgnition(const TelemetrySample &s) {
    if (s.Ignition != 1) {
        m_display.ReferencePending = true;
        // Following the local car, nothing more is shown while its ignition is off.
        return m_state.SlotMode != core::FollowedCar::Local;
    }
    if (m_display.ReferencePending) {
        m_display.RegisteredLap = s.LapNumber;
        m_display.LapStartFuel = s.Fuel;
        m_display.ReferencePending = false;
        m_display.registered = true;
    }
    return true;
}

void DisplayPhase::showLapAndFuel(const TelemetrySample &s) {
    const char separator = m_display.decimalSeparator;
    m_view.setCaption(Label::Label32, plainText(s.LapNumber));
    m_view.setCaption(Label::Label16, patternText(s.Fuel, ".00", separator) + m_display.FuelUnit);
    if (static_cast<float>(s.LapNumber) != m_display.RegisteredLap) {
        // The first registration after start-up has no lap behind it: it shows nothing.
        if (m_display.registered) {
            const float used = m_display.LapStartFuel - s.Fuel;
            m_view.setCaption(Label::Label34,
                              patternText(used, ".00", separator) + m_display.FuelUnit);
        }
        m_display.LapStartFuel = s.Fuel;
        m_display.RegisteredLap = s.LapNumber;
        m_display.registered = true;
    }
    const core::Texts &t = m_state.texts;
    m_view.setCaption(Label::Label22, t.TextBest + ": " + lapTimeText(s.BestLapTime, separator));
    m_view.setCaption(Label::Label23, t.TextLast + ": " + lapTimeText(s.LastLapTime, separator));
}

void DisplayPhase::showTyresAndBrakes(const TelemetrySample &s) {
    for (int wheel = 0; wheel < 4; ++wheel) {
        for (int zone = 0; zone < 3; ++zone) {
            m_view.setCaption(
                tyreLabel(wheel, zone),
                integerText(
                    s.TyreTemp[static_cast<std::size_t>(wheel)][static_cast<std::size_t>(zone)]));
        }
    }
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        m_view.setCaption(kPressureLabels[wheel],
                          integerText(s.TyrePressure[wheel]) + m_display.PressureUnit);
    }
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        m_view.setCaption(kBrakeLabels[wheel],
                          integerText(s.BrakeTemp[wheel]) + m_display.TempUnit);
    }
}

void DisplayPhase::showLamps(const TelemetrySample &s) {
    const core::Texts &t = m_state.texts;
    m_view.setLampLit(1, s.PitLimiter == 1);
    m_view.setLampLit(2, s.InPits != 0);
    showAidLevel(m_view, 4, s.TractionControl, t.TextTC, t.TextTCLow, t.TextTCHigh);
    showAidLevel(m_view, 5, s.AbsLevel, t.TextABS, t.TextABSLow, t.TextABSHigh);
}

void DisplayPhase::showWeather(const TelemetrySample &s) {
    const char separator = m_display.decimalSeparator;
    m_view.setCaption(Label::Label41,
                      "Amb: " + patternText(core::ToInteger16(s.AmbientTemp), "00", separator) +
                          m_display.TempUnit);
    m_view.setCaption(Label::Label42,
                      "Tr: " + patternText(core::ToInteger16(s.TrackTemp), "00", separator) +
                          m_display.TempUnit);
}

void DisplayPhase::showGraphics(const TelemetrySample &s) {
    const core::Thresholds &t = m_display.thresholds;
    m_view.setBackground(Label::Label18, thresholdColour(s.OilTemp, t.MinMotor, t.MaxMotor));
    m_view.setBackground(Label::Label17, thresholdColour(s.WaterTemp, t.MinMotor, t.MaxMotor));
    for (int wheel = 0; wheel < 4; ++wheel) {
        for (int zone = 0; zone < 3; ++zone) {
            const float value =
                s.TyreTemp[static_cast<std::size_t>(wheel)][static_cast<std::size_t>(zone)];
            m_view.setBackground(tyreLabel(wheel, zone),
                                 thresholdColour(value, t.MinPneu, t.MaxPneu));
        }
    }
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        m_view.setBackground(kPressureLabels[wheel],
                             thresholdColour(s.TyrePressure[wheel], t.MinPress, t.MaxPress));
    }
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        m_view.setBackground(kBrakeLabels[wheel],
                             thresholdColour(s.BrakeTemp[wheel], t.MinFrens, t.MaxFrens));
    }
    showWheelLocks(m_view, s, m_speed);
    m_view.setBarMaximum(3, m_rpmMaximum);
    m_view.setBarValue(3, m_rpm);
    m_view.setBarValue(1, m_throttle);
    m_view.setBarValue(2, m_brake);
    m_view.setBarValue(4, m_speed);
}

void DisplayPhase::showDebugValues(const TelemetrySample &s) {
    if (!m_state.settings.Depurar || !m_debug) {
        return;
    }
    m_debug->setDebugLine(1, "Ultima Volta: " + core::NumberToText(s.LastLapTime));
    m_debug->setDebugLine(2, "Regvolta: " + core::NumberToText(m_display.RegisteredLap));
    m_debug->setDebugLine(3, "Benzina: " + core::NumberToText(s.Fuel));
    m_debug->setDebugLine(4, "Benzina inicial: " + core::NumberToText(m_display.LapStartFuel));
    m_debug->setDebugLine(5, "Numero Volta: " + plainText(s.LapNumber));
    m_debug->setDebugLine(6, "Contacte: " + plainText(s.Ignition));
}

void DisplayPhase::showDebugElapsed() {
    if (!m_state.settings.Depurar || !m_debug || !m_tickCountMs) {
        return;
    }
    const std::int64_t elapsed =
        static_cast<std::int64_t>(m_tickCountMs()) - m_state.ProcessStartTick;
    if (elapsed < std::numeric_limits<std::int32_t>::min() ||
        elapsed > std::numeric_limits<std::int32_t>::max()) {
        throw core::RunTimeError("Elapsed", "Overflow: the elapsed time is out of range");
    }
    m_debug->setDebugLine(20, plainText(static_cast<int>(elapsed)));
}

void DisplayPhase::show(TelemetrySample &s) {
    if (m_state.settings.TipusConexio == core::ConnectionMode::Server &&
        !m_state.settings.DadesServ) {
        return;
    }
    if (isImperial(m_state.settings)) {
        convertToImperial(s);
    }
    showEngineAndPedals(s);
    showDebugValues(s);
    if (!registerIgnition(s)) {
        return;
    }
    m_view.setLampLit(3, true);
    m_view.setLampCaption(3, "Pos " + plainText(s.Position) + " - " + plainText(m_state.CarSlot) +
                                 ":" + s.DriverName);
    m_view.setCaption(Label::Label30, s.CarName);
    m_state.CurrentCarName = s.CarName;
    m_view.setCaption(Label::Label17, integerText(s.WaterTemp));
    m_view.setCaption(Label::Label18, integerText(s.OilTemp));
    showLapAndFuel(s);
    m_view.setCaption(Label::Label14, plainText(s.Gear));
    showTyresAndBrakes(s);
    m_speed = roadSpeed(s);
    m_view.setBarText(4, integerText(m_speed));
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        const double wear = s.TyreWear[wheel] == 0 ? 1 : s.TyreWear[wheel];
        m_view.setCaption(kWearLabels[wheel],
                          patternText((1 - wear) * 320, "0.0", m_display.decimalSeparator));
    }
    m_view.setCaption(Label::Label28, s.TrackName);
    showLamps(s);
    showWeather(s);
    if (!m_state.settings.NoGrafics) {
        showGraphics(s);
    }
    showDebugElapsed();
}

} // namespace ostrelo::dashboard
