// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/event_wait.h"
#include "support/scenario.h"
#include "support/silent_socket.h"
#include "support/temp_dir.h"
#include "support/x_display.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <regex>
#include <span>

namespace ostrelo::app {
namespace {

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Runs the event loop until `done` holds or `ms` milliseconds have passed; whether it holds.
template <typename Condition> bool waitUntil(Condition done, int ms) {
    return testing::runUntil(done, ms);
}

// Waits until the dashboard at `port` sends a sample, as a viewer would see it.
bool sendsSamples(int port) {
    QWebSocket viewer;
    bool live = false;
    QObject::connect(&viewer, &QWebSocket::textMessageReceived, [&live](const QString &text) {
        live = live || text.startsWith(QStringLiteral("{\"live\":true"));
    });
    viewer.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(port)));
    return waitUntil([&] { return live; }, 15000);
}

bool answers(int port) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
    return socket.waitForConnected(200);
}

// The real headless browser, one for many views, driven over its DevTools protocol: it opens
// a page at a screen size, runs a script in it and waits for what the script says.
class Browser {
public:
    explicit Browser(const std::string &profile) {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty()) {
            m_error = "chromium is needed (scripts/install-deps.sh)";
            return;
        }
        m_process.start(
            chromium, {QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
                       QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                       QStringLiteral("--disable-background-networking"),
                       QStringLiteral("--user-data-dir=") + QString::fromStdString(profile),
                       QStringLiteral("--remote-debugging-port=0"), QStringLiteral("about:blank")});
        // The browser names its DevTools address on its error output once it listens.
        const QRegularExpression listening(QStringLiteral("DevTools listening on (ws://\\S+)"));
        QString said;
        QString address;
        waitUntil(
            [&] {
                said += QString::fromLocal8Bit(m_process.readAllStandardError());
                address = listening.match(said).captured(1);
                return !address.isEmpty() || m_process.state() == QProcess::NotRunning;
            },
            30000);
        if (address.isEmpty()) {
            m_error = "chromium named no DevTools address: " + said.toStdString();
            return;
        }
        QObject::connect(&m_socket, &QWebSocket::textMessageReceived, [this](const QString &text) {
            const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
            if (message.contains(QStringLiteral("id"))) {
                m_answers[message.value(QStringLiteral("id")).toInt()] = message;
            }
        });
        m_socket.open(QUrl(address));
        if (!waitUntil([&] { return m_socket.state() == QAbstractSocket::ConnectedState; },
                       10000)) {
            m_error = "cannot reach chromium's DevTools at " + address.toStdString();
            return;
        }
        // The page the browser opened with, driven through a session of its own.
        const QJsonArray targets = call(QStringLiteral("Target.getTargets"), {}, false)
                                       .value(QStringLiteral("targetInfos"))
                                       .toArray();
        for (const QJsonValue &target : targets) {
            if (target[QStringLiteral("type")] == QStringLiteral("page")) {
                m_session = call(QStringLiteral("Target.attachToTarget"),
                                 {{QStringLiteral("targetId"), target[QStringLiteral("targetId")]},
                                  {QStringLiteral("flatten"), true}},
                                 false)
                                .value(QStringLiteral("sessionId"))
                                .toString();
            }
        }
        if (m_session.isEmpty()) {
            m_error = "chromium shows no page";
        }
    }

    ~Browser() {
        if (m_socket.state() == QAbstractSocket::ConnectedState) {
            m_socket.sendTextMessage(QStringLiteral(R"({"id":0,"method":"Browser.close"})"));
            m_socket.flush();
        }
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    Browser(const Browser &) = delete;
    Browser &operator=(const Browser &) = delete;

    /// Empty when the browser runs and can be driven; otherwise why not.
    const std::string &error() const { return m_error; }

    /// Gives the page a screen of `width` x `height` pixels, as a phone or a tablet has.
    void resize(int width, int height) {
        call(QStringLiteral("Emulation.setDeviceMetricsOverride"),
             {{QStringLiteral("width"), width},
              {QStringLiteral("height"), height},
              {QStringLiteral("deviceScaleFactor"), 1},
              {QStringLiteral("mobile"), width < height}});
        // The page has seen the new size once two frames are drawn.
        evaluate(QStringLiteral("new Promise((done) => requestAnimationFrame(() => "
                                "requestAnimationFrame(done)))"));
    }

    /// Runs `script` in every page opened from now on, before the page's own scripts.
    void beforeEachPage(const QString &script) {
        call(QStringLiteral("Page.enable"), {});
        call(QStringLiteral("Page.addScriptToEvaluateOnNewDocument"),
             {{QStringLiteral("source"), script}});
    }

    void open(const QString &url) {
        call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}});
    }

    /// What `expression` gives in the page (promises awaited), as JSON; an exception fails the
    /// test unless `quiet`.
    QJsonValue evaluate(const QString &expression, bool quiet = false) {
        const QJsonObject answer =
            call(QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), expression},
                                                      {QStringLiteral("returnByValue"), true},
                                                      {QStringLiteral("awaitPromise"), true}});
        if (answer.contains(QStringLiteral("exceptionDetails")) && !quiet) {
            ADD_FAILURE() << QJsonDocument(answer).toJson().toStdString();
        }
        return answer.value(QStringLiteral("result")).toObject().value(QStringLiteral("value"));
    }

    /// Waits until `expression` is true in the page (the page may still be loading); whether
    /// it became so.
    bool waitFor(const QString &expression, int ms = 20000) {
        return waitUntil([&] { return evaluate(expression, true).toBool(); }, ms);
    }

    /// The page as it stands, markup and all.
    std::string markup() {
        return evaluate(QStringLiteral("document.documentElement.outerHTML"))
            .toString()
            .toStdString();
    }

