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
    X(TextWebHint) X(TextWebOff) X(TextWebThisComputerOnly) X(TextNoData) X(TextOldData) X(TextFullScreen) X(TextEngineerMenu) \
    X(TextEngineerTitle) X(TextFuelPerLap) X(TextFuelMost) X(TextFromEarlier) X(TextLapsOfFuel) X(TextRaceLength) \
    X(TextLapsUnit) X(TextMinutesUnit) X(TextNoLength) X(TextFuelToAdd) X(TextFuelEnough) \
    X(TextFuelStops) X(TextTankCapacity) X(TextTankLearned) \
    X(TextNeedLaps) X(TextPersonalBest) X(TextAgainstBest) X(TextLapColumns) X(TextExportCsv) \
    X(TextLapTimesPlot) X(TextTyresPlot) X(TextRecordMenu) X(TextReplayRefused) \
    X(TextReplayDamaged) X(TextStandingsMenu) X(TextStandingsTitle) X(TextStandingsColumns) \
    X(TextOneLapBehind) X(TextLapsBehind) \
    X(TextTileCaptions) X(TextPhoneDash) X(TextFullDash) X(TextTilesChoice) \
    X(TextScreenMaySleep) X(TextOverlayMenu) X(TextOverlayShow) X(TextOverlayLock) \
    X(TextRadioMenu) X(TextRadioFuelLaps) X(TextRadioFuelOneLap) X(TextRadioBox) X(TextRadioAdd) X(TextRadioLitres) X(TextRadioGallons) X(TextRadioBest) \
    X(TextRadioLastLap) X(TextRadioPlus) X(TextRadioMinus) X(TextRadioUp) X(TextRadioDown) X(TextRadioHot) X(TextRadioCold) X(TextRadioTyres) \
    X(TextRadioBrakes) X(TextRadioLimiter) X(TextRadioMinute) X(TextRadioMinutes) X(TextRadioDecimal) X(TextRadioNoVoice) X(TextRadioKinds) X(TextRadioVolume) \
    X(TextRadioMute) X(TextRadioLines) X(TextReserveLaps) X(TextHighestLap) \
    X(TextNoticesTitle) X(TextSettingsUnsaved) X(TextSettingProblem) X(TextRuleNumber) \
    X(TextRuleFlag) X(TextRuleRange) X(TextRuleScanTime) X(TextRuleConnection) X(TextRuleUnits) \
    X(TextRulePort) X(TextRuleAddress) X(TextRuleListenAddress) X(TextRuleColour) \
    X(TextRuleLanguage) X(TextFileRefused) X(TextFileFolder) X(TextFileFifo) X(TextFileDevice) \
    X(TextFileSocket) X(TextFileNotRegular) X(TextFileCannotRead) X(TextFileMayNotWrite) \
    X(TextFileReadOnly) X(TextFileLinkNowhere) X(TextFileFolderClosed) \
    X(TextFileCannotOpen) X(TextFileCannotWrite) \
    X(TextFileCannotCopy) X(TextFileCannotReplace) X(TextFileNotText) X(TextFileNotEmpty) \
    X(TextFileMissing) X(TextCannotListen) X(TextWebCannotListen) X(TextHistoryCannotOpen) \
    X(TextHistoryNotKept) X(TextHistoryCannotUse) X(TextHistoryStuck) X(TextHistoryMovedAside) \
    X(TextHistoryNewer) X(TextHistoryCannotUpdate) X(TextHistoryCannotBegin) \
    X(TextHistoryCannotAddLap) X(TextHistoryCannotKeepTank) X(TextHistoryLocked) \
    X(TextHistoryReadOnly) X(TextSessionEmpty) X(TextSessionNotOurs) X(TextSessionHeaderCut) \
    X(TextSessionNewer) X(TextSessionStopped) X(TextSessionCutRecord) \
    X(TextSessionDamagedRecord) X(TextSessionDamagedStandings) X(TextSessionNoWholeSample) \
    X(TextNotRecorded) X(TextLogOff)
