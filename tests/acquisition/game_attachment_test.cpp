// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/game_attachment.h"
#include "fakes/fake_process_memory.h"
#include "support/error_capture.h"

#include <gtest/gtest.h>

namespace ostrelo::acquisition {
namespace {

class GameAttachmentTest : public ::testing::Test {
protected:
    GameAttachmentTest() {
        settings.ScanTime = 500;
        attachment.onStatus = [this](GameStatus told) {
            status = told == GameStatus::Running ? "RUNNING" : "NOT RUNNING";
        };
        attachment.onOpenFailure = [this] { ++openFailureMessages; };
    }

    // One tick as the program runs it: the result becomes GameActive.
    bool tick() {
        gameActive = attachment.RACE07_Actiu();
        return gameActive;
    }

    // Ticks until the result changes; returns how many ticks gave the old result.
    int ticksWhile(bool result) {
        int ticks = 0;
        while (tick() == result && ticks < 1000) {
            ++ticks;
        }
        return ticks;
    }

    core::Settings settings;
    bool gameActive = false;
    std::string status;
    int openFailureMessages = 0;
    testing::FakeProcessMemory memory;
    GameAttachment attachment{memory, settings, gameActive};
};

TEST_F(GameAttachmentTest, AttachesAfterTheDelayCountedInTicks) {
    struct Case {
        std::int16_t scanTime;
        int inactiveTicks;
    };
    // Inactive while the counter is below 3500 / ScanTime, then attached.
    const Case cases[] = {{500, 7}, {10, 350}, {50, 70}, {150, 24}, {1000, 4}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scanTime);
        memory.windows.clear();
        attachment.reset();
        settings.ScanTime = c.scanTime;
        memory.windows["RACE 07"] = 5;
        EXPECT_EQ(ticksWhile(false), c.inactiveTicks);
        EXPECT_FALSE(attachment.processClosed());
        EXPECT_EQ(memory.lastOpened, 1005u);
        EXPECT_EQ(attachment.attachCounter(), 0);
        EXPECT_EQ(status, "RUNNING");
    }
}

TEST_F(GameAttachmentTest, StaysActiveThroughTheGraceTicksThenCloses) {
    struct Case {
        std::int16_t scanTime;
        int graceTicks;
    };
    const Case cases[] = {{500, 3}, {10, 150}, {1000, 2}, {150, 10}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scanTime);
        attachment.reset();
        settings.ScanTime = c.scanTime;
        memory.windows["RACE 07"] = 5;
        ticksWhile(false);
        memory.windows.clear();
        EXPECT_EQ(ticksWhile(true), c.graceTicks);
        EXPECT_TRUE(attachment.processClosed());
        EXPECT_EQ(memory.openHandles, 0);
        EXPECT_EQ(attachment.attachCounter(), 0);
        EXPECT_EQ(status, "NOT RUNNING");
    }
}

TEST_F(GameAttachmentTest, AWindowBackDuringTheGraceKeepsTheHandle) {
    memory.windows["RACE 07"] = 5;
    ticksWhile(false);
    memory.windows.clear();
    EXPECT_TRUE(tick());
    EXPECT_EQ(attachment.attachCounter(), 1);
    memory.windows["RACE 07"] = 5;
    EXPECT_TRUE(tick());
    EXPECT_EQ(attachment.attachCounter(), 0);
    EXPECT_EQ(memory.openCalls, 1);
}

TEST_F(GameAttachmentTest, AWindowVanishingDuringTheWaitStartsTheWaitAgain) {
    memory.windows["RACE 07"] = 5;
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(tick());
    }
    EXPECT_EQ(attachment.attachCounter(), 5);
    memory.windows.clear();
    EXPECT_FALSE(tick());
    EXPECT_EQ(attachment.attachCounter(), 0);
    EXPECT_EQ(memory.openCalls, 0);
    EXPECT_EQ(status, "NOT RUNNING");
    memory.windows["RACE 07"] = 5;
    EXPECT_EQ(ticksWhile(false), 7);
}