private:
    QJsonObject call(const QString &method, const QJsonObject &params, bool inPage = true) {
        const int id = ++m_lastId;
        QJsonObject command{{QStringLiteral("id"), id},
                            {QStringLiteral("method"), method},
                            {QStringLiteral("params"), params}};
        if (inPage) {
            command.insert(QStringLiteral("sessionId"), m_session);
        }
        m_socket.sendTextMessage(QString::fromUtf8(QJsonDocument(command).toJson()));
        if (!waitUntil([&] { return m_answers.count(id) != 0; }, 30000)) {
            ADD_FAILURE() << "chromium did not answer " << method.toStdString();
            return {};
        }
        const QJsonObject answer = m_answers[id];
        m_answers.erase(id);
        EXPECT_FALSE(answer.contains(QStringLiteral("error")))
            << method.toStdString() << ": " << QJsonDocument(answer).toJson().toStdString();
        return answer.value(QStringLiteral("result")).toObject();
    }

    QProcess m_process;
    QWebSocket m_socket;
    QString m_session;
    int m_lastId = 0;
    std::map<int, QJsonObject> m_answers;
    std::string m_error;
};

// The real program under `locale`, reading the simulated game started with `scenario` and
// serving its dashboard to browsers.
class ServingProgram {
public:
    ServingProgram(const testing::TempDir &dir, const char *scenario, const QString &locale)
        : m_port(freePort()) {
        if (!m_display.running()) {
            m_error = m_display.error().toStdString();
            return;
        }
        m_game = std::make_unique<testing::SimulatedGame>(
            QStringList{QStringLiteral("--scenario"),
                        QString::fromStdString(dir.write("scenario.ini", scenario))});
        if (!m_game->ready()) {
            m_error = m_game->errors().toStdString();
            return;
        }
        const std::string ini = dir.write("Ostrelo.ini", "[Opcions]\nScanTime=50\n");
        // Qt takes the C library's number format from the environment.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), locale);
        environment.insert(QStringLiteral("LANG"), locale);
        m_program.setProcessEnvironment(environment);
        m_program.start(QStringLiteral(OSTRELO_BINARY),
                        {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                         QStringLiteral("--config"), QString::fromStdString(ini),
                         QStringLiteral("--web"), QStringLiteral("127.0.0.1:%1").arg(m_port)});
        if (!waitUntil([&] { return answers(m_port); }, 15000) || !sendsSamples(m_port)) {
            m_error = "the program serves no samples: " +
                      QString::fromLocal8Bit(m_program.readAllStandardError()).toStdString();
        }
    }

    ~ServingProgram() {
        m_program.terminate();
        m_program.waitForFinished();
    }

    ServingProgram(const ServingProgram &) = delete;
    ServingProgram &operator=(const ServingProgram &) = delete;

    const std::string &error() const { return m_error; }
    QString url(const QString &query) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(query);
    }
    void stopGame() { m_game->kill(); }

private:
    testing::XDisplay m_display;
    std::unique_ptr<testing::SimulatedGame> m_game;
    QProcess m_program;
    int m_port;
    std::string m_error;
};

