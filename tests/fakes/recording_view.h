// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/main_view.h"

#include <map>
#include <string>
#include <vector>

namespace ostrelo::testing {

/// A main window that only remembers what it was told, and counts the writes.
class RecordingView : public core::MainView {
public:
    struct Bar {
        double value = 0;
        double maximum = 0;
        std::string text;
    };

    void setCaption(core::Label label, std::string_view text) override {
        captions[label] = text;
        ++writes;
    }
    std::string caption(core::Label label) const override {
        const auto found = captions.find(label);
        return found == captions.end() ? std::string() : found->second;
    }
    void setBackground(core::Label label, core::Colour colour) override {
        backgrounds[label] = colour;
        ++writes;
    }
    void setLampLit(int lamp, bool lit) override {
        lampLit[lamp] = lit;
        ++writes;
    }
    void setLampCaption(int lamp, std::string_view text) override {
        lampCaptions[lamp] = text;
        ++writes;
    }
    void setBarValue(int bar, double value) override {
        bars[bar].value = value;
        ++writes;
    }
    void setBarMaximum(int bar, double maximum) override {
        bars[bar].maximum = maximum;
        ++writes;
    }
    void setBarText(int bar, std::string_view text) override {
        bars[bar].text = text;
        ++writes;
    }
    void setMarkerVisible(int marker, bool visible) override {
        markers[marker] = visible;
        ++writes;
    }

    void setMenuChecked(core::MenuItem item, bool checked) override { menuChecked[item] = checked; }
    void setMenuEnabled(core::MenuItem item, bool enabled) override { menuEnabled[item] = enabled; }
    void setMenuCaption(core::MenuItem item, std::string_view text) override {
        menuCaptions[item] = text;
    }
    void setScanInterval(int intervalMs) override {
        interval = intervalMs;
        timerRunning = intervalMs > 0;
        timerEvents.push_back("interval " + std::to_string(intervalMs));
    }
    void stopScanTimer() override {
        timerRunning = false;
        timerEvents.emplace_back("stop");
    }
    void startScanTimer() override {
        timerRunning = interval > 0;
        timerEvents.emplace_back("start");
    }
    void showOpenProcessFailure() override { ++openFailureMessages; }
    void showListenFailure(const std::string &text) override { listenFailures.push_back(text); }
    void openServerDialog(const core::Texts &texts, const std::string &port) override {
        dialogs.push_back("server " + texts.TextServerDialogTitle + " " + port);
    }
    void openClientDialog(const core::Texts &texts, const std::string &ip,
                          const std::string &port) override {
        dialogs.push_back("client " + texts.TextClientDialogTitle + " " + ip + port);
    }
    bool loadCarPicture(const std::string &path) override {
        pictures.push_back(path);
        return pictureLoads;
    }
    void openAbout(const core::Texts &texts) override {
        dialogs.push_back("about " + texts.TextAboutTitle);
    }
    double windowLeftTwips() const override { return left; }
    double windowTopTwips() const override { return top; }

    /// The items that carry a check mark now.
    std::vector<core::MenuItem> checkedItems() const {
        std::vector<core::MenuItem> items;
        for (const auto &[item, checked] : menuChecked) {
            if (checked) {
                items.push_back(item);
            }
        }
        return items;
    }

    std::map<core::Label, std::string> captions;
    std::map<core::Label, core::Colour> backgrounds;
    std::map<int, bool> lampLit;
    std::map<int, std::string> lampCaptions;
    std::map<int, Bar> bars;
    std::map<int, bool> markers;
    std::map<core::MenuItem, bool> menuChecked;
    std::map<core::MenuItem, bool> menuEnabled;
    std::map<core::MenuItem, std::string> menuCaptions;
    std::vector<std::string> timerEvents;
    int interval = 0;
    bool timerRunning = false;
    double left = 0;
    double top = 0;
    int writes = 0;
    int openFailureMessages = 0;
    std::vector<std::string> listenFailures;
    std::vector<std::string> dialogs;
    std::vector<std::string> pictures;
    bool pictureLoads = true;
};

} // namespace ostrelo::testing
