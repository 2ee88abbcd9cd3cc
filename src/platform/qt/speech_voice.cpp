// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/speech_voice.h"

#include <QLocale>

namespace ostrelo::platform {

SpeechVoice::SpeechVoice(const QString &engine, QObject *parent) : QObject(parent) {
    if (QTextToSpeech::availableEngines().isEmpty()) {
        return;
    }
    m_speech = engine.isEmpty() ? std::make_unique<QTextToSpeech>()
                                : std::make_unique<QTextToSpeech>(engine);
    connect(m_speech.get(), &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) {
        if (state == QTextToSpeech::Ready && onFinished) {
            onFinished();
        }
    });
}

SpeechVoice::~SpeechVoice() = default;

bool SpeechVoice::ready() const {
    return m_speech && m_speech->state() != QTextToSpeech::Error;
}

bool SpeechVoice::speaking() const {
    return m_speech && m_speech->state() == QTextToSpeech::Speaking;
}

void SpeechVoice::say(const std::string &text, const std::string &locale, double volume) {
    if (!ready()) {
        return;
    }
    const QLocale wanted(QString::fromStdString(locale));
    if (m_speech->locale() != wanted && m_speech->availableLocales().contains(wanted)) {
        m_speech->setLocale(wanted);
    }
    m_speech->setVolume(volume);
    m_speech->say(QString::fromStdString(text));
}

std::string SpeechVoice::problem() const {
    if (!m_speech) {
        return "no text-to-speech engine is installed";
    }
    return m_speech->state() == QTextToSpeech::Error ? m_speech->errorString().toStdString()
                                                     : std::string();
}

} // namespace ostrelo::platform
