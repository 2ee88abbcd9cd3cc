// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/design_layout.h"

namespace ostrelo::dashboard {
namespace {

// clang-format off
const DesignElement kDesignLayout[] = {
    // Pictures: background, car, logo.
    {.kind = ElementKind::Image, .number = int(Picture::Background), .left = 0, .top = 0, .width = 9720, .height = 7555},
    {.kind = ElementKind::Image, .number = int(Picture::Car), .left = 5040, .top = 1320, .width = 2775, .height = 4755},
    {.kind = ElementKind::Image, .number = int(Picture::Logo), .left = 120, .top = 120, .width = 1500, .height = 765},
    {.kind = ElementKind::Label, .number = 1, .left = 4560, .top = 120, .width = 3615, .height = 375, .fontFamily = "Tahoma", .fontPoints = 14.25, .bold = true, .textColour = rgb(128, 128, 128)},
    {.kind = ElementKind::Label, .number = 15, .left = 240, .top = 960, .width = 2415, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(224, 224, 224)},
    {.kind = ElementKind::Label, .number = 47, .left = 3120, .top = 120, .width = 555, .height = 420, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255)},
    {.kind = ElementKind::Label, .number = 48, .left = 3840, .top = 120, .width = 555, .height = 420, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255)},
    {.kind = ElementKind::Label, .number = 42, .left = 3120, .top = 600, .width = 1455, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 224, 192)},
    {.kind = ElementKind::Label, .number = 28, .left = 4560, .top = 600, .width = 3615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255)},
    {.kind = ElementKind::Label, .number = 41, .left = 8160, .top = 600, .width = 1455, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 224, 192)},
    {.kind = ElementKind::Label, .number = 30, .left = 3120, .top = 960, .width = 6495, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(224, 224, 224)},
    {.kind = ElementKind::Label, .number = 36, .left = 840, .top = 1560, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255)},
    {.kind = ElementKind::Label, .number = 35, .left = 1440, .top = 1560, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255)},
    {.kind = ElementKind::Label, .number = 37, .left = 3960, .top = 1560, .width = 855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 224, 192)},
    {.kind = ElementKind::Label, .number = 2, .left = 3480, .top = 1920, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 3, .left = 4080, .top = 1920, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 4, .left = 4680, .top = 1920, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 24, .left = 3840, .top = 2280, .width = 1095, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 43, .left = 3840, .top = 2640, .width = 1095, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 38, .left = 8040, .top = 1560, .width = 855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 224, 192)},
    {.kind = ElementKind::Label, .number = 5, .left = 7560, .top = 1920, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 6, .left = 8160, .top = 1920, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 7, .left = 8760, .top = 1920, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 25, .left = 7920, .top = 2280, .width = 1095, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 44, .left = 7920, .top = 2640, .width = 1095, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 19, .left = 4200, .top = 3240, .width = 855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(128, 128, 128)},
    {.kind = ElementKind::Label, .number = 17, .left = 4320, .top = 3600, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 20, .left = 7800, .top = 3240, .width = 855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(128, 128, 128)},
    {.kind = ElementKind::Label, .number = 18, .left = 7920, .top = 3600, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 14, .left = 6120, .top = 3840, .width = 675, .height = 540, .fontFamily = kDashboardFont, .fontPoints = 24, .textColour = rgb(255, 255, 255)},
    {.kind = ElementKind::Label, .number = 39, .left = 3840, .top = 4200, .width = 855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 224, 192)},
    {.kind = ElementKind::Label, .number = 8, .left = 3360, .top = 4560, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 9, .left = 3960, .top = 4560, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 10, .left = 4560, .top = 4560, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 26, .left = 3720, .top = 4920, .width = 1095, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 45, .left = 3720, .top = 5280, .width = 1095, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 40, .left = 8160, .top = 4200, .width = 855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 224, 192)},
    {.kind = ElementKind::Label, .number = 11, .left = 7680, .top = 4560, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 12, .left = 8280, .top = 4560, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 13, .left = 8880, .top = 4560, .width = 615, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 27, .left = 8040, .top = 4920, .width = 1095, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 46, .left = 8040, .top = 5280, .width = 1095, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = std::nullopt, .boxed = true},
    {.kind = ElementKind::Label, .number = 29, .left = 120, .top = 4920, .width = 975, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(128, 128, 128), .leftAligned = true},
    {.kind = ElementKind::Label, .number = 32, .left = 1080, .top = 4920, .width = 735, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(224, 224, 224), .leftAligned = true},
    {.kind = ElementKind::Label, .number = 33, .left = 120, .top = 5280, .width = 2655, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(128, 128, 128), .leftAligned = true},
    {.kind = ElementKind::Label, .number = 34, .left = 2760, .top = 5280, .width = 855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(224, 224, 224), .leftAligned = true},
    {.kind = ElementKind::Label, .number = 16, .left = 5890, .top = 5520, .width = 1095, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255)},
    {.kind = ElementKind::Label, .number = 31, .left = 120, .top = 6000, .width = 2055, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(128, 128, 128), .leftAligned = true},
    {.kind = ElementKind::Label, .number = 22, .left = 120, .top = 6360, .width = 3855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255), .leftAligned = true},
    {.kind = ElementKind::Label, .number = 23, .left = 120, .top = 6720, .width = 3855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255), .leftAligned = true},
    {.kind = ElementKind::Label, .number = 21, .left = 120, .top = 7080, .width = 3855, .height = 375, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255), .leftAligned = true},
    {.kind = ElementKind::Lamp, .number = 1, .left = 0, .top = 7560, .width = 1335, .height = 375, .fontFamily = "Arial", .fontPoints = 9.75, .bold = true},
    {.kind = ElementKind::Lamp, .number = 2, .left = 1320, .top = 7560, .width = 975, .height = 375, .fontFamily = "Arial", .fontPoints = 9.75, .bold = true},
    {.kind = ElementKind::Lamp, .number = 3, .left = 2280, .top = 7560, .width = 2775, .height = 375, .fontFamily = "Arial", .fontPoints = 9.75, .bold = true},
    {.kind = ElementKind::Lamp, .number = 4, .left = 5040, .top = 7560, .width = 1215, .height = 375, .fontFamily = "Arial", .fontPoints = 9.75, .bold = true},
    {.kind = ElementKind::Lamp, .number = 5, .left = 6240, .top = 7560, .width = 1215, .height = 375, .fontFamily = "Arial", .fontPoints = 9.75, .bold = true},
    {.kind = ElementKind::Lamp, .number = 6, .left = 7440, .top = 7560, .width = 1335, .height = 375, .fontFamily = "Arial", .fontPoints = 9.75, .bold = true},
    {.kind = ElementKind::Lamp, .number = 7, .left = 8760, .top = 7560, .width = 975, .height = 375, .fontFamily = "Arial", .fontPoints = 9.75, .bold = true},
    {.kind = ElementKind::Bar, .number = 2, .left = 960, .top = 2040, .width = 375, .height = 2535, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255), .barColour = rgb(255, 128, 0), .vertical = true},
    {.kind = ElementKind::Bar, .number = 1, .left = 1560, .top = 2040, .width = 375, .height = 2535, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255), .barColour = std::nullopt, .vertical = true},
    {.kind = ElementKind::Bar, .number = 4, .left = 4680, .top = 6120, .width = 3495, .height = 735, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255), .barColour = rgb(0, 128, 128)},
    {.kind = ElementKind::Bar, .number = 3, .left = 4680, .top = 6840, .width = 3495, .height = 735, .fontFamily = kDashboardFont, .fontPoints = 15.75, .textColour = rgb(255, 255, 255), .barColour = rgb(192, 0, 0)},
    {.kind = ElementKind::Marker, .number = 1, .left = 5400, .top = 1920, .width = 375, .height = 735},
    {.kind = ElementKind::Marker, .number = 2, .left = 7080, .top = 1920, .width = 375, .height = 735},
    {.kind = ElementKind::Marker, .number = 3, .left = 5280, .top = 4560, .width = 375, .height = 735},
    {.kind = ElementKind::Marker, .number = 4, .left = 7200, .top = 4560, .width = 375, .height = 735},
};
// clang-format on

} // namespace