// The page for `query` once it shows live samples in the language and units it asked for.
QString liveIn(const QString &language, const QString &units) {
    return QStringLiteral("document.getElementById('lang').value === '%1' && "
                          "document.getElementById('units').value === '%2' && "
                          "document.getElementById('notice').hidden")
        .arg(language, units);
}

// The tiles of the phone dash in their order, each as its name and its values.
constexpr const char *kTileValues =
    "[...document.querySelectorAll('.tile')].map((t) => t.dataset.k + ':' + "
    "[...t.querySelectorAll('.val .v')].map((v) => v.textContent).join(' ')).join('|')";

struct LocaleCase {
    const char *locale;
    const char *fuelImperial;
    const char *fuelMetric;
};

void PrintTo(const LocaleCase &c, std::ostream *out) {
    *out << c.locale;
}

class WebDashboardIn : public ::testing::TestWithParam<LocaleCase> {};

// The real program reading the simulated game, and a real browser showing its dashboard,
// whether the computer writes numbers with a comma or a point.
TEST_P(WebDashboardIn, ABrowserShowsTheDashboardInItsOwnLanguageAndUnits) {
    const LocaleCase &c = GetParam();
    testing::TempDir dir;
    ServingProgram program(dir, testing::kFullScenario, QString::fromLatin1(c.locale));
    ASSERT_EQ(program.error(), "");
    Browser browser(dir.file("profile"));
    ASSERT_EQ(browser.error(), "");
    browser.resize(1024, 768);

    browser.open(program.url(QStringLiteral("?lang=English&units=Imperial&standings=1")));
    ASSERT_TRUE(
        browser.waitFor(liveIn(QStringLiteral("English"), QStringLiteral("Imperial")) +
                        QStringLiteral(" && document.querySelector('#standings td') !== null")))
        << browser.markup();
    const std::string english = browser.markup();
    EXPECT_NE(english.find(">Lince Turbo 16V<"), std::string::npos) << english;
    EXPECT_NE(english.find(">RACE07 RUNNING<"), std::string::npos);
    EXPECT_NE(english.find(std::string(">") + c.fuelImperial + "<"), std::string::npos);
    EXPECT_NE(english.find(">Water<"), std::string::npos);
    // The lamps as sent: the ignition on, the limiter off.
    EXPECT_TRUE(
        std::regex_search(english, std::regex(R"(class="el lamp lit"[^>]*><span[^>]*>CONTACT<)")));
    EXPECT_TRUE(
        std::regex_search(english, std::regex(R"(class="el lamp"[^>]*><span[^>]*>SPD LIMIT<)")));
    // The whole field in race order, the followed car marked.
    EXPECT_NE(english.find("<th>Gap</th>"), std::string::npos);
    EXPECT_NE(english.find("<td>Joan Ribas</td>"), std::string::npos);
    EXPECT_TRUE(std::regex_search(
        english, std::regex(R"(<tr class="followed"><td>\d+</td><td>Marta Vidal</td>)")));
    // The fastest lap of the field is marked in its row's best-lap cell.
    EXPECT_TRUE(std::regex_search(
        english,
        std::regex(R"(<tr[^>]*>(<td>[^<]*</td>){4}<td class="best">\d:\d\d[.,]\d{3}</td>)")));
    // The rear right wheel turns at 80 % of the average of the four (100, 100, 100, 80): it
    // alone is below 90 % and locking, as the window marks it.
    EXPECT_EQ(
        browser
            .evaluate(QStringLiteral("JSON.stringify([...document.querySelectorAll('.marker')]"
                                     ".map((m) => m.checkVisibility()))"))
            .toString()
            .toStdString(),
        "[false,false,false,true]");

    browser.open(program.url(QString()));
    ASSERT_TRUE(browser.waitFor(liveIn(QStringLiteral("Español"), QStringLiteral("Metric"))));
    const std::string spanish = browser.markup();
    EXPECT_NE(spanish.find(">RACE07 EN MARCHA<"), std::string::npos) << spanish;
    EXPECT_NE(spanish.find(std::string(">") + c.fuelMetric + "<"), std::string::npos);
    // Not asked for, the tower stays hidden.
    EXPECT_NE(spanish.find(R"(<div id="standings" hidden="">)"), std::string::npos);
    // The window's settings file is untouched by what the viewers chose.
    EXPECT_EQ(dir.read("Ostrelo.ini").find("Imperial"), std::string::npos);

    // The phone dash: the same values, in tiles, each once; the screen kept awake while samples
    // come. Every link the page makes is kept in `sockets`, every wait before a new one in
    // `waits`.
    browser.beforeEachPage(QStringLiteral(
        "window.sockets = []; window.WebSocket = class extends WebSocket { "
        "constructor(...a) { super(...a); sockets.push(this); } };"
        "window.waits = []; const later = setTimeout; window.setTimeout = (f, ms, ...a) => { "
        "if (f.name === 'connect') { waits.push(ms); } return later(f, ms, ...a); };"));
    browser.open(program.url(QStringLiteral("dash?lang=English&units=Imperial&tiles=lap,fuel,"
                                            "delta,gear,nitro,lap,rpm&latency")));
    ASSERT_TRUE(browser.waitFor(QStringLiteral("document.body.dataset.awake !== undefined && "
                                               "!document.body.classList.contains('stale')")))
        << browser.markup();
    const std::string tiles =
        browser.evaluate(QString::fromLatin1(kTileValues)).toString().toStdString();
    EXPECT_TRUE(std::regex_match(tiles, std::regex(std::string("lap:7\\|fuel:") + c.fuelImperial +
                                                   "\\|delta:\\+0" + c.fuelImperial[2] +
                                                   "750\\|gear:4\\|rpm:\\d+")))
        << tiles;
    // Asked to, the page keeps how long each sample took from its read to its drawing.
    EXPECT_TRUE(browser.waitFor(QStringLiteral(
        "ostreloLive.delays.length >= 3 && ostreloLive.delays.every((d) => d > -50 && d < 5000)")))
        << browser.evaluate(QStringLiteral("JSON.stringify(ostreloLive.delays)"))
               .toString()
               .toStdString();
    // The engine at 76 % of its maximum lights none of the five shift lights.
    EXPECT_EQ(browser
                  .evaluate(QStringLiteral("document.querySelectorAll('.rpm .light').length + ':' "
                                           "+ document.querySelectorAll('.rpm .light.on').length"))
                  .toString(),
              QStringLiteral("5:0"));
    EXPECT_NE(browser.evaluate(QStringLiteral("document.body.dataset.awake")).toString(),
              QStringLiteral("none"));
    EXPECT_TRUE(
        browser.evaluate(QStringLiteral("document.getElementById('sleep').hidden")).toBool());
    // Kept by the browser for going back, the page gives up its link for good; shown again, it
    // takes one again.
    browser.evaluate(
        QStringLiteral("dispatchEvent(new PageTransitionEvent('pagehide', {persisted: true}))"));
    EXPECT_TRUE(browser.waitFor(QStringLiteral("sockets.at(-1).readyState === WebSocket.CLOSED && "
                                               "sockets.at(-1).onclose === null")));
    const int links = browser.evaluate(QStringLiteral("sockets.length")).toInt();
    browser.evaluate(
        QStringLiteral("dispatchEvent(new PageTransitionEvent('pageshow', {persisted: true}))"));
    EXPECT_TRUE(browser.waitFor(QStringLiteral("sockets.length === %1 && "
                                               "sockets.at(-1).readyState === WebSocket.OPEN")
                                    .arg(links + 1)));
    // A link lost comes back after half a second, and again so once it was back.
    for (const int lost : {1, 2}) {
        browser.evaluate(QStringLiteral("sockets.at(-1).close()"));
        EXPECT_TRUE(browser.waitFor(QStringLiteral("sockets.length === %1 && "
                                                   "sockets.at(-1).readyState === WebSocket.OPEN")
                                        .arg(links + 1 + lost)));
    }
    EXPECT_EQ(browser.evaluate(QStringLiteral("JSON.stringify(waits)")).toString(),
              QStringLiteral("[500,500]"));
    // A browser that gives neither a wake lock nor a playing video: the page says so.
    browser.beforeEachPage(
        QStringLiteral("delete Navigator.prototype.wakeLock; HTMLMediaElement.prototype.play = "
                       "() => Promise.reject(new DOMException('refused', 'NotAllowedError'));"));
    browser.open(program.url(QStringLiteral("dash?lang=English")));
    ASSERT_TRUE(browser.waitFor(QStringLiteral("document.body.dataset.awake === 'none'")));
    EXPECT_EQ(
        browser
            .evaluate(QStringLiteral("document.getElementById('sleep').checkVisibility() "
                                     "&& document.getElementById('sleep').textContent"))
            .toString(),
        QStringLiteral("This screen may go dark: the browser keeps it awake only over HTTPS"));
    // Without samples the page says so and dims what it shows.
    program.stopGame();
    ASSERT_TRUE(browser.waitFor(QStringLiteral("document.body.classList.contains('stale') && "
                                               "!document.getElementById('notice').hidden")));
    EXPECT_EQ(browser.evaluate(QStringLiteral("document.getElementById('notice').textContent"))
                  .toString(),
              QStringLiteral("NO DATA"));
    // A tile chosen while no sample comes shows the last value at once.
    browser.evaluate(
        QStringLiteral("document.querySelector('#choices input[value=fuel]').click()"));
    EXPECT_TRUE(
        browser.waitFor(QStringLiteral("document.querySelector('.tile.fuel .v') && "
                                       "document.querySelector('.tile.fuel .v').textContent "
                                       "!== ''")));
    browser.open(program.url(QString()));
    ASSERT_TRUE(browser.waitFor(QStringLiteral("!document.getElementById('notice').hidden && "
                                               "document.getElementById('lang').value !== ''")));
    const std::string stale = browser.markup();
    EXPECT_NE(stale.find("class=\"stale\""), std::string::npos) << stale;
    EXPECT_NE(stale.find(">SIN DATOS<"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Locales, WebDashboardIn,
                         ::testing::Values(LocaleCase{"de_DE.UTF-8", "11,23G", "42,50L"},
                                           LocaleCase{"C.UTF-8", "11.23G", "42.50L"}),
                         [](const ::testing::TestParamInfo<LocaleCase> &test) {
                             return std::string(test.param.fuelMetric[2] == ',' ? "DecimalComma"
                                                                                : "DecimalPoint");
                         });

// The longest texts the game and the languages give: names, a lap over ten minutes, four
// digits of brake temperature, three of pressure, the position lamp with a long name.
constexpr const char *kLongScenario =
    "[Pin]\nDriverName=Maximiliano Wolfsberger\n"
    "LocalDriver=Maximiliano Wolfsberger\\p\n"
    "CarName=Lince Turbo 16V Evolución Competición Gr. A\n"
    "TrackPath=Locations\\Circuito Internacional de Anella.trk\n"
    "Position=12\nLapCount=123\nFuel=105.25\nGear=6\n"
    "EngineSpeed=850\nEngineSpeedMax=921.5\n"
    "LastLapTime=632.125\nBestLapTime=601.5\n"
    "InPits=1\nPitLimiter=1\nIgnition=1\n"
    "TractionControl=1\nAbsLevel=2\nThrottle=1\nBrake=1\n"
    "OilTemp=410.15\nWaterTemp=400.15\nTrackTemp=45.5\nAmbientTemp=38.25\n"
    "Spin_FL=-300\nSpin_FR=-300\nSpin_RL=-150\nSpin_RR=-150\n"
    "Radius_FL=0.284\nRadius_RL=0.568\n"
    "Tread_FL_0=393.15\nTread_FR_1=393.15\nTread_RL_2=393.15\n"
    "Pressure_FL=255.5\nPressure_FR=255.5\n"
    "Pressure_RL=255.5\nPressure_RR=255.5\n"
    "BrakeTemp_FL=1273.15\nBrakeTemp_FR=1273.15\n"
    "BrakeTemp_RL=1273.15\nBrakeTemp_RR=1273.15\n";

// What is wrong with the page as it stands: every text of the dashboard inside its box (within
// the border across, within the outer edge up and down), the dashboard on the screen, and the
// race engineer's lines and the standings each in a place of their own, on the screen and not
// cut across. `checked` counts the texts looked at.
constexpr const char *kMeasure = R"js((() => {
  const problems = [];
  let checked = 0;
  const slack = 0.5;
  const within = (a, b, upright) => a.left >= b.left - slack && a.right <= b.right + slack &&
    (!upright || (a.top >= b.top - slack && a.bottom <= b.bottom + slack));
  const apart = (a, b) => a.right <= b.left + slack || b.right <= a.left + slack ||
    a.bottom <= b.top + slack || b.bottom <= a.top + slack;
  const screen = { left: 0, top: 0, right: innerWidth, bottom: innerHeight };
  const textBox = (element) => {
    const range = document.createRange();
    let box = null;
    const walker = document.createTreeWalker(element, NodeFilter.SHOW_TEXT);
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      if (node.data.trim() === "") { continue; }
      range.selectNodeContents(node);
      const r = range.getBoundingClientRect();
      box = box ? { left: Math.min(box.left, r.left), right: Math.max(box.right, r.right),
                    top: Math.min(box.top, r.top), bottom: Math.max(box.bottom, r.bottom) } : r;
    }
    return box;
  };
  const inside = (element) => {
    const r = element.getBoundingClientRect();
    const zoom = r.width / element.offsetWidth;
    return { left: r.left + element.clientLeft * zoom,
             right: r.left + (element.clientLeft + element.clientWidth) * zoom,
             top: r.top, bottom: r.bottom };
  };
  const stage = document.getElementById("stage").getBoundingClientRect();
  if (!within(stage, screen, true)) { problems.push("the dashboard is off the screen"); }
  for (const element of document.querySelectorAll("#dash .el")) {
    const text = textBox(element);
    if (!text || !element.checkVisibility()) { continue; }
    ++checked;
    if (!within(text, inside(element), true)) {
      problems.push("cut: " + JSON.stringify(element.textContent) + " at " + element.style.left + "," + element.style.top);
    }
  }
  const placed = [];
  for (const id of ["engineer", "standings"]) {
    const element = document.getElementById(id);
    if (!element.checkVisibility() || element.textContent === "") { continue; }
    ++checked;
    const box = element.getBoundingClientRect();
    if (!within(box, screen, true)) { problems.push(id + " is off the screen"); }
    if (!apart(box, stage)) { problems.push(id + " covers the dashboard"); }
    for (const other of placed) {
      if (!apart(box, other)) { problems.push(id + " covers the race engineer"); }
    }
    placed.push(box);
    if (element.scrollWidth > element.clientWidth) {
      problems.push(id + " is cut across: " + element.scrollWidth + " > " + element.clientWidth);
    }
    for (const cell of element.querySelectorAll("td, th")) {
      const text = textBox(cell);
      if (text && !within(text, box, false)) { problems.push("standings cut: " + JSON.stringify(cell.textContent)); }
    }
  }
  return { checked, problems };
})())js";

