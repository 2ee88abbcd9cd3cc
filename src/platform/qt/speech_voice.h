// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/radio.h"

#include <QObject>
#include <QString>

class QSemaphore;

#include <functional>
#include <memory>
#include <string>

namespace ostrelo::platform {

class SpeechEngine;

/// The radio's voice through Qt's text to speech (speech-dispatcher with espeak-ng on Linux),
/// speaking in the voice of the call's language. The engine lives in a thread of its own:
/// speech-dispatcher's library waits for its daemon, and a daemon that never answers (one
/// without a sound device) holds only that thread, never the dashboard.
class SpeechVoice : public QObject, public radio::Voice {
    Q_OBJECT

public:
    /// `engine` names Qt's engine ("speechd"); empty takes the default one. The engine starts
    /// in its thread; until it has said otherwise the voice counts as ready.
    explicit SpeechVoice(const QString &engine = {}, QObject *parent = nullptr);
    /// Waits a moment for the engine to close; one that does not answer is left behind.
    ~SpeechVoice() override;

    bool ready() const override { return m_problem.empty(); }
    bool speaking() const override { return m_speaking; }
    void say(const std::string &text, const std::string &locale, double volume) override;

    /// Why there is no voice, in the engine's words; empty while there is one.
    const std::string &problem() const { return m_problem; }

private:
    void engineSaid(bool failed, const QString &problem);

    // Released when the engine has closed.
    std::shared_ptr<QSemaphore> m_closed;
    SpeechEngine *m_engine;
    bool m_speaking = false;
    std::string m_problem;
};

} // namespace ostrelo::platform
