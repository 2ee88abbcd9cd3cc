// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace ostrelo::core {

/// The language text slots shown by the program: empty until a language is applied, then the
/// texts of the language in force.
struct Texts {
    std::string TextScanning;
    std::string TextGameRunning;
    std::string TextGameNotRunning;
    std::string TextLapTimes;
    std::string TextBest;
    std::string TextLast;
    std::string TextLap;
    std::string TextWater;
    std::string TextOil;
    std::string TextFuelLastLap;
    std::string TextLimiter;
    std::string TextPits;
    std::string TextTC;
    std::string TextTCHigh;
    std::string TextTCLow;
    std::string TextABS;
    std::string TextABSHigh;
    std::string TextABSLow;
    std::string TextIgnition;
    std::string TextEngine;
    std::string TextAboutMenu;
    std::string TextExitMenu;
    std::string TextAboutTitle;
    std::string TextAboutDescription;
    std::string TextAboutCredit;
    std::string TextFileMenu;
    std::string TextOptionsMenu;
    std::string TextScanTimeMenu;
    std::string TextIPCaption;
    std::string TextPortCaption;
    std::string TextBadIP;
    std::string TextBadPort;
    std::string TextConnectionMenu;
    std::string TextNoneMenu;
    std::string TextServerMenu;
    std::string TextClientMenu;
    std::string TextServerDialogTitle;
    std::string TextClientDialogTitle;
    std::string TextOK;
    std::string TextConnected;
    std::string TextConnecting;
    std::string TextListening;
    std::string TextNoConnection;
    std::string TextGraphicsMenu;
    std::string TextMetricMenu;
    std::string TextImperialMenu;
    std::string TextShowServerDataMenu;
    /// Beside the 47 slots: how to choose a port an ordinary user may listen on.
    std::string TextPortHelp;
};

} // namespace ostrelo::core