// Every text of the page fits its box, in every language and units, on a phone upright and
// across and on a tablet; the race engineer and the standings cover nothing.
TEST(WebDashboard, EveryTextFitsItsPlaceInEveryLanguageUnitsAndScreen) {
    testing::TempDir dir;
    ServingProgram program(dir, kLongScenario, QStringLiteral("de_DE.UTF-8"));
    ASSERT_EQ(program.error(), "");
    Browser browser(dir.file("profile"));
    ASSERT_EQ(browser.error(), "");
    struct View {
        int width;
        int height;
        bool towerClick;
    };
    // Each language and units is opened once, with the standings, and looked at on each
    // screen; then without the standings.
    const View views[] = {{390, 844, false}, {844, 390, false}, {1024, 768, false},
                          {1024, 768, true}, {844, 390, false}, {390, 844, false}};
    for (const char *language : {"Español", "Català", "Asturianu", "English", "Francais", "Deutsch",
                                 "Dutch", "Italiano"}) {
        for (const char *units : {"Metric", "Imperial"}) {
            const QString lang = QString::fromUtf8(language);
            const QString unitsText = QString::fromLatin1(units);
            browser.resize(views[0].width, views[0].height);
            browser.open(program.url(
                QStringLiteral("?lang=%1&units=%2&standings=1")
                    .arg(QString::fromLatin1(QUrl::toPercentEncoding(lang)), unitsText)));
            ASSERT_TRUE(browser.waitFor(
                liveIn(lang, unitsText) +
                QStringLiteral(" && document.querySelector('#standings td') !== null")))
                << language << " " << units;
            for (const View &view : views) {
                SCOPED_TRACE(std::string(language) + " " + units + " " +
                             std::to_string(view.width) + "x" + std::to_string(view.height) +
                             (view.towerClick ? " (standings off)" : ""));
                if (view.towerClick) {
                    browser.evaluate(QStringLiteral("document.getElementById('tower').click()"));
                }
                browser.resize(view.width, view.height);
                const QJsonObject seen = browser.evaluate(QString::fromUtf8(kMeasure)).toObject();
                // 48 labels, 7 lamps and 2 bars carry text, with the engineer's lines.
                EXPECT_GE(seen.value(QStringLiteral("checked")).toInt(), 50);
                const QJsonArray problems = seen.value(QStringLiteral("problems")).toArray();
                EXPECT_TRUE(problems.isEmpty()) << QJsonDocument(problems).toJson().toStdString();
            }
        }
    }
}