std::span<const DesignElement> designLayout() {
    return kDesignLayout;
}

// The design names of the screen's elements.
LabelContent labelContent(const Screen &s, int number) {
    static const std::string kNoText;
    const auto reading = [](const Reading &r) { return LabelContent{&r.text, &r.background}; };
    if (number >= 2 && number <= 13) {
        const auto wheel = static_cast<std::size_t>((number - 2) / 3);
        return reading(s.tyreTemp[wheel][static_cast<std::size_t>((number - 2) % 3)]);
    }
    if (number >= 24 && number <= 27) {
        return reading(s.tyrePressure[static_cast<std::size_t>(number - 24)]);
    }
    if (number >= 43 && number <= 46) {
        return reading(s.brakeTemp[static_cast<std::size_t>(number - 43)]);
    }
    if (number >= 37 && number <= 40) {
        return {&s.tyreWear[static_cast<std::size_t>(number - 37)]};
    }
    switch (number) {
    case 1:
        return {&s.gameStatus};
    case 14:
        return {&s.gear};
    case 15:
        return {&s.linkStatus};
    case 16:
        return {&s.fuel};
    case 17:
        return reading(s.waterTemp);
    case 18:
        return reading(s.oilTemp);
    case 19:
        return {&s.waterCaption};
    case 20:
        return {&s.oilCaption};
    case 21:
        return {&s.webAddress};
    case 22:
        return {&s.bestLap};
    case 23:
        return {&s.lastLap};
    case 28:
        return {&s.trackName};
    case 29:
        return {&s.lapCaption};
    case 30:
        return {&s.carName};
    case 31:
        return {&s.lapTimesCaption};
    case 32:
        return {&s.lapNumber};
    case 33:
        return {&s.fuelLastLapCaption};
    case 34:
        return {&s.fuelUsedLastLap};
    case 35:
        return {&s.throttle};
    case 36:
        return {&s.brake};
    case 41:
        return {&s.ambientTemp};
    case 42:
        return {&s.trackTemp};
    default:
        return {&kNoText};
    }
}

const Lamp &lampContent(const Screen &s, int number) {
    const std::array<const Lamp *, 7> lamps = {
        &s.pitLimiter, &s.inPits, &s.position, &s.tractionControl, &s.abs, &s.ignition, &s.engine};
    return *lamps.at(static_cast<std::size_t>(number - 1));
}

const Bar &barContent(const Screen &s, int number) {
    const std::array<const Bar *, 4> bars = {&s.throttleBar, &s.brakeBar, &s.rpm, &s.speed};
    return *bars.at(static_cast<std::size_t>(number - 1));
}

bool markerShown(const Screen &s, int number) {
    return s.wheelLocked.at(static_cast<std::size_t>(number - 1));
}

} // namespace ostrelo::dashboard
