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

using telemetry::TelemetrySample;

namespace {

constexpr double kRadPerSecondToRpm = 9.549;

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

DisplayPhase::DisplayPhase(Screen &screen, DisplayState &display,
                           std::function<std::int32_t()> tickCountMs)
    : m_screen(screen), m_display(display), m_tickCountMs(std::move(tickCountMs)) {
}

void DisplayPhase::showEngineAndPedals(const TelemetrySample &s) {
    m_screen.engine.lit = s.EngineSpeed > 1.0F;
    m_rpm = static_cast<double>(s.EngineSpeed) * kRadPerSecondToRpm;
    m_rpmMaximum = static_cast<double>(s.EngineSpeedMax) * kRadPerSecondToRpm + 100;
    if (m_rpm < 0.0001) {
        m_rpm = 0.001;
    }
    if (m_rpm > m_rpmMaximum) {
        m_rpm = m_rpmMaximum;
    }
    m_screen.rpm.text = integerText(m_rpm);
    m_throttle = clampPedal(s.Throttle);
    m_brake = clampPedal(s.Brake);
    const char separator = m_display.decimalSeparator;
    m_screen.throttle = patternText(m_throttle, "0", separator);
    m_screen.brake = patternText(m_brake, "0", separator);
    m_screen.ignition.lit = s.Ignition == 1;
}

void DisplayPhase::forgetLap() {
    m_screen.fuelUsedLastLap.clear();
    m_fuelUsedShown = false;
}

void DisplayPhase::showLapAndFuel(const TelemetrySample &s) {
    const char separator = m_display.decimalSeparator;
    m_screen.lapNumber = plainText(s.LapNumber);
    m_screen.fuel = patternText(s.Fuel, ".00", separator) + m_display.FuelUnit;
    if (m_book->lapChanged() || !m_fuelUsedShown) {
        if (const auto used = m_book->fuelUsed(m_view->imperial)) {
            m_screen.fuelUsedLastLap = patternText(*used, ".00", separator) + m_display.FuelUnit;
            m_fuelUsedShown = true;
        }
    }
    const i18n::Texts &t = *m_view->texts;
    m_screen.bestLap = t.TextBest + ": " + lapTimeText(s.BestLapTime, separator);
    m_screen.lastLap = t.TextLast + ": " + lapTimeText(s.LastLapTime, separator);
}

void DisplayPhase::showTyresAndBrakes(const TelemetrySample &s) {
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        for (std::size_t zone = 0; zone < 3; ++zone) {
            m_screen.tyreTemp[wheel][zone].text = integerText(s.TyreTemp[wheel][zone]);
        }
    }
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        m_screen.tyrePressure[wheel].text =
            integerText(s.TyrePressure[wheel]) + m_display.PressureUnit;
    }
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        m_screen.brakeTemp[wheel].text = integerText(s.BrakeTemp[wheel]) + m_display.TempUnit;
    }
}

void DisplayPhase::showLamps(const TelemetrySample &s) {
    const i18n::Texts &t = *m_view->texts;
    m_screen.pitLimiter.lit = s.PitLimiter == 1;
    m_screen.inPits.lit = s.InPits != 0;
    showAidLevel(m_screen.tractionControl, s.TractionControl, t.TextTC, t.TextTCLow, t.TextTCHigh);
    showAidLevel(m_screen.abs, s.AbsLevel, t.TextABS, t.TextABSLow, t.TextABSHigh);
}

void DisplayPhase::showWeather(const TelemetrySample &s) {
    const char separator = m_display.decimalSeparator;
    m_screen.ambientTemp =
        "Amb: " + patternText(core::ToInteger16(s.AmbientTemp), "00", separator) +
        m_display.TempUnit;
    m_screen.trackTemp =
        "Tr: " + patternText(core::ToInteger16(s.TrackTemp), "00", separator) + m_display.TempUnit;
}

