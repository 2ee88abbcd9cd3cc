// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/language_table.h"
#include "support/portable.h"
#include "web/http_request.h"
#include "web/json_text.h"
#include "web/viewer_screens.h"
#include "web/web_address.h"
#include "web/websocket_frame.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace ostrelo::web {
namespace {

using Verdict = HttpRequest::Verdict;

TEST(JsonString, EscapesWhatWouldBreakTheMessageAndKeepsUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"Lince \"16V\"", R"("Lince \"16V\"")"},
        {"C:\\Race", R"("C:\\Race")"},
        {std::string("a\0b\n\x7f", 5), R"("a\u0000b\u000a\u007f")"},
        {"Español Français", "\"Español Français\""},
        {"\377x", R"("\ufffdx")"},
        {"\xc3", R"("\ufffd")"},                     // cut sequence
        {"\xc0\x80", R"("\ufffd\ufffd")"},           // overlong NUL
        {"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"}, // surrogate
        {"\xf0\x9f\x8f\x81", "\"\xf0\x9f\x8f\x81\""},
    };
    for (const auto &[text, json] : cases) {
        SCOPED_TRACE(json);
        EXPECT_EQ(jsonString(text), json);
    }
}

// Lengths in their shortest form, reserved close codes, overlong UTF-8: each ends the viewer's
// connection with the code that says why.
TEST(ViewerFrames, HoldTheViewerToTheProtocol) {
    const std::string mask(4, '\0');
    const struct {
        std::string bytes;
        ViewerFrame::Kind kind;
        CloseCode code;
    } cases[] = {
        {"\x88\x82" + mask + "\x03\xec", ViewerFrame::Kind::Failed, CloseCode::ProtocolError},
        {"\x81\x83" + mask + "\xe0\x80\x80", ViewerFrame::Kind::Failed, CloseCode::InvalidData},
        {std::string("\x82\xfe\x00\x7d", 4) + mask + std::string(125, 'x'),
         ViewerFrame::Kind::Failed, CloseCode::ProtocolError},
        {"\x82\xff" + std::string(6, '\0') + "\xff\xff" + mask, ViewerFrame::Kind::Failed,
         CloseCode::ProtocolError},
        {"\x88\x80" + mask, ViewerFrame::Kind::Close, CloseCode::NoCode},
        {"\x88\x81" + mask + "\x03", ViewerFrame::Kind::Failed, CloseCode::ProtocolError},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 2));
        FrameReader reader(1024);
        reader.feed(c.bytes);
        const std::optional<ViewerFrame> frame = reader.next();
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->kind, c.kind);
        EXPECT_EQ(frame->code, c.code);
    }
    EXPECT_EQ(serverFrame(Opcode::Text, std::string(125, 'x')).substr(0, 2), "\x81\x7d");
    EXPECT_EQ(serverFrame(Opcode::Text, std::string(65535, 'x')).substr(0, 4), "\x81\x7e\xff\xff");
}

