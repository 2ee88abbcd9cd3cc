// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pit_wall.h"

#include "app/radio_settings.h"

namespace ostrelo::app {

PitWall::PitWall(core::SettingsStore &store, core::Settings &settings,
                 engineer::LapHistory *history, VoiceMaker makeVoice)
    : m_store(store), m_settings(settings), m_engineer(history), m_makeVoice(std::move(makeVoice)) {
    m_engineer.setFuelPlan(fuelPlan(m_settings));
}

const radio::Voice *PitWall::voice() {
    if (!m_voice && m_makeVoice && m_settings.RadioEnabled) {
        m_voice = m_makeVoice();
        m_voice->onFinished = [this] { m_radio.speakNext(radioSettings(m_settings)); };
        m_radio.setVoice(m_voice.get());
    }
    return m_voice.get();
}

void PitWall::take(const telemetry::TelemetrySample &sample, std::int64_t nowMs,
                   const i18n::Texts &texts) {
    voice();
    m_engineer.feed(sample, nowMs);
    m_radio.take(
        {sample, m_engineer, m_settings, texts, m_settings.Unitats == core::Units::Imperial, nowMs},
        m_settings.Idioma, radioSettings(m_settings));
}

void PitWall::choosePlan(const engineer::FuelPlan &plan) {
    storeFuelPlan(m_store, m_settings, plan);
    m_engineer.setFuelPlan(fuelPlan(m_settings));
}

void PitWall::chooseRadio(const radio::RadioSettings &chosen) {
    storeRadio(m_store, m_settings, chosen);
}

} // namespace ostrelo::app
