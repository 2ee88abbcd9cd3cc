// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "telemetry/telemetry_sample.h"

#include <cstdint>
#include <string>

namespace ostrelo::telemetry {

/// What a field measures, for the conversion to imperial units.
enum class Quantity { None, Temperature, Pressure, Fuel, Speed };

/// A field's name as the log's header writes it ("TyreTemp_FL_0"), and what it measures.
struct FieldName {
    const char *base;
    int wheel = -1;
    int zone = -1;
    Quantity quantity = Quantity::None;

    /// The name with its wheel and zone.
    std::string text() const;
};

/// The reserved single of the wire (always 0) and the followed car's slot, which the wire
/// carries among the sample's fields.
struct Reserved {};
struct CarSlot {};

/// Calls `visit(name, field)` for the 53 fields a frame carries before its status text, in
/// wire order: each field of `sample` by reference (std::string, std::int16_t, float or
/// double; const when `sample` is), and `Reserved{}` and `CarSlot{}` in their places. This is
/// the one place that order is written.
template <typename Sample, typename Visit> void forEachWireField(Sample &s, Visit &&visit) {
    constexpr auto T = Quantity::Temperature;
    const auto perWheel = [&visit](const char *base, Quantity quantity, auto &values) {
        for (int wheel = FL; wheel <= RR; ++wheel) {
            visit(FieldName{base, wheel, -1, quantity}, values[static_cast<std::size_t>(wheel)]);
        }
    };
    visit(FieldName{"DriverName"}, s.DriverName);
    visit(FieldName{"OilTemp", -1, -1, T}, s.OilTemp);
    visit(FieldName{"WaterTemp", -1, -1, T}, s.WaterTemp);
    visit(FieldName{"SlotName"}, s.SlotName);
    visit(FieldName{"Position"}, s.Position);
    visit(FieldName{"EngineSpeed"}, s.EngineSpeed);
    visit(FieldName{"EngineSpeedMax"}, s.EngineSpeedMax);
    visit(FieldName{"Ignition"}, s.Ignition);
    visit(FieldName{"LapNumber"}, s.LapNumber);
    visit(FieldName{"Fuel", -1, -1, Quantity::Fuel}, s.Fuel);
    visit(FieldName{"BestLapTime"}, s.BestLapTime);
    visit(FieldName{"Reserved"}, Reserved{});
    visit(FieldName{"LastLapTime"}, s.LastLapTime);
    visit(FieldName{"Gear"}, s.Gear);
    for (int wheel = FL; wheel <= RR; ++wheel) {
        for (int zone = 0; zone < 3; ++zone) {
            visit(FieldName{"TyreTemp", wheel, zone, T},
                  s.TyreTemp[static_cast<std::size_t>(wheel)][static_cast<std::size_t>(zone)]);
        }
    }
    perWheel("TyrePressure", Quantity::Pressure, s.TyrePressure);
    perWheel("WheelSpeed", Quantity::Speed, s.WheelSpeed);
    perWheel("TyreWear", Quantity::None, s.TyreWear);
    visit(FieldName{"TrackName"}, s.TrackName);
    visit(FieldName{"PitLimiter"}, s.PitLimiter);
    visit(FieldName{"InPits"}, s.InPits);
    visit(FieldName{"TractionControl"}, s.TractionControl);
    visit(FieldName{"AbsLevel"}, s.AbsLevel);
    visit(FieldName{"Throttle"}, s.Throttle);
    visit(FieldName{"Brake"}, s.Brake);
    visit(FieldName{"TrackTemp", -1, -1, T}, s.TrackTemp);
    visit(FieldName{"AmbientTemp", -1, -1, T}, s.AmbientTemp);
    visit(FieldName{"CarSlot"}, CarSlot{});
    perWheel("BrakeTemp", T, s.BrakeTemp);
    visit(FieldName{"CarName"}, s.CarName);
}

/// The name (as the log's header writes it) of the first single or double of `sample`, in wire
/// order, that is not a finite number; empty when every one is.
std::string firstNotFinite(const TelemetrySample &sample);

/// A single from a double; a finite value beyond the single's range is an overflow (throws
/// core::RunTimeError, source "CSng"). Infinities and NaN pass as they are.
float toSingle(double value);

} // namespace ostrelo::telemetry
