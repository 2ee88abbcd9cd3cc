// SPDX-License-Identifier: GPL-3.0-or-later
// ostrelo-simgame.exe: plays the racing game's part on Windows (and under Wine). It opens a
// window titled like the game and keeps a simulated race at the game's telemetry addresses
// in its own memory, so that Ostrelo can find it and read it exactly as it reads the real
// game.

#include "car_model.h"
#include "core/windows_text_win32.h"
#include "memory_image.h"
#include "options.h"
#include "scenario.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using namespace ostrelo::simgame;
using Clock = std::chrono::steady_clock;

// Everything the window procedure works on; one race per process.
struct Race {
    CarModel model;
    Scenario scenario;
    MemoryImage *memory = nullptr;
    double speed = 1;
    Clock::time_point last = Clock::now();
    int frames = 0;
};
Race *g_race = nullptr;

constexpr UINT_PTR kStepTimer = 1;

std::vector<std::string> commandLineArguments() {
    int count = 0;
    LPWSTR *wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(ostrelo::core::utf8FromWide(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

void publish(Race &race) {
    GameState published = race.model.state();
    race.scenario.apply(published, CarModel::kLocalSlot);
    race.memory->publish(published);
}

void paint(HWND window) {
    PAINTSTRUCT paintStruct;
    HDC dc = ::BeginPaint(window, &paintStruct);
    RECT area;
    ::GetClientRect(window, &area);
    HBRUSH background = ::CreateSolidBrush(RGB(20, 24, 32));
    ::FillRect(dc, &area, background);
    ::DeleteObject(background);
    const GameState &s = g_race->model.state();
    const SlotState &car = s.cars[CarModel::kLocalSlot];
    const double kmh = -s.wheels[0].spin * s.wheels[0].radius * 3.6;
    char numbers[160];
    std::snprintf(numbers, sizeof numbers,
                  "Lap %d   Gear %d   %ld km/h\nFuel %.1f L   Last lap %.3f s",
                  static_cast<int>(car.lapCount + 1), static_cast<int>(car.gear), std::lround(kmh),
                  static_cast<double>(car.fuel), static_cast<double>(car.lastLapTime));
    const std::wstring text = ostrelo::core::wideFromUtf8(
        "Simulated race for Ostrelo\n\n" + car.driverName + " - " + car.carName + '\n' + numbers);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::InflateRect(&area, -12, -12);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_LEFT | DT_TOP);
    ::EndPaint(window, &paintStruct);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: {
        const Clock::time_point now = Clock::now();
        const std::chrono::duration<double> step = now - g_race->last;
        g_race->last = now;
        g_race->model.advance(step.count() * g_race->speed);
        publish(*g_race);
        if (++g_race->frames % 10 == 0) {
            ::InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    }
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int main() {
    const std::vector<std::string> arguments = commandLineArguments();
    const Options options = parseOptions(arguments);
    if (!options.error.empty()) {
        std::fprintf(stderr, "ostrelo-simgame: %s\n\n%s", options.error.c_str(),
                     usageText().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("ostrelo-simgame " OSTRELO_VERSION);
        return 0;
    }

    MemoryImage memory;
    if (!memory.mapped()) {
        std::fprintf(stderr, "ostrelo-simgame: %s\n", memory.error().c_str());
        return 1;
    }
    Race race;
    race.scenario = Scenario(options.scenarioPath);
    if (!race.scenario.error().empty()) {
        std::fprintf(stderr, "ostrelo-simgame: %s\n", race.scenario.error().c_str());
        return 1;
    }
    race.memory = &memory;
    race.speed = options.speed;
    g_race = &race;
    publish(race);

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"OstreloSimulatedGame";
    ::RegisterClassW(&windowClass);
    RECT frame{0, 0, 360, 170};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    ::AdjustWindowRect(&frame, style, FALSE);
    const HWND window = ::CreateWindowExW(
        0, windowClass.lpszClassName, ostrelo::core::wideFromUtf8(options.title).c_str(), style,
        CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
        nullptr, instance, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "ostrelo-simgame: cannot open the window: %s\n",
                     ostrelo::core::systemMessage(::GetLastError()).c_str());
        return 1;
    }
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::UpdateWindow(window);
    ::SetTimer(window, kStepTimer, 10, nullptr);
    // The window exists with its title and the memory holds the race: now the game can be
    // found and read.
    std::puts("ready");
    std::fflush(stdout);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
