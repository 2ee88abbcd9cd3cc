// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/speech_voice.h"

#include <gtest/gtest.h>

namespace ostrelo::platform {
namespace {

// An engine that cannot speak leaves the radio with its lines and says why; asked to speak,
// it says nothing and stays quiet.
TEST(SpeechVoice, WithoutAnEngineSaysWhyAndSpeaksNot) {
    SpeechVoice voice(QStringLiteral("no-such-engine"));
    EXPECT_FALSE(voice.ready());
    EXPECT_NE(voice.problem(), "");
    voice.say("Box this lap", "en_GB", 0.5);
    EXPECT_FALSE(voice.speaking());
}

} // namespace
} // namespace ostrelo::platform
