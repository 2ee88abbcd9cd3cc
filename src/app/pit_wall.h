// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "engineer/race_engineer.h"
#include "i18n/texts.h"
#include "radio/radio.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace ostrelo::app {

/// The race engineer and the radio as the settings have them: the engineer counts with the
/// driver's fuel plan from the start, each sample shown feeds both, and what the driver
/// chooses in the engineer's window is followed and kept in the settings file.
class PitWall {
public:
    /// Makes the voice that speaks the calls.
    using VoiceMaker = std::function<std::unique_ptr<radio::Voice>()>;

    /// `history` keeps the laps; none for a replay, whose laps are kept already. The voice is
    /// made by `makeVoice` when the radio is first on; without one the calls are lines only.
    PitWall(core::SettingsStore &store, core::Settings &settings, engineer::LapHistory *history,
            VoiceMaker makeVoice = {});

    PitWall(const PitWall &) = delete;
    PitWall &operator=(const PitWall &) = delete;

    engineer::RaceEngineer &engineer() { return m_engineer; }
    const engineer::RaceEngineer &engineer() const { return m_engineer; }
    radio::Radio &radio() { return m_radio; }
    const radio::Radio &radio() const { return m_radio; }
    /// The radio's voice, made now if the radio is on and has none yet; none before that.
    const radio::Voice *voice();

    /// A sample shown at `nowMs`: the engineer takes it, then the radio, in the language of
    /// `texts` and the settings' units.
    void take(const telemetry::TelemetrySample &sample, std::int64_t nowMs,
              const i18n::Texts &texts);
    void choosePlan(const engineer::FuelPlan &plan);
    void chooseRadio(const radio::RadioSettings &chosen);

private:
    core::SettingsStore &m_store;
    core::Settings &m_settings;
    engineer::RaceEngineer m_engineer;
    radio::Radio m_radio;
    VoiceMaker m_makeVoice;
    // After the radio: the voice goes first.
    std::unique_ptr<radio::Voice> m_voice;
};

} // namespace ostrelo::app