void DisplayPhase::showGraphics(const TelemetrySample &s) {
    const core::Thresholds &t = m_display.thresholds;
    m_screen.oilTemp.background = thresholdColour(s.OilTemp, t.MinMotor, t.MaxMotor);
    m_screen.waterTemp.background = thresholdColour(s.WaterTemp, t.MinMotor, t.MaxMotor);
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        for (std::size_t zone = 0; zone < 3; ++zone) {
            m_screen.tyreTemp[wheel][zone].background =
                thresholdColour(s.TyreTemp[wheel][zone], t.MinPneu, t.MaxPneu);
        }
    }
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        m_screen.tyrePressure[wheel].background =
            thresholdColour(s.TyrePressure[wheel], t.MinPress, t.MaxPress);
    }
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        m_screen.brakeTemp[wheel].background =
            thresholdColour(s.BrakeTemp[wheel], t.MinFrens, t.MaxFrens);
    }
    showWheelLocks(m_screen, s, m_speed);
    m_screen.rpm.maximum = m_rpmMaximum;
    m_screen.rpm.value = m_rpm;
    m_screen.throttleBar.value = m_throttle;
    m_screen.brakeBar.value = m_brake;
    m_screen.speed.value = m_speed;
}

void DisplayPhase::showDebugValues(const TelemetrySample &s) {
    if (!m_view->debug) {
        return;
    }
    m_debug.line[1] = "Ultima Volta: " + core::NumberToText(s.LastLapTime);
    m_debug.line[2] = "Regvolta: " + core::NumberToText(m_book->registeredLapBefore());
    m_debug.line[3] = "Benzina: " + core::NumberToText(s.Fuel);
    m_debug.line[4] = "Benzina inicial: " + core::NumberToText(m_book->lapStartFuelBefore());
    m_debug.line[5] = "Numero Volta: " + plainText(s.LapNumber);
    m_debug.line[6] = "Contacte: " + plainText(s.Ignition);
}

void DisplayPhase::showDebugElapsed() {
    if (!m_view->debug || !m_tickCountMs) {
        return;
    }
    const std::int64_t elapsed =
        static_cast<std::int64_t>(m_tickCountMs()) - m_view->processStartTick;
    if (elapsed < std::numeric_limits<std::int32_t>::min() ||
        elapsed > std::numeric_limits<std::int32_t>::max()) {
        throw core::RunTimeError("Elapsed", "Overflow: the elapsed time is out of range");
    }
    m_debug.line[20] = plainText(static_cast<int>(elapsed));
}

void DisplayPhase::show(TelemetrySample &s, const ViewOptions &view, const FollowedSlot &followed,
                        const LapBook &book) {
    m_view = &view;
    m_followed = &followed;
    m_book = &book;
    followBook();
    showSample(s, book.showsAll());
}

void DisplayPhase::followBook() {
    if (m_book->forgotten() != m_bookForgotten) {
        m_bookForgotten = m_book->forgotten();
        forgetLap();
    }
}

void DisplayPhase::catchUp(const ViewOptions &view, const FollowedSlot &followed,
                           const LapBook &book) {
    m_view = &view;
    m_followed = &followed;
    m_book = &book;
    followBook();
    if (book.lastShownInFull()) {
        TelemetrySample full = *book.lastShownInFull();
        showSample(full, true);
    }
    if (book.lastSample() && !book.showsAll()) {
        TelemetrySample last = *book.lastSample();
        showSample(last, false);
    }
}

void DisplayPhase::showSample(TelemetrySample &s, bool inFull) {
    if (m_view->imperial) {
        convertToImperial(s);
    }
    showEngineAndPedals(s);
    showDebugValues(s);
    if (!inFull) {
        return;
    }
    m_screen.position.lit = true;
    m_screen.position.caption =
        "Pos " + plainText(s.Position) + " - " + plainText(m_followed->slot) + ":" + s.DriverName;
    m_screen.carName = s.CarName;
    m_screen.waterTemp.text = integerText(s.WaterTemp);
    m_screen.oilTemp.text = integerText(s.OilTemp);
    showLapAndFuel(s);
    m_screen.gear = plainText(s.Gear);
    showTyresAndBrakes(s);
    m_speed = roadSpeed(s);
    m_screen.speed.text = integerText(m_speed);
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        const double wear = s.TyreWear[wheel] == 0 ? 1 : s.TyreWear[wheel];
        m_screen.tyreWear[wheel] = patternText((1 - wear) * 320, "0.0", m_display.decimalSeparator);
    }
    m_screen.trackName = s.TrackName;
    showLamps(s);
    showWeather(s);
    if (m_view->graphics) {
        showGraphics(s);
    }
    showDebugElapsed();
}

} // namespace ostrelo::dashboard