TEST_F(GameAttachmentTest, AFailedOpenIsRetriedEachTickWithOneMessageCall) {
    memory.openSucceeds = false;
    memory.windows["RACE 07"] = 5;
    // The backend's reason is reported once, under the attachment's name.
    testing::ErrorCapture capture;
    EXPECT_EQ(ticksWhile(false), 7);
    EXPECT_TRUE(attachment.processClosed());
    EXPECT_TRUE(tick());
    EXPECT_EQ(memory.openCalls, 2);
    EXPECT_EQ(openFailureMessages, 2);
    EXPECT_EQ(status, "");
    ASSERT_EQ(capture.reports().size(), 1u);
    EXPECT_EQ(capture.reports()[0].routine, "RACE07_Actiu");
    EXPECT_EQ(capture.reports()[0].description, "Process 1005 cannot be read.");
    memory.openSucceeds = true;
    EXPECT_TRUE(tick());
    EXPECT_FALSE(attachment.processClosed());
    EXPECT_EQ(status, "RUNNING");
    // Once a process opened, the same failure later is news again.
    attachment.reset();
    memory.openSucceeds = false;
    ticksWhile(false);
    EXPECT_EQ(capture.reports().size(), 2u);
}

TEST_F(GameAttachmentTest, AnEndedProcessOrAWindowOfAnotherProcessClosesTheGameAtOnce) {
    struct Case {
        const char *what;
        std::map<std::string, platform::WindowHandle> windowsAfter;
        bool processEnds;
        platform::ProcessId attachedAfter;
    };
    const Case cases[] = {
        {"RACE 07 ends, GTR Evolution runs on", {{"GTR Evolution", 9}}, true, 1009},
        {"RACE 07 restarts within the grace", {{"RACE 07", 6}}, true, 1006},
        {"the window is another process's", {{"RACE 07", 6}}, false, 1006},
        {"the process ends, its window stays", {{"RACE 07", 5}}, true, 1005},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        attachment.reset();
        memory.exited.clear();
        memory.windows = {{"RACE 07", 5}, {"GTR Evolution", 9}};
        ticksWhile(false);
        ASSERT_EQ(memory.lastOpened, 1005u);
        memory.windows = c.windowsAfter;
        if (c.processEnds) {
            memory.exited.insert(1005);
        }
        EXPECT_FALSE(tick());
        EXPECT_TRUE(attachment.processClosed());
        EXPECT_EQ(memory.openHandles, 0);
        EXPECT_EQ(status, "NOT RUNNING");
        memory.exited.clear();
        EXPECT_EQ(ticksWhile(false), 6);
        EXPECT_EQ(memory.lastOpened, c.attachedAfter);
        EXPECT_EQ(status, "RUNNING");
    }
    // The same window of the same living process changes nothing and asks nothing more.
    const int asked = memory.windowProcessCalls;
    EXPECT_TRUE(tick());
    EXPECT_EQ(memory.openHandles, 1);
    EXPECT_EQ(memory.windowProcessCalls, asked);
}

TEST_F(GameAttachmentTest, PrefersRace07OverGtrEvolution) {
    memory.windows["GTR Evolution"] = 9;
    ticksWhile(false);
    EXPECT_EQ(memory.lastOpened, 1009u);
    attachment.reset();
    memory.windows["RACE 07"] = 5;
    ticksWhile(false);
    EXPECT_EQ(memory.lastOpened, 1005u);
}

TEST_F(GameAttachmentTest, ResetClosesTheHandleAndStartsOver) {
    memory.windows["RACE 07"] = 5;
    ticksWhile(false);
    attachment.reset();
    EXPECT_FALSE(gameActive);
    EXPECT_TRUE(attachment.processClosed());
    EXPECT_EQ(memory.openHandles, 0);
    EXPECT_EQ(ticksWhile(false), 7);
}

TEST_F(GameAttachmentTest, AScanTimeOfZeroIsReportedAndCountsAsNotRunning) {
    settings.ScanTime = 0;
    memory.windows["RACE 07"] = 5;
    testing::ErrorCapture capture;
    EXPECT_FALSE(tick());
    ASSERT_EQ(capture.reports().size(), 1u);
    EXPECT_EQ(capture.reports()[0].routine, "RACE07_Actiu");
}

} // namespace
} // namespace ostrelo::acquisition