// What is wrong with the phone dash as it stands: the page scrolls, a tile is off the screen
// or on another, a text is cut by its box or runs into the shift lights; with `big`, a value
// smaller than a driver reads at arm's length (the gear 120 px, the others 40).
constexpr const char *kMeasureDash = R"js(((big) => {
  const problems = [];
  let checked = 0;
  const slack = 1;
  const within = (a, b) => a.left >= b.left - slack && a.right <= b.right + slack &&
    a.top >= b.top - slack && a.bottom <= b.bottom + slack;
  const apart = (a, b) => a.right <= b.left + slack || b.right <= a.left + slack ||
    a.bottom <= b.top + slack || b.bottom <= a.top + slack;
  const page = document.scrollingElement;
  if (page.scrollHeight > innerHeight || page.scrollWidth > innerWidth) { problems.push("the page scrolls"); }
  const screen = { left: 0, top: 0, right: innerWidth, bottom: innerHeight };
  const tiles = [...document.querySelectorAll(".tile")];
  const boxes = tiles.map((t) => t.getBoundingClientRect());
  boxes.forEach((box, i) => {
    if (!within(box, screen)) { problems.push(tiles[i].dataset.k + " is off the screen"); }
    for (let j = 0; j < i; j++) {
      if (!apart(box, boxes[j])) { problems.push(tiles[i].dataset.k + " covers " + tiles[j].dataset.k); }
    }
  });
  const range = document.createRange();
  for (const span of document.querySelectorAll(".tile span")) {
    if (span.textContent === "" || !span.checkVisibility()) { continue; }
    ++checked;
    range.selectNodeContents(span);
    const text = range.getBoundingClientRect();
    const tile = span.closest(".tile");
    if (!within(text, span.parentElement.getBoundingClientRect())) {
      problems.push("cut: " + tile.dataset.k + " " + JSON.stringify(span.textContent));
    }
    const lights = tile.querySelector(".lights");
    if (lights && text.right > lights.getBoundingClientRect().left) { problems.push("the rpm runs into its lights"); }
  }
  if (big) {
    for (const tile of tiles) {
      const value = tile.querySelector(".val .v");
      const size = value ? parseFloat(getComputedStyle(value).fontSize) : 0;
      if (value && size < (tile.dataset.k === "gear" ? 120 : 40)) {
        problems.push(tile.dataset.k + " at " + size.toFixed(1) + " px");
      }
    }
  }
  return { checked, problems };
}))js";

