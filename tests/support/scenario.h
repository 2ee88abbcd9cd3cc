// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace ostrelo::testing {

/// A scenario for the simulated game that pins every value the acquisition reads, in the
/// game's units. The local driver is Marta Vidal in slot 3.
inline constexpr const char *kFullScenario =
    "[Pin]\n"
    "CarName=Lince Turbo 16V\n"
    "Position=4\n"
    "LapCount=6\n"
    "Fuel=42.5\n"
    "EngineSpeed=700\n"
    "EngineSpeedMax=921.5\n"
    "Gear=4\n"
    "LastLapTime=98.25\n"
    "BestLapTime=97.5\n"
    "InPits=0\n"
    "OilTemp=378.15\n"
    "WaterTemp=363.15\n"
    "PitLimiter=0\n"
    "Ignition=1\n"
    "TractionControl=2\n"
    "AbsLevel=1\n"
    "Throttle=0.75\n"
    "Brake=0.125\n"
    "TrackTemp=31.5\n"
    "AmbientTemp=22.25\n"
    "TrackPath=Locations\\Anella Sud.trk\n"
    "Spin_FL=-100\nSpin_FR=-100\nSpin_RL=-50\nSpin_RR=-40\n"
    "Radius_FL=0.284\nRadius_RL=0.568\n"
    "Tread_FL_0=353.15\nTread_FL_1=358.15\nTread_FL_2=363.15\n"
    "Tread_RR_2=383.15\n"
    "Pressure_FL=190\nPressure_RR=205.5\n"
    "Wear_FL=0.99\nWear_RR=0.5\n"
    "BrakeTemp_FL=673.15\nBrakeTemp_RR=573.15\n";

} // namespace ostrelo::testing
