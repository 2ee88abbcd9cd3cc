// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/speech_voice.h"
#include "support/patience.h"
#include "support/silent_socket.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTextToSpeech>

#include <gtest/gtest.h>

#include <cstdlib>

namespace ostrelo::platform {
namespace {

template <typename Condition> bool runUntil(Condition condition) {
    const QDeadlineTimer deadline(testing::kPatienceMs);
    while (!condition() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return condition();
}

// An engine that cannot speak leaves the radio with its lines and says why; asked to speak,
// it says nothing and stays quiet.
TEST(SpeechVoice, WithoutAnEngineSaysWhyAndSpeaksNot) {
    SpeechVoice voice(QStringLiteral("no-such-engine"));
    int told = 0;
    voice.onFinished = [&told] { ++told; };
    ASSERT_TRUE(runUntil([&voice] { return !voice.ready(); }));
    EXPECT_NE(voice.problem(), "");
    EXPECT_EQ(told, 1);
    voice.say("Box this lap", "en_GB", 0.5);
    EXPECT_FALSE(voice.speaking());
}

// speech-dispatcher's library waits for its daemon's answers; a daemon that takes the
// connection and never answers holds the speech thread only. The dashboard's thread asks
// for a call and closes the voice, and both return.
TEST(SpeechVoice, ADaemonThatNeverAnswersHoldsNeitherTheCallerNorItsEnd) {
    if (!QTextToSpeech::availableEngines().contains(QStringLiteral("speechd"))) {
        GTEST_SKIP() << "Qt's speech-dispatcher engine is not installed";
    }
    const testing::TempDir dir;
    const std::string path = dir.file("speechd.sock");
    const testing::SilentSocket daemon(path);
    ASSERT_TRUE(daemon.listening());
    ASSERT_EQ(setenv("SPEECHD_ADDRESS", ("unix_socket:" + path).c_str(), 1), 0);
    {
        SpeechVoice voice(QStringLiteral("speechd"));
        EXPECT_TRUE(voice.ready());
        voice.say("Box this lap", "en_GB", 0.5);
        EXPECT_TRUE(voice.speaking());
    }
    // The voice went without the engine: the daemon never answered.
    unsetenv("SPEECHD_ADDRESS");
}

} // namespace
} // namespace ostrelo::platform
