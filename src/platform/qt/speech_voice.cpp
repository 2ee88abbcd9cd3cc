// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/speech_voice.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocale>
#include <QSemaphore>
#include <QTextToSpeech>
#include <QThread>

namespace ostrelo::platform {
namespace {

QThread *speechThread();

// A closing engine's wait for its daemon, beyond which the program goes on without it.
constexpr int kCloseWaitMs = 1000;

QThread *startedSpeechThread() {
    auto *thread = new QThread;
    thread->setObjectName(QStringLiteral("speech"));
    thread->start();
    // Ended with the application, if its engine lets it; one held by its daemon is left.
    qAddPostRoutine([] {
        speechThread()->quit();
        speechThread()->wait(QDeadlineTimer(kCloseWaitMs));
    });
    return thread;
}

/// The thread the engines speak in, for as long as the program runs: an engine held by its
/// daemon may never give it back, so it is never destroyed.
QThread *speechThread() {
    static QThread *const thread = startedSpeechThread();
    return thread;
}

} // namespace

/// Qt's text to speech, made, used and closed in the speech thread.
class SpeechEngine : public QObject {
    Q_OBJECT

public:
    explicit SpeechEngine(std::shared_ptr<QSemaphore> closed) : m_closed(std::move(closed)) {}
    ~SpeechEngine() override {
        m_speech.reset();
        m_closed->release();
    }

    void start(const QString &engine) {
        if (QTextToSpeech::availableEngines().isEmpty()) {
            emit said(true, QStringLiteral("no text-to-speech engine is installed"));
            return;
        }
        m_speech = engine.isEmpty() ? std::make_unique<QTextToSpeech>()
                                    : std::make_unique<QTextToSpeech>(engine);
        if (m_speech->state() == QTextToSpeech::Error) {
            emit said(true, m_speech->errorString());
            return;
        }
        connect(m_speech.get(), &QTextToSpeech::stateChanged, this,
                [this](QTextToSpeech::State state) {
                    if (state == QTextToSpeech::Ready || state == QTextToSpeech::Error) {
                        emit said(state == QTextToSpeech::Error, m_speech->errorString());
                    }
                });
    }

    void say(const QString &text, const QString &locale, double volume) {
        if (!m_speech || m_speech->state() == QTextToSpeech::Error) {
            emit said(true, QString());
            return;
        }
        const QLocale wanted(locale);
        if (m_speech->locale() != wanted && m_speech->availableLocales().contains(wanted)) {
            m_speech->setLocale(wanted);
        }
        m_speech->setVolume(volume);
        m_speech->say(text);
    }

signals:
    /// A call has been said (`failed` false), or the engine cannot speak and says why.
    void said(bool failed, const QString &problem);

private:
    std::unique_ptr<QTextToSpeech> m_speech;
    std::shared_ptr<QSemaphore> m_closed;
};

SpeechVoice::SpeechVoice(const QString &engine, QObject *parent)
    : QObject(parent), m_closed(std::make_shared<QSemaphore>()),
      m_engine(new SpeechEngine(m_closed)) {
    m_engine->moveToThread(speechThread());
    connect(m_engine, &SpeechEngine::said, this, &SpeechVoice::engineSaid);
    QMetaObject::invokeMethod(m_engine,
                              [engine = m_engine, name = engine] { engine->start(name); });
}

SpeechVoice::~SpeechVoice() {
    disconnect(m_engine, nullptr, this, nullptr);
    QMetaObject::invokeMethod(m_engine, [engine = m_engine] { delete engine; });
    m_closed->tryAcquire(1, kCloseWaitMs);
}

void SpeechVoice::say(const std::string &text, const std::string &locale, double volume) {
    if (!ready()) {
        return;
    }
    m_speaking = true;
    QMetaObject::invokeMethod(m_engine, [engine = m_engine, text = QString::fromStdString(text),
                                         locale = QString::fromStdString(locale),
                                         volume] { engine->say(text, locale, volume); });
}

void SpeechVoice::engineSaid(bool failed, const QString &problem) {
    m_speaking = false;
    if (failed && m_problem.empty()) {
        m_problem =
            problem.isEmpty() ? std::string("the speech engine failed") : problem.toStdString();
    }
    if (onFinished) {
        onFinished();
    }
}

} // namespace ostrelo::platform

#include "speech_voice.moc"
