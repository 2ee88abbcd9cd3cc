// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace ostrelo::i18n {

/// Every language text slot, in order: the struct below and whatever walks all the slots use
/// this one list.
// clang-format off
#define OSTRELO_TEXT_SLOTS(X) \
    X(TextScanning) X(TextGameRunning) X(TextGameNotRunning) X(TextLapTimes) X(TextBest) \
    X(TextLast) X(TextLap) X(TextWater) X(TextOil) X(TextFuelLastLap) X(TextLimiter) X(TextPits) \
    X(TextTC) X(TextTCHigh) X(TextTCLow) X(TextABS) X(TextABSHigh) X(TextABSLow) X(TextIgnition) \
    X(TextEngine) X(TextAboutMenu) X(TextExitMenu) X(TextAboutTitle) X(TextAboutDescription) \
    X(TextAboutCredit) X(TextFileMenu) X(TextOptionsMenu) X(TextScanTimeMenu) X(TextIPCaption) \
    X(TextPortCaption) X(TextBadIP) X(TextBadPort) X(TextConnectionMenu) X(TextNoneMenu) \
    X(TextServerMenu) X(TextClientMenu) X(TextServerDialogTitle) X(TextClientDialogTitle) \
    X(TextOK) X(TextConnected) X(TextConnecting) X(TextListening) X(TextNoConnection) \
    X(TextGraphicsMenu) X(TextMetricMenu) X(TextImperialMenu) X(TextShowServerDataMenu) \
    X(TextPortHelp) X(TextWebMenu) X(TextWebTitle) X(TextWebEnabled) X(TextWebAddress) \
    X(TextWebHint) X(TextWebOff) X(TextWebThisComputerOnly) X(TextNoData) X(TextFullScreen) X(TextEngineerMenu) \
    X(TextEngineerTitle) X(TextFuelPerLap) X(TextFuelMost) X(TextLapsOfFuel) X(TextRaceLength) \
    X(TextLapsUnit) X(TextMinutesUnit) X(TextNoLength) X(TextFuelToAdd) X(TextFuelEnough) \
    X(TextNeedLaps) X(TextPersonalBest) X(TextAgainstBest) X(TextLapColumns) X(TextExportCsv) \
    X(TextLapTimesPlot) X(TextTyresPlot) X(TextRecordMenu) X(TextReplayRefused) \
    X(TextReplayDamaged) X(TextStandingsMenu) X(TextStandingsTitle) X(TextStandingsColumns) \
    X(TextOneLapBehind) X(TextLapsBehind)
// clang-format on

/// The language text slots shown by the program: empty until a language is applied, then the
/// texts of the language in force. `TextPortHelp` tells how to choose a port an ordinary user
/// may listen on; the `TextWeb...` texts, `TextNoData` and `TextFullScreen` belong to the
/// dashboard served to browsers; the texts from `TextEngineerMenu` on to the race engineer
/// (`TextNeedLaps` holds "%1" for the counting laps so far, `TextLapColumns` the lap table's
/// column titles separated by commas); `TextReplayRefused` and `TextReplayDamaged` hold "%1"
/// for the reason; the `TextStandings...` texts and the gaps belong to the timing tower
/// (`TextStandingsColumns` its eight column titles, `TextLapsBehind` "%1" for two laps or more).
struct Texts {
#define OSTRELO_TEXT_SLOT(name) std::string name;
    OSTRELO_TEXT_SLOTS(OSTRELO_TEXT_SLOT)
#undef OSTRELO_TEXT_SLOT
};

} // namespace ostrelo::i18n