// The phone dash in every language and units, with the longest texts the game gives: on a
// phone upright and across the driving tiles are read at arm's length, and on every screen
// every text fits its tile and nothing scrolls, with the driving tiles or with all of them.
TEST(PhoneDash, EveryTileFitsAndReadsAtArmsLengthInEveryLanguageUnitsAndScreen) {
    testing::TempDir dir;
    ServingProgram program(dir, kLongScenario, QStringLiteral("de_DE.UTF-8"));
    ASSERT_EQ(program.error(), "");
    Browser browser(dir.file("profile"));
    ASSERT_EQ(browser.error(), "");
    struct View {
        int width;
        int height;
        bool big;
    };
    const View driving[] = {
        {390, 844, true}, {844, 390, true}, {667, 375, false}, {1024, 768, false}};
    const View every[] = {{1024, 768, false}, {844, 390, false}};
    const QString all = QStringLiteral("gear,speed,rpm,position,lap,last,best,delta,fuel,fuellaps,"
                                       "fueladd,tyres,engine,lamps,ahead,behind,status");
    for (const char *language : {"Español", "Català", "Asturianu", "English", "Francais", "Deutsch",
                                 "Dutch", "Italiano"}) {
        for (const char *units : {"Metric", "Imperial"}) {
            const QString lang = QString::fromUtf8(language);
            for (const bool allTiles : {false, true}) {
                browser.resize(844, 390);
                browser.open(
                    program.url(QStringLiteral("dash?lang=%1&units=%2&tiles=%3")
                                    .arg(QString::fromLatin1(QUrl::toPercentEncoding(lang)),
                                         QString::fromLatin1(units), allTiles ? all : QString())));
                ASSERT_TRUE(browser.waitFor(
                    QStringLiteral("document.getElementById('lang').value === '%1' && "
                                   "!document.body.classList.contains('stale') && "
                                   "document.querySelector('.tile.gear .v') !== null")
                        .arg(lang)))
                    << language << " " << units << browser.markup();
                for (const View &view :
                     allTiles ? std::span<const View>(every) : std::span<const View>(driving)) {
                    SCOPED_TRACE(std::string(language) + " " + units + " " +
                                 std::to_string(view.width) + "x" + std::to_string(view.height) +
                                 (allTiles ? " every tile" : ""));
                    browser.resize(view.width, view.height);
                    const QJsonObject seen =
                        browser
                            .evaluate(QStringLiteral("(%1)(%2)")
                                          .arg(QString::fromUtf8(kMeasureDash),
                                               view.big ? QStringLiteral("true")
                                                        : QStringLiteral("false")))
                            .toObject();
                    EXPECT_GE(seen.value(QStringLiteral("checked")).toInt(), allTiles ? 40 : 18);
                    const QJsonArray problems = seen.value(QStringLiteral("problems")).toArray();
                    EXPECT_TRUE(problems.isEmpty())
                        << QJsonDocument(problems).toJson().toStdString();
                }
            }
        }
    }
}