// clang-format on

/// The language text slots shown by the program: empty until a language is applied, then the
/// texts of the language in force. `TextPortHelp` tells how to choose a port an ordinary user
/// may listen on; the `TextWeb...` texts, `TextNoData` and `TextFullScreen` belong to the
/// dashboard served to browsers; `TextOldData` tells that the main window's values are old;
/// the texts from `TextEngineerMenu` on to the race engineer
/// (`TextNeedLaps` holds "%1" for the counting laps so far, `TextLapColumns` the lap table's
/// column titles separated by commas, `TextFuelStops` "%1" for the stops and "%2" for the
/// fuel each adds, `TextTankLearned` the tank capacity the user leaves to the program);
/// `TextReplayRefused` and `TextReplayDamaged` hold "%1" for the reason; the `TextStandings...`
/// texts and the gaps belong to the timing tower
/// (`TextStandingsColumns` its eight column titles, `TextLapsBehind` "%1" for two laps or more);
/// `TextTileCaptions` the captions of the glance tiles, separated by commas in the order of
/// `glance::TileKind`, and the texts after it the phone page's and the overlay's; the
/// `TextRadio...` texts are the race engineer's spoken calls (`TextRadioFuelLaps` "%1" the
/// laps, `TextRadioAdd` "%1" the fuel, `TextRadioBest` "%1" the lap time,
/// `TextRadioLastLap` "%1" the lap time and "%2" the difference, `TextRadioUp` and
/// `TextRadioDown` "%1" the position, `TextRadioHot` and `TextRadioCold` "%1" what is out of
/// its window; `TextRadioDecimal` the decimal sign the language speaks, `TextRadioKinds` the
/// kinds of call separated by commas in the order of `radio::CallKind`), with the engineer's
/// strategy texts after them.
/// From `TextNoticesTitle` on come the program's own messages; in them "%1" and on stand for
/// names, numbers and the system's own error text, put in as they are:
/// `TextSettingsUnsaved` "%1" the file's problem; `TextSettingProblem` "%1" the file, "%2" the
/// section, "%3" the key, "%4" the text it holds, "%5" the rule it breaks (a `TextRule...`),
/// "%6" what is used instead; `TextFileRefused` "%1" the file and "%2" why (a `TextFile...`,
/// or the system's text); `TextFileLinkNowhere` "%1" the link's target; `TextFileFolderClosed`
/// "%1" the folder and "%2" the system's text;
/// `TextFileCannotRead`, `TextFileMayNotWrite`, `TextFileCannotOpen`, `TextFileCannotWrite`,
/// `TextFileCannotCopy` and `TextFileCannotReplace` "%1" the system's text;
/// `TextHistoryCannotOpen`, `TextHistoryNotKept`, `TextHistoryCannotUse`,
/// `TextHistoryCannotUpdate` and `TextHistoryCannotBegin` "%1" the history's file and "%2" the
/// system's text (or `TextHistoryLocked`, `TextHistoryReadOnly`); `TextFileMissing`,
/// `TextHistoryStuck` and `TextHistoryNewer` "%1" the file; `TextHistoryMovedAside` "%1" the file
/// and "%2" where it went; `TextHistoryCannotAddLap` "%1" the file, "%2" the lap, "%3" the system's
/// text, and `TextHistoryCannotKeepTank` the same with "%2" the car; `TextCannotListen` and
/// `TextWebCannotListen` "%1" the port and "%2" the system's text; `TextSessionNewer` "%1" the
/// file's format and "%2" the newest this program reads; `TextSessionStopped` "%1" the byte
/// and "%2" why (a `TextSession...`); `TextNotRecorded` and `TextLogOff` "%1" the file's
/// problem.
struct Texts {
#define OSTRELO_TEXT_SLOT(name) std::string name;
    OSTRELO_TEXT_SLOTS(OSTRELO_TEXT_SLOT)
#undef OSTRELO_TEXT_SLOT
};

} // namespace ostrelo::i18n
