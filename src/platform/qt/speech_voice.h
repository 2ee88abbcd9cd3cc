// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/radio.h"

#include <QObject>
#include <QTextToSpeech>

#include <functional>
#include <memory>
#include <string>

namespace ostrelo::platform {

/// The radio's voice through Qt's text to speech (speech-dispatcher with espeak-ng on
/// Linux): ready when an engine runs, speaking in the voice of the call's language.
class SpeechVoice : public QObject, public radio::Voice {
    Q_OBJECT

public:
    /// `engine` names Qt's engine ("speechd"); empty takes the default one.
    explicit SpeechVoice(const QString &engine = {}, QObject *parent = nullptr);
    ~SpeechVoice() override;

    bool ready() const override;
    bool speaking() const override;
    void say(const std::string &text, const std::string &locale, double volume) override;

    /// Why there is no voice, in the engine's words; empty while there is one.
    std::string problem() const;
    /// Called when a call has been said, so that the next one can be.
    std::function<void()> onFinished;

private:
    std::unique_ptr<QTextToSpeech> m_speech;
};

} // namespace ostrelo::platform