// The demonstration's car starts short of fuel: with the radio on, a viewer gets the fuel
// calls of the first laps. A speech daemon that never answers holds neither the calls nor the
// program's end.
TEST(Demo, CallsTheFuelInItsFirstLapsWhateverTheVoice) {
    const testing::XDisplay display;
    ASSERT_TRUE(display.running()) << display.error().toStdString();
    const testing::TempDir dir;
    const std::string socket = dir.file("speechd.sock");
    const testing::SilentSocket daemon(socket);
    ASSERT_TRUE(daemon.listening());
    // Every kind of call, a lap's time against the best included.
    const std::string ini =
        dir.write("Ostrelo.ini", "[Opcions]\nScanTime=50\nIdioma=English\n[Radio]\nEnabled=1\n"
                                 "Calls=fuel,box,add,best,against,position,temperature,limiter\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SPEECHD_ADDRESS"),
                       QStringLiteral("unix_socket:") + QString::fromStdString(socket));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dir.file("data")));
    // The simulated game opens its window on the display, where it is looked for.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess program;
    program.setProcessEnvironment(environment);
    const int port = freePort();
    program.start(QStringLiteral(OSTRELO_BINARY),
                  {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                   QStringLiteral("--config"), QString::fromStdString(ini),
                   QStringLiteral("--demo"), QStringLiteral("--speed"), QStringLiteral("20"),
                   QStringLiteral("--web"), QStringLiteral("127.0.0.1:%1").arg(port)});
    ASSERT_TRUE(waitUntil([&] { return answers(port); }, testing::kPatienceMs));
    QWebSocket viewer;
    // Every call heard: the page shows the latest few only.
    QStringList calls;
    QObject::connect(&viewer, &QWebSocket::textMessageReceived, [&calls](const QString &text) {
        static const QRegularExpression call(
            QStringLiteral("\\[\\d+,\"([^\"]+)\",(true|false)\\]"));
        for (const QRegularExpressionMatch &heard : call.globalMatch(text)) {
            // An urgent call is marked with "!".
            QString said = heard.captured(1);
            if (heard.captured(2) == QLatin1String("true")) {
                said += QLatin1Char('!');
            }
            if (!calls.contains(said)) {
                calls.append(said);
            }
        }
    });
    viewer.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(port)));
    EXPECT_TRUE(waitUntil([&] { return calls.contains(QStringLiteral("Box this lap!")); },
                          testing::kPatienceMs))
        << calls.join(QStringLiteral(" | ")).toStdString();
    for (const char *heard : {"Fuel for 3 laps", "Fuel for 2 laps"}) {
        EXPECT_TRUE(calls.contains(QLatin1String(heard)))
            << calls.join(QStringLiteral(" | ")).toStdString();
    }
    // The full page shows the three newest calls under the engineer's lines, each with its
    // time; the phone dash the newest for half a minute after it was made.
    Browser browser(dir.file("profile"));
    ASSERT_EQ(browser.error(), "");
    browser.open(QStringLiteral("http://127.0.0.1:%1/?lang=English").arg(port));
    EXPECT_TRUE(browser.waitFor(
        QStringLiteral("document.getElementById('engineer').textContent.split('\\n')"
                       ".filter((line) => /^\\d\\d:\\d\\d:\\d\\d  \\S/.test(line)).length === 3")))
        << browser.markup();
    browser.open(QStringLiteral("http://127.0.0.1:%1/dash?lang=English").arg(port));
    EXPECT_TRUE(browser.waitFor(QStringLiteral("!document.getElementById('radio').hidden")));
    browser.evaluate(QStringLiteral("Date.now = ((now) => () => now() + 31000)(Date.now)"));
    EXPECT_TRUE(browser.waitFor(QStringLiteral("document.getElementById('radio').hidden")));
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(testing::kPatienceMs));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

} // namespace
} // namespace ostrelo::app
