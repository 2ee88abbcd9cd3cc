// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/language_table.h"
#include "i18n/messages.h"
#include "radio/radio.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <regex>

namespace ostrelo::radio {
namespace {

using telemetry::TelemetrySample;

// A car on the track with every temperature inside its window.
TelemetrySample running() {
    TelemetrySample s;
    s.Ignition = 1;
    s.WaterTemp = 95;
    s.OilTemp = 95;
    s.BrakeTemp = {400, 400, 400, 400};
    for (auto &zones : s.TyreTemp) {
        zones = {85, 85, 85};
    }
    return s;
}

// A twelve-lap race at Anella Sud, ten samples a lap a second apart, 3 litres a lap from 30:
// a better lap now and then, a place gained on lap 3, the water too hot twice on laps 7 and
// 8, a stop on lap 9 with the limiter left on (the tyres too hot while it stands), the tyres
// too hot on lap 10.
std::vector<TelemetrySample> race() {
    const std::map<int, float> lapTimes = {{1, 95},  {2, 91},  {3, 92},    {4, 90.5F},
                                           {5, 91},  {6, 92},  {7, 91.5F}, {8, 90.2F},
                                           {9, 110}, {10, 93}, {11, 91}};
    std::vector<TelemetrySample> samples;
    TelemetrySample s = running();
    s.TrackName = "Anella Sud";
    s.CarName = "Lince";
    s.Position = 4;
    s.Fuel = 30;
    const auto tread = [&s](float celsius) {
        for (auto &zones : s.TyreTemp) {
            zones = {celsius, celsius, celsius};
        }
    };
    tread(70);
    for (int lap = 1; lap <= 12; ++lap) {
        for (int at = 0; at < 10; ++at) {
            s.LapNumber = static_cast<std::int16_t>(lap);
            if (at == 0 && lap > 1) {
                s.LastLapTime = lapTimes.at(lap - 1);
            }
            if (lap == 2) {
                tread(85);
            }
            s.Position = lap >= 3 ? 3 : 4;
            s.WaterTemp = lap == 7 && at >= 5 && at < 8 ? 104 : lap == 8 && at >= 2 ? 106 : 95;
            if ((lap == 10 && at == 3) || (lap == 9 && at == 6)) {
                tread(104);
            } else if (lap == 9 && at == 8) {
                tread(85);
            }
            // The pit lane runs over the line: the car stops in lap 10.
            s.InPits = (lap == 9 && at >= 5) || (lap == 10 && at < 2) ? 1 : 0;
            if (lap == 10 && at == 1) {
                s.Fuel = 22; // refuelled
            }
            s.PitLimiter = (lap == 9 && at >= 5) || (lap == 10 && at < 6) ? 1 : 0;
            samples.push_back(s);
            if (!(lap == 10 && at == 0)) {
                s.Fuel -= 0.3F;
            }
        }
    }
    return samples;
}

struct Heard {
    int lap;
    int at;
    CallKind kind;
    std::string text;
    bool operator==(const Heard &) const = default;
};

void PrintTo(const Heard &h, std::ostream *out) {
    *out << h.lap << "." << h.at << " " << callKindName(h.kind) << " \"" << h.text << "\"";
}

// Every call the race makes in `language`, of `kinds`, with where it came.
std::vector<Heard> listen(const char *language, const std::set<CallKind> &kinds) {
    engineer::RaceEngineer engineer(nullptr);
    engineer.setRaceLength({engineer::RaceLength::Kind::Laps, 12});
    RadioCalls radio;
    const core::Thresholds thresholds;
    std::vector<Heard> heard;
    const std::vector<TelemetrySample> samples = race();
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::int64_t now = 1000 * static_cast<std::int64_t>(i);
        engineer.feed(samples[i], now);
        for (const Call &call : radio.take({samples[i], engineer, thresholds,
                                            i18n::findLanguage(language)->texts, false, now},
                                           kinds)) {
            heard.push_back({samples[i].LapNumber, static_cast<int>(i % 10), call.kind, call.text});
            EXPECT_EQ(call.urgent, call.kind == CallKind::BoxThisLap);
            EXPECT_EQ(call.timeMs, now);
        }
    }
    return heard;
}

TEST(RadioCalls, SayWhatTheRaceNeedsOnceAndWhenItIsNeeded) {
    using enum CallKind;
    EXPECT_EQ(listen("English", defaultCallKinds()),
              (std::vector<Heard>{
                  {3, 0, Position, "Up to position 3"},
                  {3, 0, PersonalBest, "Personal best, 1 minute 31.0"},
                  {5, 0, PersonalBest, "Personal best, 1 minute 30.5"},
                  {6, 0, FuelLaps, "Fuel for 5 laps"},
                  {7, 5, Temperature, "Water hot"},
                  {8, 0, FuelLaps, "Fuel for 3 laps"},
                  {9, 0, FuelLaps, "Fuel for 2 laps"},
                  {9, 0, BoxThisLap, "Box this lap"},
                  {9, 0, PersonalBest, "Personal best, 1 minute 30.2"},
                  {9, 5, FuelToAdd, "Add 11 litres"},
                  {10, 3, Temperature, "Tyres hot"},
                  {10, 5, PitLimiter, "Pit limiter still on"},
                  {12, 0, FuelLaps, "Fuel for 5 laps"},
              }));
}

TEST(RadioCalls, SpeakEachLanguageAndLeaveOutWhatIsOff) {
    using enum CallKind;
    const struct {
        const char *language;
        std::set<CallKind> kinds;
        std::vector<Heard> heard;
    } cases[] = {
        {"Español",
         {FuelLaps, BoxThisLap, FuelToAdd},
         {{6, 0, FuelLaps, "Combustible para 5 vueltas"},
          {8, 0, FuelLaps, "Combustible para 3 vueltas"},
          {9, 0, FuelLaps, "Combustible para 2 vueltas"},
          {9, 0, BoxThisLap, "Entra a boxes en esta vuelta"},
          {9, 5, FuelToAdd, "Añade 11 litros"},
          {12, 0, FuelLaps, "Combustible para 5 vueltas"}}},
        {"Deutsch",
         {AgainstBest, Temperature},
         {{4, 0, AgainstBest, "Letzte Runde 1 Minute 32,0, plus 1,0"},
          {6, 0, AgainstBest, "Letzte Runde 1 Minute 31,0, plus 0,5"},
          {7, 0, AgainstBest, "Letzte Runde 1 Minute 32,0, plus 1,5"},
          {7, 5, Temperature, "Wasser zu heiß"},
          {8, 0, AgainstBest, "Letzte Runde 1 Minute 31,5, plus 1,0"},
          {10, 0, AgainstBest, "Letzte Runde 1 Minute 50,0, plus 19,8"},
          {10, 3, Temperature, "Reifen zu heiß"},
          {11, 0, AgainstBest, "Letzte Runde 1 Minute 33,0, plus 2,8"},
          {12, 0, AgainstBest, "Letzte Runde 1 Minute 31,0, plus 0,8"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        EXPECT_EQ(listen(c.language, c.kinds), c.heard);
    }
}

// A temperature that leaves its window again within a minute is not called again.
TEST(RadioCalls, CallATemperatureAgainOnlyAfterAWhile) {
    engineer::RaceEngineer engineer(nullptr);
    RadioCalls radio;
    const core::Thresholds thresholds;
    TelemetrySample s;
    s.Ignition = 1;
    s.LapNumber = 1;
    std::vector<std::int64_t> called;
    for (const auto &[seconds, water] : std::vector<std::pair<int, float>>{
             {0, 95}, {1, 95}, {2, 104}, {3, 95}, {30, 104}, {31, 95}, {63, 104}}) {
        s.WaterTemp = water;
        const std::int64_t now = 1000LL * seconds;
        if (!radio
                 .take({s, engineer, thresholds, i18n::findLanguage("English")->texts, false, now},
                       defaultCallKinds())
                 .empty()) {
            called.push_back(seconds);
        }
    }
    EXPECT_EQ(called, (std::vector<std::int64_t>{2, 63}));
}

// The window's edges are inside it; of four corners, the one out of the window is called
// whatever the others show.
TEST(RadioCalls, TakeTheEdgesAsInsideAndTheCornerOutsideAsTheTyres) {
    engineer::RaceEngineer engineer(nullptr);
    RadioCalls radio;
    const core::Thresholds thresholds;
    TelemetrySample s = running();
    s.LapNumber = 1;
    std::vector<std::string> heard;
    const struct {
        float water;
        float frontLeft;
    } moments[] = {{95, 85}, {90, 85}, {100, 104}, {95, 85}};
    for (std::size_t i = 0; i < std::size(moments); ++i) {
        s.WaterTemp = moments[i].water;
        for (auto &zones : s.TyreTemp) {
            zones = {85, 85, 85};
        }
        s.TyreTemp[0] = {moments[i].frontLeft, moments[i].frontLeft, moments[i].frontLeft};
        for (const Call &call :
             radio.take({s, engineer, thresholds, i18n::findLanguage("English")->texts, false,
                         1000 * static_cast<std::int64_t>(i)},
                        defaultCallKinds())) {
            heard.push_back(call.text);
        }
    }
    EXPECT_EQ(heard, std::vector<std::string>{"Tyres hot"});
}

// Turned on in the middle of a race, the radio calls none of the laps before; a jump in the
// laps calls nothing; when the race needs several stops each says what one adds, and each
// exit with the limiter on is called.
TEST(RadioCalls, ComeInLateAndCallEveryStop) {
    engineer::RaceEngineer engineer(nullptr);
    engineer.setRaceLength({engineer::RaceLength::Kind::Laps, 40});
    engineer.setTankCapacity(30);
    RadioCalls radio;
    const core::Thresholds thresholds;
    TelemetrySample s = running();
    s.Position = 4;
    // 3 litres a lap from 30 over laps 1 to 5, before the radio is on.
    for (int lap = 1; lap <= 5; ++lap) {
        s.LapNumber = static_cast<std::int16_t>(lap);
        s.LastLapTime = lap > 1 ? 90.0F - static_cast<float>(lap) : 0;
        s.Fuel = 33 - 3.0F * static_cast<float>(lap);
        engineer.feed(s, 0);
    }
    const struct {
        int lap;
        int position;
        float fuel;
        bool inPits;
        bool limiter;
    } moments[] = {
        {5, 4, 17, false, false}, {5, 4, 16, false, false}, // on the lap the radio came on
        {8, 2, 9, false, false},                            // a jump, and places gained
        {8, 2, 8, true, true},    {8, 2, 30, true, true},   // 94 to put in, 27 a stop: 4 stops
        {8, 2, 30, false, true},  {8, 2, 30, false, true},  {8, 2, 30, false, false},
        {8, 2, 29, true, true},   {8, 2, 29, false, true},  {8, 2, 29, false, true}};
    std::vector<std::pair<std::size_t, std::string>> heard;
    std::set<CallKind> all = defaultCallKinds();
    all.insert(CallKind::AgainstBest);
    for (std::size_t i = 0; i < std::size(moments); ++i) {
        s.LapNumber = static_cast<std::int16_t>(moments[i].lap);
        s.Position = static_cast<std::int16_t>(moments[i].position);
        s.Fuel = moments[i].fuel;
        s.InPits = moments[i].inPits ? 1 : 0;
        s.PitLimiter = moments[i].limiter ? 1 : 0;
        const std::int64_t now = 1000LL * static_cast<std::int64_t>(4 * i);
        engineer.feed(s, now);
        for (const Call &call :
             radio.take({s, engineer, thresholds, i18n::findLanguage("English")->texts, false, now},
                        all)) {
            heard.emplace_back(i, call.text);
        }
    }
    EXPECT_EQ(heard,
              (std::vector<std::pair<std::size_t, std::string>>{{3, "Add 24 litres"},
                                                                {6, "Pit limiter still on"},
                                                                {8, "Add 25 litres"},
                                                                {10, "Pit limiter still on"}}));
}

TEST(SpokenForms, SayNumbersAsADriverDoes) {
    const i18n::Texts &english = i18n::findLanguage("English")->texts;
    const i18n::Texts &french = i18n::findLanguage("Francais")->texts;
    EXPECT_EQ(spokenLapTime(95.44, english), "1 minute 35.4");
    EXPECT_EQ(spokenLapTime(59.96, english), "1 minute 0.0");
    EXPECT_EQ(spokenLapTime(58.3, english), "58.3");
    EXPECT_EQ(spokenLapTime(125.05, french), "2 minutes 5,1");
    EXPECT_EQ(spokenDifference(-1.24, english), "minus 1.2");
    EXPECT_EQ(spokenFuel(10.2, false, english), "11 litres");
    EXPECT_EQ(spokenFuel(10, true, french), "2,7 gallons");
    EXPECT_EQ(voiceLocale("Asturianu"), "es_ES");
    EXPECT_EQ(voiceLocale("Dutch"), "nl_NL");
    EXPECT_EQ(callKinds("fuel,nitro,limiter"),
              (std::set<CallKind>{CallKind::FuelLaps, CallKind::PitLimiter}));
    EXPECT_EQ(callKinds(callKindList(defaultCallKinds())), defaultCallKinds());
    EXPECT_FALSE(defaultCallKinds().contains(CallKind::AgainstBest));
}

// A voice that remembers what it said and speaks until told it has finished.
struct RecordingVoice : Voice {
    bool ready() const override { return engine; }
    bool speaking() const override { return busy; }
    void say(const std::string &text, const std::string &locale, double volume) override {
        said.push_back(text + " [" + locale + " " + std::to_string(volume).substr(0, 4) + "]");
        busy = true;
    }
    bool engine = true;
    bool busy = false;
    std::vector<std::string> said;
};

Call call(CallKind kind, const std::string &text, bool urgent = false, const char *subject = "") {
    Call c;
    c.kind = kind;
    c.text = text;
    c.urgent = urgent;
    c.subject = subject;
    return c;
}

TEST(CallQueue, PutsTheUrgentFirstAndTheNewestInPlaceOfTheOlder) {
    CallQueue queue;
    queue.push(call(CallKind::FuelLaps, "Fuel for 5 laps"));
    queue.push(call(CallKind::Temperature, "Water hot", false, "water"));
    queue.push(call(CallKind::Temperature, "Tyres hot", false, "tyres"));
    queue.push(call(CallKind::FuelLaps, "Fuel for 3 laps"));
    queue.push(call(CallKind::BoxThisLap, "Box this lap", true));
    std::vector<std::string> order;
    while (const auto next = queue.next()) {
        order.push_back(next->text);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Box this lap", "Fuel for 3 laps", "Water hot",
                                               "Tyres hot"}));
}

// The radio speaks one call at a time; muted or off it says nothing and keeps nothing to say
// later; without a voice the calls are lines alone.
TEST(Radio, SpeaksOneCallAtATimeAndKeepsTheLines) {
    RecordingVoice voice;
    Radio radio(&voice);
    RadioSettings settings;
    settings.enabled = true;
    settings.volume = 50;
    engineer::RaceEngineer engineer(nullptr);
    engineer.setRaceLength({engineer::RaceLength::Kind::Laps, 12});
    const core::Thresholds thresholds;
    const std::vector<TelemetrySample> samples = race();
    const auto play = [&](std::size_t from, std::size_t to, const char *idioma) {
        for (std::size_t i = from; i < to; ++i) {
            engineer.feed(samples[i], 1000 * static_cast<std::int64_t>(i));
            radio.take({samples[i], engineer, thresholds, i18n::findLanguage(idioma)->texts, false,
                        1000 * static_cast<std::int64_t>(i)},
                       idioma, settings);
        }
    };
    play(0, 81, "English"); // to lap 9's first sample
    // The first call is spoken; the others wait for the voice, the box call first.
    ASSERT_EQ(voice.said.size(), 1u);
    EXPECT_EQ(voice.said[0], "Up to position 3 [en_GB 0.50]");
    voice.busy = false;
    radio.speakNext(settings);
    EXPECT_EQ(voice.said.back(), "Box this lap [en_GB 0.50]");
    ASSERT_EQ(radio.lines().size(), Radio::kLines);
    EXPECT_EQ(radio.lines().front().text, "Personal best, 1 minute 30.2");

    // Muted: nothing is said, nothing waits; the lines go on.
    settings.muted = true;
    voice.busy = false;
    radio.speakNext(settings);
    EXPECT_EQ(voice.said.size(), 2u);
    EXPECT_TRUE(radio.queue().waiting().empty());
    play(81, 86, "Italiano");
    EXPECT_EQ(radio.lines().front().text, "Aggiungi 11 litri");
    // Off: no lines either.
    settings = {};
    play(86, 94, "Italiano");
    EXPECT_EQ(radio.lines().front().text, "Aggiungi 11 litri");
    // No engine: the lines alone.
    settings.enabled = true;
    voice.engine = false;
    play(94, 120, "Italiano");
    EXPECT_EQ(radio.lines().front().text, "Carburante per 5 giri");
    EXPECT_EQ(voice.said.size(), 2u);
}

#ifndef _WIN32
// What a command wrote on its output and its error output.
std::string run(const std::string &command) {
    std::string said;
    if (FILE *pipe = popen((command + " 2>&1").c_str(), "r")) {
        std::array<char, 256> chunk{};
        while (fgets(chunk.data(), chunk.size(), pipe)) {
            said += chunk.data();
        }
        pclose(pipe);
    }
    return said;
}

// The real engine the radio speaks with on Linux (espeak-ng's voices, which speech-dispatcher
// uses) says a call of each language aloud: sox finds the recording long and loud enough.
TEST(RadioVoice, EachLanguagesCallIsSpokenAloud) {
    testing::TempDir dir;
    for (const i18n::Language &language : i18n::languages()) {
        SCOPED_TRACE(language.name);
        // espeak-ng's name for the voice of the locale the radio asks for.
        std::string voice = voiceLocale(language.name).substr(0, 2);
        voice = voice == "en" ? "en-gb" : voice;
        const std::string wav = dir.file(voice + ".wav");
        const std::string text =
            i18n::fill(language.texts.TextRadioBest, {spokenLapTime(95.44, language.texts)});
        run("espeak-ng -v " + voice + " -w " + wav + " \"" + text + "\"");
        const std::string stat = run("sox " + wav + " -n stat");
        std::smatch length;
        std::smatch loudness;
        ASSERT_TRUE(
            std::regex_search(stat, length, std::regex(R"(Length \(seconds\): +([0-9.]+))")))
            << stat;
        ASSERT_TRUE(std::regex_search(stat, loudness, std::regex(R"(RMS +amplitude: +([0-9.]+))")));
        EXPECT_GT(std::stod(length[1]), 1.5) << text;
        EXPECT_GT(std::stod(loudness[1]), 0.02) << text;
    }
}
#endif

} // namespace
} // namespace ostrelo::radio
