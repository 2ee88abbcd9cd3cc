// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "windows/main_view.h"

#include <string>
#include <vector>

namespace ostrelo::testing {

/// A main window that only keeps the last screen it was given and remembers what it was asked.
class RecordingView : public windows::MainView {
public:
    void apply(const dashboard::Screen &shown) override {
        screen = shown;
        ++applies;
    }
    void stopScanTimer() override { timerEvents.emplace_back("stop"); }
    void startScanTimer() override { timerEvents.emplace_back("start"); }
    void runFieldTimer(bool running) override { fieldTimer = running; }
    void showOpenProcessFailure() override { ++openFailureMessages; }
    void showListenFailure(const std::string &text) override { listenFailures.push_back(text); }
    void openServerDialog(const i18n::Texts &texts, const std::string &port) override {
        dialogs.push_back("server " + texts.TextServerDialogTitle + " " + port);
    }
    void openClientDialog(const i18n::Texts &texts, const std::string &ip,
                          const std::string &port) override {
        dialogs.push_back("client " + texts.TextClientDialogTitle + " " + ip + port);
    }
    void openWebDialog(const i18n::Texts &texts, bool enabled, const std::string &address,
                       const std::string &port, const std::string &url) override {
        dialogs.push_back("web " + texts.TextWebTitle + (enabled ? " on " : " off ") + address +
                          ":" + port + " " + url);
    }
    bool loadCarPicture(const std::string &path) override {
        pictures.push_back(path);
        return pictureLoads;
    }
    void openAbout(const i18n::Texts &texts) override {
        dialogs.push_back("about " + texts.TextAboutTitle);
    }
    double windowLeftTwips() const override { return left; }
    double windowTopTwips() const override { return top; }

    /// The items that carry a check mark now.
    std::vector<dashboard::MenuItem> checkedItems() const {
        std::vector<dashboard::MenuItem> items;
        for (const dashboard::MenuLayoutEntry &entry : dashboard::menuLayout()) {
            if (screen.menu(entry.item).checked) {
                items.push_back(entry.item);
            }
        }
        return items;
    }

    dashboard::Screen screen;
    int applies = 0;
    std::vector<std::string> timerEvents;
    bool fieldTimer = false;
    double left = 0;
    double top = 0;
    int openFailureMessages = 0;
    std::vector<std::string> listenFailures;
    std::vector<std::string> dialogs;
    std::vector<std::string> pictures;
    bool pictureLoads = true;
};

} // namespace ostrelo::testing
