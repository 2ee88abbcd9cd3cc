#include "app/program.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/ini_file.h"
#include "core/scan_time.h"
#include "dashboard/graphics_mode.h"
#include "dashboard/units.h"
#include "i18n/language.h"
#include "i18n/language_table.h"
#include "net/connection_mode.h"
#include "platform/clock.h"

namespace ostrelo::app {

using core::MenuItem;

Program::Program(core::AppState &state, core::MainView &view, platform::ProcessMemory &memory)
    : m_state(state), m_view(view), m_attachment(memory, state, view),
      m_memory(memory, m_attachment), m_acquisition(m_memory, state),
      m_displayPhase(state, view, m_display, platform::tickCountMs) {
}

void Program::resetAttachment() {
    m_attachment.reset();
}

void Program::applySettings() {
    const auto reset = [this] { resetAttachment(); };
    i18n::Canvia_Idioma(m_state, m_view, reset);
    core::Canvia_Scan(m_state, m_view, reset);
    net::Canvia_Conexio(m_state, m_view);
    dashboard::Canvia_Grafics(m_state, m_view);
    dashboard::Canvia_Unitats(m_state, m_view, m_display);
    net::Canvia_Dades_Serv(m_state, m_view);
}

void Program::menuChosen(core::MenuItem item) {
    const auto reset = [this] { resetAttachment(); };
    for (const i18n::Language &language : i18n::languages()) {
        if (language.menuItem == item) {
            i18n::chooseLanguage(m_state, m_view, language.name, reset);
            return;
        }
    }
    for (const auto &[scanItem, interval] : core::kScanTimeItems) {
        if (scanItem == item) {
            core::chooseScanTime(m_state, m_view, interval, reset);
            return;
        }
    }
    switch (item) {
    case MenuItem::Graficos:
        dashboard::toggleGraphics(m_state, m_view);
        break;
    case MenuItem::Metrico:
        dashboard::chooseUnits(m_state, m_view, m_display, "Metric");
        break;
    case MenuItem::Imperial:
        dashboard::chooseUnits(m_state, m_view, m_display, "Imperial");
        break;
    case MenuItem::Cap:
        net::chooseNoConnection(m_state, m_view);
        break;
    case MenuItem::VeureDadesServidor:
        net::toggleShowServerData(m_state, m_view);
        break;
    default:
        // Server and client dialogs and the About window come with their windows.
        break;
    }
}

void Program::scanTick() {
    if (m_state.CurrentCarName != m_state.SkinCarName) {
        m_view.stopScanTimer();
        // The car picture lookup comes with the pictures; a failure there is ignored.
        m_state.SkinCarName = m_state.CurrentCarName;
        m_view.startScanTimer();
    }
    Temps();
}

void Program::saveWindowPosition() {
    const double left = m_view.windowLeftTwips();
    if (left != m_state.settings.PosFormX) {
        core::WriteIni("Opcions", "PosFormX", core::NumberToText(left), m_state.IniPath);
        m_state.settings.PosFormX = core::ToInteger32(left);
    }
    const double top = m_view.windowTopTwips();
    if (top != m_state.settings.PosFormY) {
        core::WriteIni("Opcions", "PosFormY", core::NumberToText(top), m_state.IniPath);
        m_state.settings.PosFormY = core::ToInteger32(top);
    }
}

void Program::Temps() {
    core::trap("Temps", [&] {
        saveWindowPosition();
        // The connection upkeep comes here with the network link.
        if (m_state.settings.TipusConexio == 2) {
            return;
        }
        m_state.GameActive = m_attachment.RACE07_Actiu();
        if (m_state.GameActive) {
            if (m_state.settings.Depurar) {
                m_state.ProcessStartTick = platform::tickCountMs();
            }
            Lectures();
            return;
        }
        // A server with a client sends the game-not-running frame here once the network
        // link exists.
    });
}

void Program::Lectures() {
    core::trap("Lectures", [&] {
        const std::int16_t mode = m_state.settings.TipusConexio;
        acquisition::TelemetrySample sample;
        if (mode == 0 || mode == 1) {
            if (!m_acquisition.acquire(sample)) {
                return;
            }
        }
        // Sending as a server and parsing as a client come with the network link.
        if (mode == 1 && !m_state.settings.DadesServ) {
            return;
        }
        m_displayPhase.show(sample);
    });
}

void Program::windowClosing() {
    resetAttachment();
}

} // namespace ostrelo::app
