// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/language_table.h"
#include "replay/replay_player.h"
#include "replay/replay_session.h"
#include "replay/session_format.h"
#include "replay/session_recorder.h"
#include "replay/session_source.h"
#include "support/error_capture.h"
#include "support/temp_dir.h"
#include "telemetry/telemetry_fields.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <random>

namespace ostrelo::replay {
namespace {

// A race of `count` samples, 100 ms apart: most values move, the names rarely.
std::vector<RecordedSample> race(int count) {
    std::vector<RecordedSample> samples;
    for (int i = 0; i < count; ++i) {
        RecordedSample r;
        r.timeMs = 1700000000000 + i * 100;
        r.carSlot = static_cast<std::int16_t>(i < 50 ? 3 : 5);
        auto &s = r.sample;
        s.DriverName = "Marta Vidal";
        s.CarName = i < 80 ? "Lince Turbo 16V" : "Lince \"Evo\"\n";
        s.TrackName = "Anella Sud";
        s.LapNumber = static_cast<std::int16_t>(1 + i / 40);
        s.Fuel = 60 - static_cast<float>(i) * 0.01F;
        s.EngineSpeed = 600 + static_cast<float>(i % 13);
        s.WheelSpeed = {100.5 + i, 101.25, 99.0 - i, 100};
        s.TyreTemp[2][1] = static_cast<float>(i);
        s.Throttle = i == 7 ? std::nanf("") : 50;
        s.Gear = static_cast<std::int16_t>(i % 6);
        // Three cars change places now and then; one leaves and another takes its slot.
        r.standings.cars = {
            {3, 1 + i / 25 % 2, i / 40, 91.5F, 90.25F, false, "Marta Vidal", "Lince"},
            {5, 2 - i / 25 % 2, i / 41, 0, 0, i % 30 < 5, "Eric Lund", "Falcon"}};
        if (i < 60 || i > 70) {
            r.standings.cars.push_back(
                {63, 3, -1, std::nanf(""), 0, false, i < 60 ? "Nils Berg" : "Ines Prado", ""});
        }
        samples.push_back(r);
    }
    return samples;
}

// The same race with every value a number, as the game gives them.
std::vector<RecordedSample> finiteRace(int count) {
    std::vector<RecordedSample> samples = race(count);
    for (RecordedSample &r : samples) {
        r.sample.Throttle = 50;
    }
    return samples;
}

std::int64_t wallClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string encode(const std::vector<RecordedSample> &samples) {
    std::string bytes = SessionEncoder::header(
        {kFormatVersion, "Ostrelo 1.1.1.20", samples.front().timeMs, "Anella Sud", "Lince"});
    SessionEncoder encoder;
    for (const RecordedSample &r : samples) {
        bytes += encoder.encode(r);
    }
    return bytes;
}

std::vector<RecordedSample> decode(std::string_view bytes, SessionFault *stop = nullptr) {
    SessionDecoder decoder(bytes);
    std::vector<RecordedSample> samples;
    RecordedSample r;
    while (decoder.next(r)) {
        samples.push_back(r);
    }
    if (stop) {
        *stop = decoder.refusal().empty() ? decoder.stop() : decoder.refusal();
    }
    return samples;
}

// NaN is not equal to itself: compare the samples by their bytes on the wire instead.
bool sameSamples(const std::vector<RecordedSample> &a, const std::vector<RecordedSample> &b) {
    SessionEncoder x;
    SessionEncoder y;
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (x.encode(a[i]) != y.encode(b[i])) {
            return false;
        }
    }
    return true;
}

TEST(SessionFile, ReadsBackEverySampleAndItsHeader) {
    const std::vector<RecordedSample> samples = race(300);
    const std::string bytes = encode(samples);
    SessionFault stop;
    EXPECT_TRUE(sameSamples(decode(bytes, &stop), samples));
    EXPECT_TRUE(stop.empty());
    const SessionDecoder decoder(bytes);
    EXPECT_EQ(decoder.header().program, "Ostrelo 1.1.1.20");
    EXPECT_EQ(decoder.header().track, "Anella Sud");
    EXPECT_EQ(decoder.header().createdMs, 1700000000000);
    // Only what changes is written: far less than the whole sample each time.
    EXPECT_LT(bytes.size(), 300u * 60);

    // A start time that is no number, or none 64 bits hold, is not known.
    const struct {
        const char *line;
        std::int64_t createdMs;
    } starts[] = {
        {"created_ms=1765000000000", 1765000000000},
        {"created_ms=-5", -5},
        {"created_ms=9223372036854775807", 9223372036854775807},
        {"created_ms=9223372036854775808", 0},
        {"created_ms=99999999999999999999", 0},
        {"created_ms=12x", 0},
        {"created_ms=", 0},
    };
    for (const auto &c : starts) {
        SCOPED_TRACE(c.line);
        const std::string header =
            "OSTRELO-SESSION\n\x03program=Ostrelo\n" + std::string(c.line) + "\n\n";
        EXPECT_EQ(SessionDecoder(header).header().createdMs, c.createdMs);
    }
}

TEST(SessionFile, ACutOrDamagedFilePlaysUpToTheDamage) {
    const std::vector<RecordedSample> samples = race(40);
    const std::string bytes = encode(samples);
    std::mt19937 random(7);
    std::vector<std::size_t> cuts;
    for (std::size_t cut = 0; cut < std::min<std::size_t>(bytes.size(), 1024); ++cut) {
        cuts.push_back(cut);
    }
    for (int i = 0; i < 50; ++i) {
        cuts.push_back(random() % bytes.size());
    }
    for (const std::size_t cut : cuts) {
        SCOPED_TRACE(cut);
        const std::vector<RecordedSample> read = decode(std::string_view(bytes).substr(0, cut));
        ASSERT_LE(read.size(), samples.size());
        EXPECT_TRUE(sameSamples(
            read, std::vector(samples.begin(), samples.begin() + static_cast<long>(read.size()))));
    }
    std::string damaged = bytes;
    damaged[bytes.size() / 2] = static_cast<char>(damaged[bytes.size() / 2] ^ 0x5A);
    SessionFault stop;
    const std::vector<RecordedSample> read = decode(damaged, &stop);
    EXPECT_LT(read.size(), samples.size());
    EXPECT_FALSE(stop.empty());
    EXPECT_LE(stop.number, bytes.size() / 2);
}

TEST(SessionFile, RefusesANewerFormatOrAnotherFile) {
    std::string newer = SessionEncoder::header({kFormatVersion + 1, "Ostrelo 9", 0, "", ""});
    SessionFault stop;
    EXPECT_TRUE(decode(newer, &stop).empty());
    EXPECT_EQ(stop, (SessionFault{SessionFault::Kind::NewerFormat, 4}));
    decode(SessionEncoder::header({0, "Ostrelo 9", 0, "", ""}), &stop);
    EXPECT_EQ(stop, (SessionFault{SessionFault::Kind::NewerFormat, 0}));
    decode("time_ms,source,DriverName\r\n", &stop);
    EXPECT_EQ(stop, (SessionFault{SessionFault::Kind::NotASession, 0}));
}

// A record as the file holds it: kind, length, payload, Fletcher-16 of the payload.
std::string record(char kind, const std::string &payload) {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    for (const char c : payload) {
        a = (a + static_cast<unsigned char>(c)) % 255;
        b = (b + a) % 255;
    }
    return std::string(1, kind) + static_cast<char>(payload.size()) + payload +
           static_cast<char>(a) + static_cast<char>(b);
}

// Standings records that cannot be what a recorder wrote stop the file where they stand.
TEST(SessionFile, StopsAtStandingsThatCannotBe) {
    RecordedSample full = race(1)[0];
    full.standings.cars.clear();
    for (std::int16_t slot = 0; slot < 64; ++slot) {
        full.standings.cars.push_back({slot, slot + 1, 3, 90, 89, false, "D", "C"});
    }
    EXPECT_TRUE(sameSamples(decode(encode({full})), {full}));

    std::string header = SessionEncoder::header({kFormatVersion, "Ostrelo", 0, "", ""});
    SessionEncoder encoder;
    RecordedSample bare = race(2)[0];
    bare.standings = {};
    const std::string first = encoder.encode(bare);
    const std::string sample = first.substr(first.find('\x02'));
    RecordedSample next = bare;
    next.timeMs += 100;
    const std::string delta = encoder.encode(next);
    // One car: slot 7, position 1, 2 laps, two times, in pits, "A", "B".
    const std::string car = std::string("\x07\x02\x04") + std::string(8, '\0') + "\1\1A\1B";
    using enum SessionFault::Kind;
    const struct {
        const char *what;
        std::string records;
        SessionFault::Kind stop;
    } cases[] = {
        {"a whole car", record(3, "\x01" + car) + sample, None},
        {"a slot beyond the array", record(3, "\x01\x40" + car.substr(1)) + sample,
         DamagedStandings},
        {"more cars than slots", record(3, "\x41" + car) + sample, DamagedStandings},
        {"a byte too many", record(3, "\x01" + car + "x") + sample, DamagedStandings},
        {"a car cut short", record(3, "\x01" + car.substr(0, 6)) + sample, DamagedStandings},
        {"no car at all", record(3, "\x02" + car) + sample, DamagedStandings},
        // The game holds positions and laps in 32 bits.
        {"a position beyond 32 bits",
         record(3, "\x01\x07\x80\x80\x80\x80\x10" + car.substr(2)) + sample, DamagedStandings},
        {"laps beyond 32 bits",
         record(3, "\x01\x07\x02\x81\x80\x80\x80\x10" + car.substr(3)) + sample, DamagedStandings},
        {"a damaged checksum", record(3, "\x01" + car).substr(0, 5) + "\xFF" + sample,
         DamagedRecord},
        {"changes before any whole sample", record(3, "\x01" + car) + delta, NoWholeSample},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SessionFault stop;
        const std::vector<RecordedSample> read = decode(header + c.records, &stop);
        EXPECT_EQ(read.size(), c.stop != None ? 0u : 1u);
        EXPECT_EQ(stop.kind, c.stop);
        if (c.stop == None) {
            ASSERT_EQ(read[0].standings.cars.size(), 1u);
            EXPECT_EQ(read[0].standings.cars[0],
                      (telemetry::CarStanding{7, 1, 2, 0, 0, true, "A", "B"}));
        }
    }
}

// A change of time or a slot that no recorder could have written stops the file there.
TEST(SessionFile, StopsAtATimeOrASlotNoRecorderWrites) {
    const std::string header = SessionEncoder::header({kFormatVersion, "Ostrelo", 0, "", ""});
    RecordedSample first = finiteRace(1)[0];
    first.standings = {};
    const auto keyframeAt = [&first](std::int64_t timeMs) {
        RecordedSample r = first;
        r.timeMs = timeMs;
        return SessionEncoder().encode(r);
    };
    // A change of nothing but its time and slot (signed varints), with an empty field mask.
    const auto change = [](const std::string &time, const std::string &slot) {
        return record(1, time + slot + std::string(7, '\0'));
    };
    const std::string latest = "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x01";   // 2^63 - 1
    const std::string earliest = "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x01"; // -2^63
    const std::string slot3 = "\x06";
    const std::string later = "\xC8\x01"; // 100 ms
    const struct {
        const char *what;
        std::string records;
        std::size_t read;
        std::int64_t lastMs;
        std::int16_t lastSlot;
    } cases[] = {
        {"the latest time 64 bits hold", keyframeAt(-1) + change(latest, slot3), 2,
         9223372036854775806, 3},
        {"a time past them", keyframeAt(1) + change(latest, slot3), 1, 1, 3},
        {"the earliest time", keyframeAt(0) + change(earliest, slot3), 2,
         std::numeric_limits<std::int64_t>::min(), 3},
        {"a time before it", keyframeAt(-1) + change(earliest, slot3), 1, -1, 3},
        {"the last slot 16 bits hold", keyframeAt(0) + change(later, "\xFE\xFF\x03"), 2, 100,
         32767},
        {"a slot past it", keyframeAt(0) + change(later, "\x80\x80\x04"), 1, 0, 3},
        {"the first slot 16 bits hold", keyframeAt(0) + change(later, "\xFF\xFF\x03"), 2, 100,
         -32768},
        {"a slot before it", keyframeAt(0) + change(later, "\x81\x80\x04"), 1, 0, 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SessionFault stop;
        const std::vector<RecordedSample> read = decode(header + c.records, &stop);
        ASSERT_EQ(read.size(), c.read);
        EXPECT_EQ(stop.kind,
                  c.read == 2 ? SessionFault::Kind::None : SessionFault::Kind::DamagedRecord);
        EXPECT_EQ(read.back().timeMs, c.lastMs);
        EXPECT_EQ(read.back().carSlot, c.lastSlot);
    }
}

// A sample that the game's reading refuses (a value that is not a finite number) is not played
// from a file either: it is neither due nor passed, and it is reported once for those in a row.
TEST(ReplayPlayer, PlaysNoSampleTheGameWouldRefuse) {
    std::vector<RecordedSample> samples = finiteRace(12);
    samples[3].sample.Throttle = std::nanf("");
    samples[4].sample.WheelSpeed[2] = std::numeric_limits<double>::infinity();
    samples[5].sample.OilTemp = -std::numeric_limits<float>::infinity();
    samples[9].sample.TyreWear[1] = std::nan("");
    ReplayPlayer player(encode(samples));
    std::vector<float> passed;
    player.onPassed = [&](const RecordedSample &r) { passed.push_back(r.sample.TyreTemp[2][1]); };
    std::vector<float> due;
    testing::ErrorCapture errors;
    for (int step = 0; step < 12; ++step) {
        if (const std::optional<RecordedSample> r = player.advance(step == 0 ? 0 : 100)) {
            due.push_back(r->sample.TyreTemp[2][1]);
        }
    }
    EXPECT_EQ(due, (std::vector<float>{0, 1, 2, 6, 7, 8, 10, 11}));
    EXPECT_EQ(passed, (std::vector<float>{1, 2, 6, 7, 8, 10, 11}));
    ASSERT_EQ(errors.reports().size(), 2u);
    EXPECT_EQ(errors.reports()[0].routine, "ReplayPlayer");
    EXPECT_EQ(errors.reports()[0].source, "CSng");
    EXPECT_EQ(errors.reports()[0].description,
              "Overflow: Throttle read from the session file is not a finite number");
    EXPECT_EQ(errors.reports()[1].description,
              "Overflow: TyreWear_FR read from the session file is not a finite number");
    // A seek onto one shows the last sample before it that plays.
    player.seek(450);
    EXPECT_EQ(player.advance(0)->sample.TyreTemp[2][1], 2);
    EXPECT_EQ(errors.reports().size(), 2u);
    // One met again after a seek back is told of again.
    player.advance(100);
    player.seek(250);
    player.advance(100);
    EXPECT_EQ(errors.reports().size(), 4u);
}

// Whatever the times in a file say (a clock stepped back while recording, times before 1970,
// the ends of 64 bits), each sample plays after the one recorded before it, and the replay
// ends.
TEST(ReplayPlayer, PlaysEverySampleInTheOrderRecordedWhateverItsTime) {
    const std::int64_t least = std::numeric_limits<std::int64_t>::min();
    const std::int64_t most = std::numeric_limits<std::int64_t>::max();
    const struct {
        const char *what;
        int count;
        std::function<std::int64_t(int)> timeMs;
        std::int64_t durationMs;
        std::int64_t stepMs; // of the replay's clock while it plays
        std::int64_t seekMs; // a position, and the sample there
        float sampleThere;
    } cases[] = {
        // 30 s, then the clock goes back 20 s: the next sample plays at once, 30 s more follow.
        {"a clock stepped back", 600,
         [](int i) { return 1700000000000 + i * 100 - (i >= 300 ? 20000 : 0); }, 59800, 100, 44900,
         450},
        {"times before 1970", 3, [](int i) { return -1000000000000000 + i * 100; }, 200, 100, 150,
         1},
        // The replay's clock stops at its longest, 100000 hours.
        {"the ends of 64 bits", 4,
         [=](int i) {
             return std::vector<std::int64_t>{least, most, least, 0}[static_cast<std::size_t>(i)];
         },
         360000000000, 360000000000, 360000000000, 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<RecordedSample> samples = finiteRace(c.count);
        for (int i = 0; i < c.count; ++i) {
            samples[static_cast<std::size_t>(i)].timeMs = c.timeMs(i);
        }
        ReplayPlayer player(encode(samples));
        EXPECT_EQ(player.durationMs(), c.durationMs);
        std::vector<float> passed;
        player.onPassed = [&](const RecordedSample &r) {
            passed.push_back(r.sample.TyreTemp[2][1]);
        };
        ASSERT_EQ(player.advance(0)->sample.TyreTemp[2][1], 0);
        for (std::int64_t at = 0; at < c.durationMs; at += c.stepMs) {
            player.advance(c.stepMs);
        }
        EXPECT_TRUE(player.finished());
        ASSERT_EQ(passed.size(), static_cast<std::size_t>(c.count - 1));
        for (std::size_t i = 0; i < passed.size(); ++i) {
            EXPECT_EQ(passed[i], static_cast<float>(i + 1));
        }
        player.seek(c.seekMs);
        EXPECT_EQ(player.advance(0)->sample.TyreTemp[2][1], c.sampleThere);
    }
}

// What a player reads of a session, and how much at a time.
class CountingSource : public SessionSource {
public:
    explicit CountingSource(std::string bytes) : m_bytes(std::move(bytes)) {}
    std::size_t read(std::uint64_t offset, char *into, std::size_t size) override {
        largestRead = std::max(largestRead, size);
        return m_bytes.read(offset, into, size);
    }
    std::size_t largestRead = 0;

private:
    BytesSource m_bytes;
};

// A long session is read a piece at a time, and a seek anywhere in it shows the sample there
// as it was recorded, the standings in force included.
TEST(ReplayPlayer, ReadsALongSessionAPieceAtATimeAndSeeksAnywhereInIt) {
    std::vector<RecordedSample> samples = finiteRace(40000);
    // Once the clock goes back a minute: positions come from the order, not the times.
    for (std::size_t i = 25000; i < samples.size(); ++i) {
        samples[i].timeMs -= 60000;
    }
    const std::string bytes = encode(samples);
    ASSERT_GT(bytes.size(), 1000000u);
    auto source = std::make_unique<CountingSource>(bytes);
    const CountingSource &counted = *source;
    ReplayPlayer player(std::move(source));
    EXPECT_EQ(player.durationMs(), 3999800);
    EXPECT_LE(counted.largestRead, 256u * 1024);
    for (const std::size_t i : {0, 1, 999, 2400, 9999, 10000, 24998, 25000, 25001, 31234, 39999}) {
        SCOPED_TRACE(i);
        // Sample i plays at i × 100 ms, less the 100 ms of the step back after sample 24999.
        player.seek(static_cast<std::int64_t>(i) * 100 - (i >= 25000 ? 100 : 0));
        const std::optional<RecordedSample> there = player.advance(0);
        ASSERT_TRUE(there);
        EXPECT_TRUE(sameSamples({*there}, {samples[i]}));
    }
    EXPECT_LE(counted.largestRead, 256u * 1024);
}

// A file larger than the computer's memory opens, and plays up to where its samples end.
TEST(ReplaySession, OpensAFileLargerThanMemory) {
    testing::TempDir dir;
    const std::string bytes = encode(finiteRace(30));
    const std::string path = dir.write("huge.ostrelo", bytes);
    // 64 GiB, of which only the samples take room on the disk.
    std::filesystem::resize_file(path, std::uintmax_t{64} << 30);
    const i18n::Texts &english = i18n::findLanguage("English")->texts;
    ReplaySession session(path, 1, english);
    ASSERT_NE(session.player(), nullptr);
    EXPECT_EQ(session.player()->damage(),
              (SessionFault{SessionFault::Kind::DamagedRecord, bytes.size()}));
    EXPECT_EQ(session.player()->durationMs(), 2900);
    EXPECT_NE(session.notice().find(path), std::string::npos);
}

TEST(ReplayPlayer, PlaysAtItsSpeedPausesAndSeeks) {
    ReplayPlayer player(encode(race(300))); // 29.9 s
    ASSERT_TRUE(player.refusal().empty());
    EXPECT_EQ(player.durationMs(), 29900);
    EXPECT_EQ(player.advance(0)->sample.Gear, 0); // the first sample is due at once
    EXPECT_FALSE(player.advance(50));             // the next one is 100 ms on
    player.setSpeed(4);
    // 50 + 4 × 100 ms: the newest due is sample 4, the ones between are passed over.
    std::vector<float> passed;
    player.onPassed = [&](const RecordedSample &r) { passed.push_back(r.sample.TyreTemp[2][1]); };
    EXPECT_EQ(player.advance(100)->sample.TyreTemp[2][1], 4);
    EXPECT_EQ(passed, (std::vector<float>{1, 2, 3, 4}));
    player.setPaused(true);
    EXPECT_FALSE(player.advance(1000));
    EXPECT_EQ(player.positionMs(), 450);
    player.seek(20050); // past a keyframe: the sample at 20.0 s is shown next
    player.setPaused(false);
    const std::optional<RecordedSample> there = player.advance(0);
    EXPECT_EQ(there->sample.TyreTemp[2][1], 200);
    // Its standings too, though they last changed before the keyframe.
    EXPECT_TRUE(sameSamples({*there}, {race(300)[200]}));
    EXPECT_EQ(passed.size(), 4u); // a seek passes nothing
    player.seek(0);
    EXPECT_EQ(player.advance(0)->sample.TyreTemp[2][1], 0);
    player.seek(99999);
    EXPECT_EQ(player.advance(0)->sample.TyreTemp[2][1], 299);
    EXPECT_TRUE(player.finished());
}

// Files written by each released format, kept as they were written: this program reads
// every sample of them as it was recorded.
TEST(SessionFile, ReadsTheFilesOfEveryReleasedFormat) {
    const struct {
        int version;
        std::int64_t timeMs; // of the 24th sample
    } formats[] = {{1, 1765000011500}, {2, 1765000011500}, {3, 86411500}};
    for (const auto &[version, timeMs] : formats) {
        SCOPED_TRACE(version);
        std::ifstream in(std::string(OSTRELO_TEST_DATA) + "/session-v" + std::to_string(version) +
                             ".ostrelo",
                         std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(bytes.empty());
        SessionDecoder decoder(bytes);
        ASSERT_TRUE(decoder.refusal().empty());
        EXPECT_EQ(decoder.header().version, version);
        EXPECT_EQ(decoder.header().track, "Anella Sud");
        EXPECT_EQ(decoder.header().car, "Lince Turbo 16V");
        EXPECT_EQ(decoder.header().createdMs, 1765000000000);
        SessionFault stop;
        const std::vector<RecordedSample> samples = decode(bytes, &stop);
        EXPECT_TRUE(stop.empty());
        ASSERT_EQ(samples.size(), 30u);
        const RecordedSample &r = samples[23];
        EXPECT_EQ(r.timeMs, timeMs);
        EXPECT_EQ(r.carSlot, 3);
        EXPECT_EQ(r.sample.DriverName, "Marta Vidal");
        EXPECT_EQ(r.sample.LapNumber, 3);
        EXPECT_EQ(r.sample.Fuel, 44.25F);
        EXPECT_EQ(r.sample.Gear, 5);
        EXPECT_EQ(r.sample.EngineSpeed, 623);
        EXPECT_EQ(r.sample.LastLapTime, 95.5F);
        EXPECT_EQ(r.sample.WheelSpeed[2], 63);
        EXPECT_EQ(samples[29].sample.Fuel, 42.75F);
        if (version == 1) {
            EXPECT_TRUE(samples[29].standings.cars.empty());
        } else {
            ASSERT_EQ(samples[29].standings.cars.size(), 2u);
            EXPECT_EQ(samples[29].standings.cars[1].driverName, "Eric Lund");
            EXPECT_TRUE(samples[29].standings.cars[1].inPits);
            EXPECT_FALSE(samples[28].standings.cars[1].inPits);
            EXPECT_EQ(samples[23].standings.cars[0].lapsCompleted, 2);
        }
        // From the keyframe at 10 s, as a seek plays it.
        ReplayPlayer player(bytes);
        player.seek(10000);
        EXPECT_EQ(player.advance(0)->sample.Fuel, 45);
    }
}

TEST(ReplaySession, TellsWhyAFileCannotBePlayedAndStartsAgainFromTheEnd) {
    testing::TempDir dir;
    const i18n::Texts &catalan = i18n::findLanguage("Català")->texts;
    const std::string cutBytes = encode(race(300)).substr(0, 900);
    dir.write("cut.ostrelo", cutBytes);
    dir.write("other.txt", "not a session");
    dir.write("race.ostrelo", encode(race(300)));
    dir.write("newer.ostrelo",
              SessionEncoder::header({kFormatVersion + 1, "Ostrelo 9", 0, "", ""}));
    std::filesystem::create_directory(dir.file("folder.ostrelo"));
    // Where the cut file stops: after its last whole record.
    SessionFault stop;
    decode(cutBytes, &stop);
    ASSERT_EQ(stop.kind, SessionFault::Kind::CutRecord);
    const std::string at = std::to_string(stop.number);
    // Every word of the program's own in the language in force; names as they are.
    const std::string catalanRefused = "Aquest fitxer de sessió no es pot reproduir: ";
    const std::string germanRefused = "Diese Sitzungsdatei kann nicht abgespielt werden: ";
    const struct {
        const char *name;
        const char *language;
        bool plays;
        std::string before; // the file's path
        std::string after;
    } cases[] = {
        {"none.ostrelo", "Català", false, catalanRefused, " no existeix."},
        {"folder.ostrelo", "Català", false, catalanRefused,
         " no es pot fer servir: és una carpeta."},
        {"other.txt", "Deutsch", false, germanRefused,
         ": sie ist keine Sitzungsdatei von Ostrelo."},
        {"newer.ostrelo", "Deutsch", false, germanRefused,
         ": sie wurde im Format 4 geschrieben, und dieses Ostrelo liest Format 3 und ältere."},
        {"cut.ostrelo", "Català", true,
         "La gravació està malmesa i es reprodueix fins on es va aturar (",
         ": aturat al byte " + at + ": el fitxer acaba dins d'un registre)."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.language);
        ReplaySession opened(dir.file(c.name), 1, i18n::findLanguage(c.language)->texts);
        EXPECT_EQ(opened.notice(), c.before + dir.file(c.name) + c.after);
        EXPECT_EQ(opened.player() != nullptr, c.plays);
    }

    ReplaySession session(dir.file("race.ostrelo"), 4, catalan);
    ASSERT_NE(session.player(), nullptr);
    EXPECT_EQ(session.notice(), "");
    EXPECT_EQ(session.player()->speed(), 4);
    int moves = 0;
    session.onMoved = [&] { ++moves; };
    session.seek(20000);
    EXPECT_EQ(moves, 1);
    EXPECT_FALSE(session.standing());
    session.setPaused(true);
    EXPECT_TRUE(session.standing());
    session.setPaused(false);
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(session.player()->positionMs(), 20000);
    // Play at the end plays it again from its start, as a move.
    session.seek(99999);
    session.player()->advance(0);
    ASSERT_TRUE(session.player()->finished());
    EXPECT_TRUE(session.standing());
    // Pausing at the end stays at the end; play starts it again.
    session.setPaused(true);
    EXPECT_EQ(moves, 2);
    EXPECT_TRUE(session.player()->finished());
    session.setPaused(false);
    EXPECT_EQ(moves, 3);
    EXPECT_FALSE(session.player()->paused());
    EXPECT_EQ(session.player()->advance(0)->sample.TyreTemp[2][1], 0);
}

TEST(ReplaySession, ARecordingNamedWithoutItsExtensionGetsItAndReplacesNothingUnasked) {
    const struct {
        std::string chosen, path;
        bool replace;
    } cases[] = {
        {"/home/ana/race", "/home/ana/race.ostrelo", false},
        {"/home/ana/race.ostrelo", "/home/ana/race.ostrelo", true},
        {"/home/ana/v1.2/race", "/home/ana/v1.2/race.ostrelo", false},
        {"/home/ana/race.bak", "/home/ana/race.bak", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.chosen);
        const RecordingTarget target = recordingTarget(c.chosen);
        EXPECT_EQ(target.path, c.path);
        EXPECT_EQ(target.replace, c.replace);
    }
}

TEST(SessionRecorder, WritesAtLeastEverySecondAndAWholeFileAtTheEnd) {
    testing::TempDir dir;
    const std::string path = dir.write("race.ostrelo", "old bytes");
    const std::vector<RecordedSample> samples = race(25);
    // A file that holds something is only replaced when the user chose so.
    EXPECT_EQ(SessionRecorder(path, "Ostrelo 1.1.1.20").error(),
              (core::FileProblem{core::FileProblem::Cause::NotEmpty, path, "", ""}));
    EXPECT_EQ(dir.read("race.ostrelo"), "old bytes");
    const std::int64_t startedMs = wallClockMs();
    {
        SessionRecorder recorder(path, "Ostrelo 1.1.1.20", true);
        ASSERT_TRUE(recorder.error().empty());
        for (int i = 0; i < 11; ++i) {
            recorder.record(samples[static_cast<std::size_t>(i)]);
        }
        // One second in: what was taken is on disk, as a player reads it.
        EXPECT_EQ(decode(dir.read("race.ostrelo")).size(), 11u);
        for (std::size_t i = 11; i < samples.size(); ++i) {
            recorder.record(samples[i]);
        }
    }
    EXPECT_TRUE(sameSamples(decode(dir.read("race.ostrelo")), samples));
    // The samples keep their own clock; the header says when the recording started.
    const SessionDecoder written(dir.read("race.ostrelo"));
    EXPECT_EQ(written.header().version, 3);
    EXPECT_GE(written.header().createdMs, startedMs);
    EXPECT_LE(written.header().createdMs, wallClockMs());
    EXPECT_EQ(SessionRecorder(dir.path().string(), "x").error().cause,
              core::FileProblem::Cause::Folder);
}

} // namespace
} // namespace ostrelo::replay