TEST(RequestHead, TellsWhatTheDashboardServesFromWhatItRefuses) {
    struct Case {
        std::string bytes;
        Verdict verdict;
        std::string path;
        bool webSocket = false;
    };
    const std::string end = "\r\n\r\n";
    const Case cases[] = {
        {"GET / HTTP/1.1\r\nHost: x" + end, Verdict::Get, "/"},
        {"GET /app.js?v=2 HTTP/1.0" + end, Verdict::Get, "/app.js"},
        {"GET /live?lang=English HTTP/1.1\r\nUpgrade: WebSocket\r\n"
         "Connection: keep-alive, Upgrade" +
             end,
         Verdict::Get, "/live", true},
        {"GET /live HTTP/1.1\r\nUpgrade: websocket" + end, Verdict::Get, "/live", false},
        {"POST / HTTP/1.1\r\nContent-Length: 3" + end, Verdict::MethodNotAllowed, ""},
        {"HEAD / HTTP/1.1" + end, Verdict::MethodNotAllowed, ""},
        {"get / HTTP/1.1" + end, Verdict::MethodNotAllowed, ""},
        {"GET http://x/ HTTP/1.1" + end, Verdict::BadRequest, ""},
        {"GET / HTTP/2" + end, Verdict::BadRequest, ""},
        {"GET /a b HTTP/1.1" + end, Verdict::BadRequest, ""},
        {"GET / HTTP/1.1\r\nNo colon here" + end, Verdict::BadRequest, ""},
        {"GET / HTTP/1.1\r\nBad Name: x" + end, Verdict::BadRequest, ""},
        {"\x16\x03\x01\x02\x00" + end, Verdict::BadRequest, ""},
        {"GET / HTTP/1.1\r\nHost: x\r\n", Verdict::Incomplete, ""},
        {"GET / HTTP/1.1\r\nX: " + std::string(kRequestHeadLimit, 'a'), Verdict::TooLarge, ""},
        {"GET / HTTP/1.1\r\nX: " + std::string(kRequestHeadLimit, 'a') + end, Verdict::TooLarge,
         ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        const HttpRequest request = parseRequestHead(c.bytes);
        EXPECT_EQ(request.verdict, c.verdict);
        EXPECT_EQ(request.path, c.path);
        EXPECT_EQ(request.webSocket, c.webSocket);
    }
    EXPECT_EQ(parseRequestHead("GET /live?lang=Catal%C3%A0&units=Metric HTTP/1.1" + end).query,
              "lang=Catal%C3%A0&units=Metric");
    // A head that just fits is read.
    const std::string line = "GET / HTTP/1.1\r\nX: ";
    const std::string fits = line + std::string(kRequestHeadLimit - line.size() - 4, 'a') + end;
    EXPECT_EQ(parseRequestHead(fits).verdict, Verdict::Get);
}

TEST(RequestHead, ReadsQueryValuesPercentDecoded) {
    EXPECT_EQ(queryValue("lang=Espa%C3%B1ol&units=Imperial", "lang"), "Español");
    EXPECT_EQ(queryValue("lang=Espa%C3%B1ol&units=Imperial", "units"), "Imperial");
    EXPECT_EQ(queryValue("units=Metric", "lang"), "");
    EXPECT_EQ(queryValue("lang=%ZZ", "lang"), "");
    EXPECT_EQ(queryValue("lang=%4", "lang"), "");
    EXPECT_EQ(queryValue("xlang=Dutch&lang=Deutsch", "lang"), "Deutsch");
    EXPECT_EQ(queryValue("lang=Catal%C3%A0", "lang"), "Català");
    EXPECT_EQ(queryValue("a=b+c", "a"), "b c");

    core::Settings settings;
    settings.Unitats = core::Units::Imperial;
    const ViewerChoice asked = choiceFromQuery("lang=English&units=Metric", settings);
    EXPECT_EQ(asked.idioma, "English");
    EXPECT_EQ(asked.units, core::Units::Metric);
    const ViewerChoice wrong = choiceFromQuery("lang=Klingon&units=meters", settings);
    EXPECT_EQ(wrong.idioma, "Español");
    EXPECT_EQ(wrong.units, core::Units::Imperial);
    const ViewerChoice typed = choiceFromQuery("lang=Fran%C3%A7ais&units=metric", settings);
    EXPECT_EQ(typed.idioma, "Francais");
    EXPECT_EQ(typed.units, core::Units::Metric);
}

TEST(ResponseHead, ClosesAndForbidsWhatTheDashboardNeverDoes) {
    const std::string page = httpResponse("200 OK", "text/html", "<p>");
    EXPECT_EQ(page.substr(0, 17), "HTTP/1.1 200 OK\r\n");
    EXPECT_NE(page.find("Content-Length: 3\r\n"), std::string::npos);
    EXPECT_NE(page.find("Connection: close\r\n"), std::string::npos);
    EXPECT_NE(page.find("X-Content-Type-Options: nosniff"), std::string::npos);
    EXPECT_NE(page.find("default-src 'self'"), std::string::npos);
    EXPECT_NE(page.find("frame-ancestors 'none'"), std::string::npos);
    EXPECT_EQ(page.substr(page.size() - 7), "\r\n\r\n<p>");
    EXPECT_NE(httpResponse("405 Method Not Allowed", "text/plain", "").find("Allow: GET\r\n"),
              std::string::npos);
}

// Each viewer's language and units, computed from the same samples and the program's lap book:
// a viewer that comes late sees what the window shows.
TEST(ViewerScreens, ComputeEachChoiceFromTheSameSamplesAndTheProgramsLapBook) {
    const i18n::Texts &spanishTexts = i18n::findLanguage("Español")->texts;
    dashboard::LapBook book;
    core::Thresholds thresholds;
    ViewerScreens viewers(thresholds, ',');
    const ViewerChoice english{"English", core::Units::Imperial};
    const ViewerChoice spanish{"Español", core::Units::Metric};
    dashboard::Screen shown;
    shown.gameStatus = spanishTexts.TextGameRunning;
    shown.linkStatus = spanishTexts.TextConnected;
    shown.webAddress = "http://192.168.1.20:8080/";
    web::ProgramView program{shown, spanishTexts, true, {}, book};
    const auto take = [&](telemetry::TelemetrySample &sample) {
        book.take(sample, runtime::FollowedCar::Local);
        viewers.update(&sample, program);
    };

    telemetry::TelemetrySample sample;
    sample.Ignition = 1;
    sample.LapNumber = 3;
    sample.Fuel = 40;
    sample.Gear = 4;
    sample.CarName = "Lince Turbo 16V";
    viewers.choose({spanish}, program);
    take(sample);
    sample.LapNumber = 4;
    sample.Fuel = 37.5F;
    take(sample);
    // The engine off in the pits: the window keeps the last values of the car.
    sample.Ignition = 0;
    sample.Gear = 0;
    sample.Fuel = 37;
    take(sample);

    // Asked for now, with the ignition off: the same values as the window, in its own units.
    viewers.choose({english, spanish}, program);
    viewers.update(nullptr, program);
    const dashboard::Screen &a = viewers.screen(english);
    const dashboard::Screen &b = viewers.screen(spanish);
    for (const dashboard::Screen *screen : {&a, &b}) {
        EXPECT_EQ(screen->gear, " 4");
        EXPECT_EQ(screen->carName, "Lince Turbo 16V");
        EXPECT_FALSE(screen->ignition.lit);
    }
    EXPECT_EQ(a.fuel, "9,91G");
    EXPECT_EQ(b.fuel, "37,50L");
    EXPECT_EQ(a.fuelUsedLastLap, ",66G");
    EXPECT_EQ(b.fuelUsedLastLap, "2,50L");
    EXPECT_EQ(a.gameStatus, "RACE07 RUNNING");
    EXPECT_EQ(b.gameStatus, "RACE07 EN MARCHA");
    EXPECT_EQ(a.linkStatus, "CONNECTED");
    EXPECT_EQ(b.linkStatus, "CONECTADO");
    EXPECT_EQ(a.webAddress, shown.webAddress);
    EXPECT_EQ(a.waterCaption, "Water");

    // Out of the pits and the next lap, for both alike; the followed slot is the program's.
    sample.Ignition = 1;
    take(sample);
    sample.LapNumber = 5;
    sample.Fuel = 33;
    program.followed.slot = 7;
    take(sample);
    EXPECT_EQ(viewers.screen(english).fuelUsedLastLap, "1,06G");
    EXPECT_EQ(viewers.screen(spanish).fuelUsedLastLap, "4,00L");
    EXPECT_EQ(viewers.screen(spanish).position.caption, "Pos  0 -  7:");

    // A status-only update moves the status lines and nothing else.
    shown.gameStatus = spanishTexts.TextGameNotRunning;
    viewers.update(nullptr, program);
    EXPECT_EQ(viewers.screen(english).gameStatus, "RACE07 NOT RUNNING");
    EXPECT_EQ(viewers.screen(english).fuel, "8,72G");
    // The window's graphics mode holds for every viewer.
    program.graphics = false;
    viewers.update(nullptr, program);
    EXPECT_EQ(viewers.screen(english).tyrePressure[0].background, dashboard::rgb(255, 255, 255));
    EXPECT_EQ(viewers.screen(spanish).oilTemp.background, dashboard::rgb(255, 255, 255));

    // One message for each choice after an update, live when the update brought a sample,
    // with the standings in the choice's language.
    standings::TowerRow row;
    row.place = 1;
    row.car.inPits = true;
    row.car.driverName = "Eric Lund";
    const engineer::RaceEngineer engineer(nullptr);
    const std::string &message = viewers.message(english, engineer, {row});
    EXPECT_TRUE(message.starts_with(R"({"live":false,)"));
    EXPECT_NE(message.find(R"("Eric Lund")"), std::string::npos);
    EXPECT_NE(message.find('"' + i18n::findLanguage("English")->texts.TextPits + '"'),
              std::string::npos);
    EXPECT_NE(viewers.message(spanish, engineer, {row}).find(R"("BOXES")"), std::string::npos);
    // The tiles in the viewer's language and units, from the sample the window showed in full.
    EXPECT_NE(message.find(R"({"k":"fuel","c":"Fuel","v":[["8,72G",null]])"), std::string::npos)
        << message;
    EXPECT_NE(viewers.message(spanish, engineer, {row})
                  .find(R"({"k":"speed","c":"Velocidad","v":[["0",null]],"u":"km/h")"),
              std::string::npos);
    EXPECT_NE(message.find(R"({"k":"lap","c":"Lap","v":[["5",null]])"), std::string::npos);
    EXPECT_NE(message.find(R"({"k":"speed","c":"Speed","v":[["0",null]],"u":"mph")"),
              std::string::npos);
    take(sample);
    EXPECT_TRUE(viewers.message(english, engineer, {}).starts_with(R"({"live":true,)"));
    EXPECT_EQ(viewers.message({"Deutsch", core::Units::Metric}, engineer, {}), "");

    // A choice nobody watches any more is forgotten.
    viewers.choose({spanish}, program);
    EXPECT_EQ(viewers.screen(english).fuel, "");
    EXPECT_EQ(viewers.screen(spanish).fuel, "33,00L");

    // A replay moved elsewhere: no viewer shows the fuel of a lap that did not happen.
    viewers.choose({english, spanish}, program);
    book.forget();
    sample.Fuel = 50;
    take(sample);
    EXPECT_EQ(viewers.screen(english).fuelUsedLastLap, "");
    EXPECT_EQ(viewers.screen(spanish).fuelUsedLastLap, "");
}

TEST(ViewerScreens, GiveTheEngineersLinesInTheViewersUnits) {
    engineer::RaceEngineer engineer(nullptr);
    for (int lap = 1; lap <= 5; ++lap) {
        telemetry::TelemetrySample s;
        s.Ignition = 1;
        s.LapNumber = static_cast<std::int16_t>(lap);
        s.Fuel = 50 - 4.0F * static_cast<float>(lap);
        s.LastLapTime = static_cast<float>(90 - lap);
        engineer.feed(s, 0);
    }
    engineer.setRaceLength({engineer::RaceLength::Kind::Laps, 20});
    EXPECT_EQ(engineerLines(viewerReport(engineer, {"English", core::Units::Imperial}, '.')),
              (std::vector<std::string>{"Fuel per lap: 1.06 G (highest 1.06 G)",
                                        "Laps of fuel: 7.5", "Fuel to add at the stop: 10.04 G",
                                        "Last lap against best: -1.000"}));
    EXPECT_EQ(engineerLines(viewerReport(engineer, {"Deutsch", core::Units::Metric}, ','))[0],
              "Kraftstoff pro Runde: 4,00 L (höchstens 4,00 L)");
}

TEST(ScreenMessage, CarriesEveryElementByItsDesignNumber) {
    dashboard::Screen screen;
    screen.gameStatus = "RACE07 \"ON\"";
    screen.carName = "Lince";
    screen.tyreTemp[3][2].background = dashboard::rgb(255, 128, 0);
    screen.engine = {"MOTOR", true};
    screen.speed = {" 88", 88, 350};
    screen.wheelLocked[1] = true;
    const std::string message = screenMessage(screen, true);
    EXPECT_EQ(message.rfind(R"({"live":true,"L":[null,"RACE07 \"ON\"","")", 0), 0u);
    // Label30 is the car's name, Label13 the rear right tyre's outer zone.
    const std::string labels = message.substr(message.find("\"L\""));
    int comma = 0;
    std::size_t at = 0;
    while (comma < 30) {
        at = labels.find(',', at) + 1;
        ++comma;
    }
    EXPECT_EQ(labels.substr(at, 7), "\"Lince\"");
    EXPECT_NE(message.find("\"#ff8000\""), std::string::npos);
    EXPECT_NE(message.find(R"(["MOTOR",true]],"P")"), std::string::npos);
    EXPECT_NE(
        message.find(R"([88,350," 88"]],"S":[null,false,true,false,false],"E":[],"T":[],"D":[]})"),
        std::string::npos);
    standings::TowerLine leader{
        "1", "Ana \"Bala\" Ruiz", "GT", "12", "1:23.456", "", "", "PITS", true, false};
    standings::TowerLine second{"2", "Eric", "GT", "11", "", "1:30.000", "1 lap", "", false, true};
    EXPECT_NE(screenMessage(screen, true, {"Fuel per lap: 2.50 L", "", "+0.345"}, {leader, second})
                  .find(R"("E":["Fuel per lap: 2.50 L","+0.345"],"T":[)"
                        R"(["1","Ana \"Bala\" Ruiz","GT","12","1:23.456","","","PITS",true,false],)"
                        R"(["2","Eric","GT","11","","1:30.000","1 lap","",false,true]],"D")"),
              std::string::npos);
    // The tiles with their values, colours, shift lights and lamps.
    glance::Tile engine;
    engine.kind = glance::TileKind::Engine;
    engine.caption = "Engine";
    engine.values = {{"95", 0x00FF00}, {"130", {}}};
    engine.detail = "Water / Oil";
    glance::Tile rpm;
    rpm.kind = glance::TileKind::Rpm;
    rpm.caption = "RPM";
    rpm.values = {{"7600", {}}};
    rpm.fill = 0.95;
    rpm.lightsLit = 4;
    rpm.lamps = {{"PITS", true}};
    EXPECT_NE(
        screenMessage(screen, true, {}, {}, {engine, rpm})
            .find(R"("D":[{"k":"engine","c":"Engine","v":[["95","#00ff00"],["130",null]],)"
                  R"("u":"","d":"Water / Oil","f":0,"l":0,"m":[]},{"k":"rpm","c":"RPM",)"
                  R"("v":[["7600",null]],"u":"","d":"","f":0.95,"l":4,"m":[["PITS",true]]}]})"),
        std::string::npos);
    EXPECT_NE(message.find(R"("P":[null,[)"), std::string::npos);
    EXPECT_NE(message.find(R"("C":[null,[)"), std::string::npos);

    const std::string texts = textsMessage(i18n::findLanguage("English")->texts, "English", true);
    EXPECT_NE(texts.find(R"("lang":"English","units":"Imperial")"), std::string::npos);
    EXPECT_NE(
        texts.find(R"("standings":"Standings","columns":"Pos,Driver,Car,Laps,Best,Last,Gap,Pits")"),
        std::string::npos);
    EXPECT_NE(texts.find(R"("noData":"NO DATA")"), std::string::npos);
    EXPECT_NE(texts.find(R"("tileNames":["gear","speed","rpm",)"), std::string::npos);
    EXPECT_NE(texts.find(R"("defaultTiles":["gear","rpm","speed","last",)"), std::string::npos);
    EXPECT_NE(texts.find(R"("tileCaptions":"Gear,Speed,RPM,)"), std::string::npos);
}

// A phone must be able to open what the dialog's code and the address line give.
TEST(DashboardAddresses, GiveEachNetworkAddressAndTellWhenOnlyThisComputerIsServed) {
    struct Case {
        std::string listen;
        std::vector<std::string> interfaces;
        std::vector<std::string> urls;
        bool thisComputerOnly;
    };
    const Case cases[] = {
        {"0.0.0.0",
         {"127.0.0.1", "192.168.1.20", "10.0.0.5"},
         {"http://192.168.1.20:8080/", "http://10.0.0.5:8080/"},
         false},
        {"",
         {"192.168.001.020", "192.168.1.20", "127.0.1.1"},
         {"http://192.168.1.20:8080/"},
         false},
        {"0.0.0.0", {"127.0.0.1"}, {"http://127.0.0.1:8080/"}, true},
        {"", {}, {"http://127.0.0.1:8080/"}, true},
        {"127.0.0.1", {"192.168.1.20"}, {"http://127.0.0.1:8080/"}, true},
        {"127.000.001.001", {"192.168.1.20"}, {"http://127.0.1.1:8080/"}, true},
        {"192.168.001.020", {"192.168.1.20", "10.0.0.5"}, {"http://192.168.1.20:8080/"}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.listen + " " + std::to_string(c.interfaces.size()));
        const DashboardAddresses addresses = dashboardAddresses(c.listen, 8080, c.interfaces);
        EXPECT_EQ(addresses.urls, c.urls);
        EXPECT_EQ(addresses.thisComputerOnly, c.thisComputerOnly);
        // The address line carries them to the dialog.
        const DashboardAddresses read = readAddressLine(addressLine(addresses));
        EXPECT_EQ(read.urls, c.urls);
        EXPECT_EQ(read.thisComputerOnly, c.thisComputerOnly);
    }
    EXPECT_EQ(addressLine(dashboardAddresses("", 9000, {"192.168.1.20", "10.0.0.5"})),
              "http://192.168.1.20:9000/ http://10.0.0.5:9000/");
    EXPECT_TRUE(readAddressLine("").urls.empty());
    EXPECT_FALSE(readAddressLine("").thisComputerOnly);
}

// The dialog's switch serves the phones of the network unless the user named an address.
TEST(DashboardAddresses, TheDialogOffersEveryAddressUnlessOneWasNamed) {
    struct Case {
        bool enabled;
        std::string stored;
        std::string offered;
    };
    const Case cases[] = {
        {false, "127.0.0.1", ""},
        {false, "127.000.000.001", ""},
        {true, "127.0.0.1", "127.0.0.1"},
        {false, "0.0.0.0", ""},
        {true, "0.0.0.0", ""},
        {true, "", ""},
        {false, "192.168.1.20", "192.168.1.20"},
        {true, "192.168.1.20", "192.168.1.20"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE((c.enabled ? "on " : "off ") + c.stored);
        EXPECT_EQ(offeredListenAddress(c.enabled, c.stored), c.offered);
    }
}

// Qt sets the C locale from the environment: under a comma-decimal one, printf would write
// "14,25", which is not JSON.
TEST(ScreenMessage, WritesEveryNumberWithAPointInEveryLocale) {
    dashboard::Screen screen;
    screen.throttleBar = {"", 12.5, 100};
    screen.rpm = {"", std::nan(""), 1e7};
    screen.speed = {"", -0.25, 350};
    for (const char *locale : {"C", testing::kCommaLocale}) {
        SCOPED_TRACE(locale);
        const std::string before = std::setlocale(LC_ALL, nullptr);
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr);
        const std::string message = screenMessage(screen, true);
        const std::string read = screenMessage(screen, true, {}, {}, {}, {}, 1765195200123.4567);
        const std::string layout = layoutJson(0);
        std::setlocale(LC_ALL, before.c_str());
        EXPECT_NE(
            message.find(R"("P":[null,[12.5,100,""],[0,100,""],[null,1e+07,""],[-0.25,350,""]])"),
            std::string::npos)
            << message;
        // Label1 in its design place, its font Tahoma at 14.25 points; a lamp's Arial at 9.75.
        EXPECT_NE(
            layout.find(
                R"({"k":"L","n":1,"x":4560,"y":120,"w":3615,"h":375,"font":"Tahoma","pt":14.25,)"),
            std::string::npos);
        EXPECT_NE(layout.find(R"("font":"Arial","pt":9.75,)"), std::string::npos);
        // The time the sample was read, to the microsecond; none when not known.
        EXPECT_TRUE(read.ends_with(R"(,"at":1765195200123.457})")) << read;
        EXPECT_EQ(message.find(R"("at")"), std::string::npos);
        EXPECT_EQ(layout.find(",25"), std::string::npos);
    }
}

} // namespace
} // namespace ostrelo::web
