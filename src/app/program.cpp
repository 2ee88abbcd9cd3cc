// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/ip_address.h"
#include "core/settings_location.h"
#include "dashboard/graphics_mode.h"
#include "dashboard/language_switch.h"
#include "dashboard/menus.h"
#include "dashboard/scan_time.h"
#include "dashboard/skins.h"
#include "dashboard/units.h"
#include "i18n/messages.h"
#include "net/connection_mode.h"
#include "net/dialog_answers.h"
#include "net/frame.h"
#include "platform/clock.h"

#include <algorithm>
#include <chrono>

namespace ostrelo::app {

using dashboard::MenuItem;

Program::Program(runtime::AppState &state, windows::MainView &view, platform::ProcessMemory &memory,
                 platform::StreamSocket &server, platform::StreamSocket &client)
    : m_state(state), m_view(view), m_attachment(memory, state.settings, state.GameActive),
      m_memory(memory, m_attachment), m_acquisition(m_memory, state.settings, state.followed),
      m_displayPhase(m_screen, m_display, platform::tickCountMs), m_clientSocket(client),
      m_connection(state.settings, state.texts, state.link, server, client) {
    m_attachment.onStatus = [this](acquisition::GameStatus status) {
        m_screen.gameStatus = status == acquisition::GameStatus::Running
                                  ? m_state.texts.TextGameRunning
                                  : m_state.texts.TextGameNotRunning;
    };
    m_attachment.onOpenFailure = [this] { m_view.showOpenProcessFailure(); };
    m_connection.onListenFailure = [this](const std::string &text) {
        m_view.showListenFailure(text);
    };
    server.onConnectionRequest = [this] { m_connection.acceptConnection(); };
    server.onSendComplete = [this] { m_connection.sendComplete(); };
    client.onDataArrival = [this] { TCPClient_DataArrival(); };
    m_connection.onClientConnecting = [this] { m_joiner.clear(); };
}

dashboard::ViewOptions Program::windowView() const {
    const core::Settings &s = m_state.settings;
    return {&m_state.texts, s.Unitats == core::Units::Imperial, !s.NoGrafics, s.Depurar,
            m_state.ProcessStartTick};
}

dashboard::FollowedSlot Program::followed() const {
    return {m_state.followed.SlotMode, m_state.followed.CarSlot};
}

void Program::replayMoved() {
    m_book.forget();
    m_displayPhase.forgetLap();
}

void Program::resetAttachment() {
    m_attachment.reset();
}

void Program::present() {
    m_screen.linkStatus = net::linkStatusText(m_connection.status(), m_state.texts);
    dashboard::showMenus(m_screen, m_state.settings, m_state.texts);
    dashboard::showSampleAge(m_screen, m_sampleAge, platform::tickCountMs(),
                             m_replay && m_replay->paused(), m_state.texts);
    m_view.apply(m_screen);
    if (onPresent) {
        onPresent(m_newSample ? &m_presentedSample : nullptr);
    }
    m_newSample = false;
    if (m_debugSink && m_state.settings.Depurar) {
        m_debugSink(m_displayPhase.debugLines());
    }
}

void Program::start(char decimalSeparator) {
    m_display.decimalSeparator = decimalSeparator;
    applySettings();
    m_state.store.flush();
}

void Program::applySettings() {
    const auto reset = [this] { resetAttachment(); };
    dashboard::Canvia_Idioma(m_state.store, m_state.settings, m_state.texts, m_screen, reset);
    dashboard::Canvia_Scan(m_state.store, m_state.settings, m_state.texts, m_screen, reset);
    net::Canvia_Conexio(m_state.store, m_state.settings, m_connection);
    dashboard::Canvia_Grafics(m_state.store, m_state.settings, m_screen);
    dashboard::Canvia_Unitats(m_state.store, m_state.settings, m_screen, m_display, m_book);
    net::Canvia_Dades_Serv(m_state.store, m_state.settings);
    present();
}

void Program::menuChosen(MenuItem item) {
    chooseMenuItem(item);
    present();
}

namespace {

// A choice of the value in force changes nothing and writes nothing.
template <typename Value, typename Apply>
void choose(Value &setting, Value value, const Apply &apply) {
    if (setting == value) {
        return;
    }
    setting = std::move(value);
    apply();
}

} // namespace

void Program::chooseMenuItem(MenuItem item) {
    const auto reset = [this] { resetAttachment(); };
    core::Settings &s = m_state.settings;
    for (const dashboard::LanguageItem &language : dashboard::languageItems()) {
        if (language.item == item) {
            choose(s.Idioma, std::string(language.idioma), [&] {
                dashboard::Canvia_Idioma(m_state.store, m_state.settings, m_state.texts, m_screen,
                                         reset);
            });
            return;
        }
    }
    for (const auto &[scanItem, interval] : dashboard::kScanTimeItems) {
        if (scanItem == item) {
            choose(s.ScanTime, interval, [&] {
                dashboard::Canvia_Scan(m_state.store, m_state.settings, m_state.texts, m_screen,
                                       reset);
            });
            return;
        }
    }
    const auto applyUnits = [&] {
        dashboard::Canvia_Unitats(m_state.store, m_state.settings, m_screen, m_display, m_book);
    };
    switch (item) {
    case MenuItem::Graficos:
        s.NoGrafics = !s.NoGrafics;
        dashboard::Canvia_Grafics(m_state.store, m_state.settings, m_screen);
        break;
    case MenuItem::Metrico:
        choose(s.Unitats, core::Units::Metric, applyUnits);
        break;
    case MenuItem::Imperial:
        choose(s.Unitats, core::Units::Imperial, applyUnits);
        break;
    case MenuItem::Cap:
        choose(s.TipusConexio, core::ConnectionMode::None,
               [&] { net::Canvia_Conexio(m_state.store, m_state.settings, m_connection); });
        break;
    case MenuItem::Servidor:
        m_view.openServerDialog(m_state.texts, m_state.settings.Port);
        break;
    case MenuItem::Client:
        m_view.openClientDialog(m_state.texts, m_state.settings.IP, m_state.settings.Port);
        break;
    case MenuItem::VeureDadesServidor:
        s.DadesServ = !s.DadesServ;
        net::Canvia_Dades_Serv(m_state.store, m_state.settings);
        break;
    case MenuItem::Gravar:
        if (onRecordChosen) {
            onRecordChosen();
        }
        break;
    case MenuItem::Enginyer:
        if (onOpenEngineer) {
            onOpenEngineer();
        }
        break;
    case MenuItem::Classificacio:
        if (onOpenStandings) {
            onOpenStandings();
        }
        break;
    case MenuItem::PanellWeb:
        m_view.openWebDialog(m_state.texts, s.WebEnabled, s.WebAddress,
                             std::string(core::trimBlanks(s.WebPort)), m_screen.webAddress);
        break;
    case MenuItem::SuperposicioVisible:
    case MenuItem::SuperposicioBloquejada: {
        const bool show = item == MenuItem::SuperposicioVisible;
        bool &setting = show ? s.OverlayShown : s.OverlayLocked;
        setting = !setting;
        core::saveSetting(m_state.store, s,
                          show ? core::SettingKey::OverlayShown : core::SettingKey::OverlayLocked);
        if (onOverlayChanged) {
            onOverlayChanged();
        }
        break;
    }
    case MenuItem::Radio:
        s.RadioEnabled = !s.RadioEnabled;
        core::saveSetting(m_state.store, s, core::SettingKey::RadioEnabled);
        if (onRadioChanged) {
            onRadioChanged();
        }
        break;
    case MenuItem::AcercaDe:
        m_view.openAbout(m_state.texts);
        break;
    default:
        break;
    }
}

void Program::applyConfirmedConnection(const core::Settings &before) {
    const core::Settings &now = m_state.settings;
    const bool moved = before.TipusConexio != now.TipusConexio || before.Port != now.Port ||
                       (now.TipusConexio == core::ConnectionMode::Client && before.IP != now.IP);
    if (moved) {
        // A new port or peer holds at once: listen again, or connect to the new server.
        m_connection.closeBoth();
    }
    net::Canvia_Conexio(m_state.store, m_state.settings, m_connection);
    if (moved) {
        core::trap("Canvia_Conexio", [&] { m_connection.upkeep(); });
    }
}

std::string Program::serverDialogConfirmed(const std::string &port) {
    const core::Settings before = m_state.settings;
    if (net::confirmServerDialog(m_state.settings, port) != net::DialogOutcome::Accepted) {
        return m_state.texts.TextBadPort;
    }
    applyConfirmedConnection(before);
    present();
    return {};
}

std::string Program::clientDialogConfirmed(const std::string &ip, const std::string &port) {
    const core::Settings before = m_state.settings;
    switch (net::confirmClientDialog(m_state.settings, ip, port)) {
    case net::DialogOutcome::BadAddress:
        return m_state.texts.TextBadIP;
    case net::DialogOutcome::BadPort:
        return m_state.texts.TextBadPort;
    case net::DialogOutcome::Accepted:
        break;
    }
    applyConfirmedConnection(before);
    present();
    return {};
}

std::string Program::webDialogConfirmed(bool enabled, const std::string &address,
                                        const std::string &port) {
    if (!core::isListenAddress(address)) {
        return m_state.texts.TextBadIP;
    }
    if (!net::isValidPort(port)) {
        return m_state.texts.TextBadPort;
    }
    core::Settings &s = m_state.settings;
    s.WebEnabled = enabled;
    s.WebAddress = address.empty() ? "0.0.0.0" : address;
    s.WebPort = core::NumberToText(core::TextToNumber(port));
    for (const core::SettingKey key :
         {core::SettingKey::WebEnabled, core::SettingKey::WebAddress, core::SettingKey::WebPort}) {
        core::saveSetting(m_state.store, s, key);
    }
    if (onWebSettingsChanged) {
        onWebSettingsChanged();
    }
    present();
    return {};
}

void Program::setRecording(bool recording) {
    m_screen.menu(MenuItem::Gravar).checked = recording;
    present();
}

bool Program::replayingAsClient() const {
    return m_replay && m_state.settings.TipusConexio == core::ConnectionMode::Client;
}

core::ConnectionMode Program::sampleSource() const {
    // A replay plays as the game would, whatever the connection setting says.
    return replayingAsClient() ? core::ConnectionMode::None : m_state.settings.TipusConexio;
}

void Program::setReplay(replay::ReplayPlayer *player) {
    m_replay = player;
    if (replayingAsClient()) {
        // The client gives way for this run; the setting stays as it is.
        m_connection.closeBoth();
    }
    m_replayTick = platform::tickCountMs();
    resetAttachment();
}

std::string Program::webListened(int port, const std::string &problem, const std::string &url) {
    if (problem.empty()) {
        setWebAddress(url);
        return {};
    }
    const std::string text =
        i18n::fill(m_state.texts.TextWebCannotListen, {std::to_string(port), problem});
    m_view.showListenFailure(text);
    setWebAddress({});
    return text;
}

void Program::setWebAddress(const std::string &url) {
    m_screen.webAddress = url;
    present();
}

void Program::scanTick() {
    if (m_state.CurrentCarName != m_state.SkinCarName) {
        // A slow picture must not be overtaken by the next tick; a car without a picture
        // keeps the last one, and the lookup waits for the next change of car.
        m_view.stopScanTimer();
        if (const auto file = dashboard::carPictureFile(core::settingsFolder(m_state.store.path()),
                                                        m_state.CurrentCarName)) {
            m_view.loadCarPicture(*file);
        }
        m_state.SkinCarName = m_state.CurrentCarName;
        m_view.startScanTimer();
    }
    Temps();
    present();
}

void Program::saveWindowPosition() {
    const double left = m_view.windowLeftTwips();
    if (left != m_state.settings.PosFormX) {
        m_state.settings.PosFormX = core::ToInteger32(left);
        core::saveSetting(m_state.store, m_state.settings, core::SettingKey::PosFormX);
    }
    const double top = m_view.windowTopTwips();
    if (top != m_state.settings.PosFormY) {
        m_state.settings.PosFormY = core::ToInteger32(top);
        core::saveSetting(m_state.store, m_state.settings, core::SettingKey::PosFormY);
    }
}

void Program::Temps() {
    core::trap("Temps", [&] {
        // Settings that could not be written (a read-only or vanished file) go out again.
        m_state.store.flush();
        saveWindowPosition();
        // A link that fails shows on its status line and in its message; the game is read and
        // shown all the same.
        if (!replayingAsClient()) {
            core::trap("Temps", [&] { m_connection.upkeep(); });
        }
        if (sampleSource() == core::ConnectionMode::Client) {
            return;
        }
        if (m_replay) {
            const std::int32_t now = platform::tickCountMs();
            m_replayed = m_replay->advance(static_cast<std::int32_t>(
                static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(m_replayTick)));
            m_replayTick = now;
            if (m_replayed) {
                m_state.GameActive = true;
                m_screen.gameStatus = m_state.texts.TextGameRunning;
                Lectures();
            } else if (m_replay->finished()) {
                // The session is over, as a game that has ended.
                m_state.GameActive = false;
                m_screen.gameStatus = m_state.texts.TextGameNotRunning;
            }
            return;
        }
        m_state.GameActive = m_attachment.RACE07_Actiu();
        if (m_state.GameActive) {
            if (m_state.settings.Depurar) {
                m_state.ProcessStartTick = platform::tickCountMs();
            }
            Lectures();
        } else if (m_connection.canSend()) {
            // The client's status line follows the game's even while there is no sample.
            m_connection.send(net::writeNoGameFrame(m_screen.gameStatus));
        }
    });
}

void Program::watchStandings(bool windowShown, bool browsersServed, bool overlayShown) {
    m_standingsWatched = windowShown || browsersServed || overlayShown;
    m_view.runFieldTimer(m_standingsWatched);
}

void Program::readField() {
    if (sampleSource() == core::ConnectionMode::Client || m_replay || !m_state.GameActive ||
        !onFieldRead || !m_acquisition.readField()) {
        return;
    }
    // On the samples' clock, which only goes forward.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    onFieldRead(m_acquisition.standings(),
                std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void Program::logSample(const telemetry::TelemetrySample &sample, const char *source,
                        const std::string &status) {
    if (m_log) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        m_log->write(std::chrono::duration_cast<std::chrono::milliseconds>(now).count(), source,
                     sample, m_state.followed.CarSlot, status);
    }
}

Program::Received Program::takeOverReceivedSample(telemetry::TelemetrySample &sample) {
    const std::vector<std::string> pieces = net::splitBody(m_receivedSample);
    if (pieces.size() != static_cast<std::size_t>(net::kFieldCount)) {
        // A frame of the wrong shape shows as an empty sample.
        return Received::WrongShape;
    }
    m_screen.gameStatus = pieces.back();
    const bool statusOnly = std::all_of(pieces.begin(), pieces.end() - 1,
                                        [](const std::string &piece) { return piece.empty(); });
    if (statusOnly) {
        // The game-not-running frame: the status line follows the server's, the rest of the
        // dashboard keeps its last values. It is a normal state, not an error.
        return Received::StatusOnly;
    }
    net::takeOver(pieces, sample, m_state.followed.CarSlot);
    return Received::Sample;
}

void Program::Lectures() {
    core::trap("Lectures", [&] {
        const core::ConnectionMode mode = sampleSource();
        using enum core::ConnectionMode;
        telemetry::TelemetrySample sample;
        if (mode != Client) {
            if (m_replayed) {
                m_current = std::move(*m_replayed);
                m_state.followed.CarSlot = m_current.carSlot;
                sample = m_current.sample;
                m_replayed.reset();
            } else if (!m_acquisition.acquire(sample)) {
                return;
            } else {
                m_current.sample = sample;
                // A clock that only goes forward: a system clock set back while recording
                // would play the samples after it out of their order.
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                m_current.timeMs =
                    std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
                m_current.carSlot = m_state.followed.CarSlot;
                m_current.standings = m_acquisition.standings();
                if (onAcquired) {
                    onAcquired(m_current);
                }
            }
            logSample(sample, "game", m_screen.gameStatus);
        }
        if (mode == Server && m_connection.canSend()) {
            m_connection.send(net::writeSampleFrame(
                sample, m_state.followed.CarSlot, m_screen.gameStatus, m_display.decimalSeparator));
        }
        if (mode == Client) {
            // The link carries the followed car alone: a client has no standings.
            m_current = {};
            // A frame that comes before the connection is seen is not shown at all, rather
            // than as an empty dashboard.
            if (!m_state.link.ClientConnected) {
                return;
            }
            switch (takeOverReceivedSample(sample)) {
            case Received::StatusOnly:
                return;
            case Received::Sample:
                logSample(sample, "received", m_screen.gameStatus);
                break;
            case Received::WrongShape:
                break;
            }
        }
        m_book.take(sample, m_state.followed.SlotMode);
        if (onPresent) {
            m_presentedSample = sample;
            m_newSample = true;
        }
        if (mode == Server && !m_state.settings.DadesServ) {
            return;
        }
        // The picture follows the car shown, even when a later step of the display fails.
        struct CarNameCopy {
            runtime::AppState &state;
            const dashboard::Screen &screen;
            ~CarNameCopy() { state.CurrentCarName = screen.carName; }
        } carNameCopy{m_state, m_screen};
        m_sampleAge.sampleShown(platform::tickCountMs());
        m_displayPhase.show(sample, windowView(), followed(), m_book);
    });
}

void Program::TCPClient_DataArrival() {
    // The scan timer is left running: the tick cannot interrupt this handler on the one
    // thread, and restarting the timer at every frame would hold the tick off for as long as
    // frames come faster than the scan time.
    core::trap("TCPClient_DataArrival", [&] {
        m_joiner.append(m_clientSocket.receiveAll());
        if (replayingAsClient()) {
            m_joiner.clear();
            return;
        }
        // Data on a connected socket is the connection seen, even before the next tick.
        if (m_clientSocket.state() == platform::kSocketConnected) {
            m_state.link.ClientConnected = true;
        }
        while (auto body = m_joiner.next()) {
            m_receivedSample = std::move(*body);
            Lectures();
        }
    });
    present();
}

void Program::windowClosing() {
    resetAttachment();
}

} // namespace ostrelo::app
