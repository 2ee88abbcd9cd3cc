// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"
#include "net/frame.h"
#include "net/frame_joiner.h"
#include "telemetry/telemetry_fields.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace ostrelo::net {
namespace {

using telemetry::TelemetrySample;
using namespace std::string_literals;

TEST(FrameWriter, WritesTheNoGameFrame) {
    const std::string frame = writeNoGameFrame("RACE07 NO CARGADO");
    EXPECT_EQ(frame.size(), 78u);
    EXPECT_EQ(frame, "000079" + std::string(54, '\0') + "RACE07 NO CARGADO" + '\0');
}

TEST(FrameWriter, WritesNumbersAndTextsInTheirWireForm) {
    TelemetrySample s;
    s.DriverName = "Iñaki";
    s.OilTemp = 105.25F;
    s.Position = -3;
    s.Fuel = 0.5F;
    s.TyreWear[0] = 0.123456789012345678;
    s.BrakeTemp[3] = 1.5e7F;
    s.Throttle = 1e-5F;
    const std::string frame = writeSampleFrame(s, 12, "RACE07 EN MARCHA", ',');
    const std::vector<std::string> pieces = splitBody(frame.substr(7));
    ASSERT_EQ(pieces.size(), 54u);
    // Text goes out in Windows-1252: one byte for "ñ".
    EXPECT_NE(frame.find("I\361aki"), std::string::npos);
    EXPECT_EQ(pieces[0], "Iñaki");
    EXPECT_EQ(pieces[1], "105,25");
    EXPECT_EQ(pieces[4], "-3");
    EXPECT_EQ(pieces[9], "0,5");
    EXPECT_EQ(pieces[11], "0");
    EXPECT_EQ(pieces[34], "0,123456789012346");
    EXPECT_EQ(pieces[43], "1E-05");
    EXPECT_EQ(pieces[47], "12");
    EXPECT_EQ(pieces[51], "1,5E+07");
    EXPECT_EQ(pieces[53], "RACE07 EN MARCHA");
}

// Every field holds a value of its own, so a field written or read in another field's place
// shows in the whole frame.
TelemetrySample everyFieldDistinct() {
    TelemetrySample s;
    s.DriverName = "Marta Vidal";
    s.OilTemp = 101.5F;
    s.WaterTemp = 92.25F;
    s.SlotName = "Slot Ñ";
    s.Position = 3;
    s.EngineSpeed = 812.5F;
    s.EngineSpeedMax = 950.75F;
    s.Ignition = 1;
    s.LapNumber = 7;
    s.Fuel = 42.75F;
    s.BestLapTime = 83.456F;
    s.LastLapTime = 84.125F;
    s.Gear = -1;
    float zone = 80;
    for (auto &zones : s.TyreTemp) {
        for (float &z : zones) {
            z = zone += 1.5F;
        }
    }
    s.TyrePressure = {190.5F, 191.5F, 192.5F, 193.5F};
    s.WheelSpeed = {100.25, 99.5, 98.125, 80.0625};
    s.TyreWear = {0.97, 0.96, 0.95, 0.94};
    s.TrackName = "Anella Sud";
    s.PitLimiter = 2;
    s.InPits = 4;
    s.TractionControl = 5;
    s.AbsLevel = 6;
    s.Throttle = 75.5F;
    s.Brake = 12.25F;
    s.TrackTemp = 31.5F;
    s.AmbientTemp = 22.5F;
    s.BrakeTemp = {412.5F, 413.5F, 414.5F, 415.5F};
    s.CarName = "Lince Turbo 16V";
    return s;
}

TEST(FrameWriter, PutsEveryFieldInItsOwnPlaceBothWays) {
    // The 54 fields in wire order; the body is each one after a NUL, and a final NUL.
    // clang-format off
    const char *const fields[] = {
        "Marta Vidal", "101.5", "92.25", "Slot \xD1", "3", "812.5", "950.75", "1", "7", "42.75",
        "83.456", "0", "84.125", "-1", "81.5", "83", "84.5", "86", "87.5", "89", "90.5", "92",
        "93.5", "95", "96.5", "98", "190.5", "191.5", "192.5", "193.5", "100.25", "99.5",
        "98.125", "80.0625", "0.97", "0.96", "0.95", "0.94", "Anella Sud", "2", "4", "5", "6",
        "75.5", "12.25", "31.5", "22.5", "9", "412.5", "413.5", "414.5", "415.5",
        "Lince Turbo 16V", "RACE07 RUNNING"};
    // clang-format on
    std::string body;
    for (const char *field : fields) {
        body += '\0' + std::string(field);
    }
    body += '\0';
    const TelemetrySample s = everyFieldDistinct();
    const std::string frame = writeSampleFrame(s, 9, "RACE07 RUNNING", '.');
    EXPECT_EQ(frame, "000" + std::to_string(body.size() + 7) + body);

    for (const char separator : {'.', ','}) {
        SCOPED_TRACE(separator);
        TelemetrySample read;
        std::int16_t slot = 0;
        const std::string written = writeSampleFrame(s, 9, "RACE07 RUNNING", separator);
        const std::vector<std::string> pieces = splitBody(written.substr(7));
        takeOver(pieces, read, slot);
        EXPECT_EQ(slot, 9);
        EXPECT_EQ(read, s);
        EXPECT_EQ(pieces.back(), "RACE07 RUNNING");
    }
}

TEST(FrameReader, RoundsIntegersHalvesToEvenAndRefusesNonNumbers) {
    std::vector<std::string> pieces(54, "0");
    for (const int text : {0, 3, 38, 52, 53}) {
        pieces[static_cast<std::size_t>(text)] = "";
    }
    TelemetrySample s;
    std::int16_t slot = 0;
    pieces[4] = "2.5";
    takeOver(pieces, s, slot);
    EXPECT_EQ(s.Position, 2);
    pieces[4] = "3,5";
    takeOver(pieces, s, slot);
    EXPECT_EQ(s.Position, 4);
    pieces[4] = "40000";
    EXPECT_THROW(takeOver(pieces, s, slot), core::RunTimeError);
    pieces[4] = "1";
    pieces[47] = "9";
    pieces[49] = "hot";
    slot = 0;
    EXPECT_THROW(takeOver(pieces, s, slot), core::RunTimeError);
    // Everything before the failing piece is taken over, the slot number included.
    EXPECT_EQ(slot, 9);
    pieces[49] = "";
    EXPECT_THROW(takeOver(pieces, s, slot), core::RunTimeError);
    pieces[49] = "0";

    // Each field's type sets its limits; a number too large is an overflow, never infinity.
    struct Case {
        std::size_t piece;
        std::string text;
        bool refused;
    };
    const Case limits[] = {
        {1, "3.4E+38", false},
        {1, "1E+39", true},
        {1, "1E+400", true},
        {1, "Inf", true},
        {1, "NaN", true},
        {30, "1E+308", false},
        {11, "abc", true}, // the reserved field is read like any single
        {11, "1E+39", true},
        {30, "1E+309", true},
        {30, "1.79769313486233E+308", true},
        {30, "0." + std::string(400, '0') + "1", false},
    };
    for (const Case &c : limits) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> fields = pieces;
        fields[c.piece] = c.text;
        if (c.refused) {
            EXPECT_THROW(takeOver(fields, s, slot), core::RunTimeError);
        } else {
            EXPECT_NO_THROW(takeOver(fields, s, slot));
        }
    }
    EXPECT_EQ(s.WheelSpeed[0], 0.0);
}

// Every field of one type set to the same value, the texts left empty.
TelemetrySample everyFieldOfEachType(float single, double real, std::int16_t integer) {
    TelemetrySample s;
    telemetry::forEachWireField(s, [&](const telemetry::FieldName &, auto &&value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, float>) {
            value = single;
        } else if constexpr (std::is_same_v<T, double>) {
            value = real;
        } else if constexpr (std::is_same_v<T, std::int16_t>) {
            value = integer;
        }
    });
    return s;
}

TEST(FrameReader, ReadsBackTheExtremesOfEveryFieldsType) {
    // What the writer's 7 and 15 significant digits make of each extreme, read back.
    struct Case {
        const char *name;
        float single;
        double real;
        std::int16_t integer;
        float singleRead;
        double realRead;
    };
    const Case cases[] = {
        {"largest", FLT_MAX, DBL_MAX, 32767, 3.402823E+38F, 1.7976931348623157E+308},
        {"most negative", -FLT_MAX, -DBL_MAX, -32768, -3.402823E+38F, -1.7976931348623157E+308},
        {"smallest normal", FLT_MIN, DBL_MIN, 1, 1.175494E-38F, 2.2250738585072E-308},
        {"smallest", std::numeric_limits<float>::denorm_min(),
         std::numeric_limits<double>::denorm_min(), -1, 1.401298E-45F, 4.94065645841247E-324},
        {"negative smallest", -std::numeric_limits<float>::denorm_min(),
         -std::numeric_limits<double>::denorm_min(), 0, -1.401298E-45F, -4.94065645841247E-324},
    };
    for (const Case &c : cases) {
        for (const char separator : {'.', ','}) {
            SCOPED_TRACE(std::string(c.name) + " " + separator);
            const std::string frame = writeSampleFrame(
                everyFieldOfEachType(c.single, c.real, c.integer), c.integer, "", separator);
            TelemetrySample read;
            std::int16_t slot = 0;
            ASSERT_NO_THROW(takeOver(splitBody(frame.substr(7)), read, slot));
            EXPECT_EQ(read, everyFieldOfEachType(c.singleRead, c.realRead, c.integer));
            EXPECT_EQ(slot, c.integer);
        }
    }
}

TEST(FrameReader, SplitsAtEveryNul) {
    TelemetrySample s;
    s.DriverName = "A"s + '\0' + "B";
    const std::string frame = writeSampleFrame(s, 0, "x", '.');
    EXPECT_EQ(splitBody(frame.substr(7)).size(), 55u);
    EXPECT_EQ(splitBody(std::string(54, '\0') + "status" + '\0').size(), 55u);
    EXPECT_THROW(splitBody("a\0b"s), core::RunTimeError);
    EXPECT_EQ(splitBody(std::string(201, '\0')).size(), 201u);
    EXPECT_THROW(splitBody(std::string(202, '\0')), core::RunTimeError);
    EXPECT_TRUE(splitBody("").empty());
}

TEST(FrameWriter, RefusesAFrameTooLongForItsLength) {
    TelemetrySample s;
    s.CarName = std::string(33000, 'x');
    EXPECT_THROW(writeSampleFrame(s, 0, "", '.'), core::RunTimeError);
}

std::vector<std::string> joinAll(FrameJoiner &joiner) {
    std::vector<std::string> bodies;
    while (auto body = joiner.next()) {
        bodies.push_back(*body);
    }
    return bodies;
}

TEST(FrameJoiner, JoinsAFrameSplitAtAnyByte) {
    const std::string frame = writeNoGameFrame("RACE07 NOT RUNNING");
    const std::string body = frame.substr(7);
    for (std::size_t cut = 0; cut <= frame.size(); ++cut) {
        SCOPED_TRACE(cut);
        FrameJoiner joiner;
        joiner.append(frame.substr(0, cut));
        std::vector<std::string> bodies = joinAll(joiner);
        joiner.append(frame.substr(cut));
        for (const std::string &later : joinAll(joiner)) {
            bodies.push_back(later);
        }
        ASSERT_EQ(bodies.size(), 1u);
        EXPECT_EQ(bodies[0], body);
        EXPECT_EQ(joiner.buffered(), 0u);
    }
}

TEST(FrameJoiner, CutsSeveralFramesInOneArrivalInOrder) {
    const std::string first = writeNoGameFrame("one");
    const std::string second = writeSampleFrame(TelemetrySample{}, 0, "two", '.');
    const std::string third = writeNoGameFrame("three");
    FrameJoiner joiner;
    joiner.append(first + second + third.substr(0, 20));
    const std::vector<std::string> bodies = joinAll(joiner);
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_EQ(splitBody(bodies[0]).back(), "one");
    EXPECT_EQ(splitBody(bodies[1]).back(), "two");
    EXPECT_EQ(joiner.buffered(), 20u);
    joiner.append(third.substr(20));
    EXPECT_EQ(splitBody(*joiner.next()).back(), "three");
}

// What comes out of a joiner fed `stream` one byte at a time: each body with the count of
// bytes fed when it came out, and "error" where the joiner told of a fault.
std::vector<std::pair<std::string, std::size_t>> feedByteByByte(const std::string &stream) {
    FrameJoiner joiner;
    std::vector<std::pair<std::string, std::size_t>> out;
    for (std::size_t fed = 1; fed <= stream.size(); ++fed) {
        joiner.append(stream.substr(fed - 1, 1));
        try {
            while (auto body = joiner.next()) {
                out.emplace_back(*body, fed);
            }
        } catch (const core::RunTimeError &) {
            out.emplace_back("error", fed);
        }
    }
    return out;
}

TEST(FrameJoiner, FindsTheNextFrameAtOnceAfterOneCutShort) {
    const std::string whole = writeSampleFrame(everyFieldDistinct(), 9, "cut", '.');
    const std::string second = writeNoGameFrame("second");
    const std::string third = writeSampleFrame(everyFieldDistinct(), 9, "third", ',');
    ASSERT_EQ(whole.substr(0, 6), "000288");
    ASSERT_EQ(whole[24], '\0');
    struct Case {
        const char *name;
        std::string cut;
    };
    const Case cases[] = {
        {"the largest length, the body cut in a field", "032767" + whole.substr(6, 30)},
        {"the largest length, the body cut after a field", "032767" + whole.substr(6, 19)},
        {"its own length, cut in the first field", whole.substr(0, 10)},
        {"its own length, cut after the leading NUL", whole.substr(0, 7)},
        {"its own length, all but the last NUL", whole.substr(0, whole.size() - 1)},
        // A text that reads as a length starts a stretch of 54 NULs, ending inside the next
        // frame: too few for a frame.
        {"the largest length, cut after a text that reads as a length",
         "032767"s + '\0' + "000067" + '\0'},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // All in one arrival: the two frames after the cut one, then the fault.
        FrameJoiner joiner;
        joiner.append(c.cut + second + third);
        EXPECT_EQ(joiner.next(), second.substr(7));
        EXPECT_EQ(joiner.next(), third.substr(7));
        EXPECT_THROW(joiner.next(), core::RunTimeError);
        EXPECT_FALSE(joiner.next().has_value());
        EXPECT_EQ(joiner.buffered(), 0u);

        // Byte by byte: the second frame comes out with its last byte, the fault is told
        // then, and the third follows as usual.
        const auto out = feedByteByByte(c.cut + second + third);
        ASSERT_EQ(out.size(), 3u);
        EXPECT_EQ(out[0].first, second.substr(7));
        EXPECT_EQ(out[0].second, c.cut.size() + second.size());
        EXPECT_EQ(out[1].first, "error");
        EXPECT_EQ(out[1].second, c.cut.size() + second.size());
        EXPECT_EQ(out[2].first, third.substr(7));
        EXPECT_EQ(out[2].second, c.cut.size() + second.size() + third.size());
    }

    // Texts that hold a length prefix and its NUL look like the start of a frame: a frame
    // that holds them is still one frame, split anywhere.
    TelemetrySample s = everyFieldDistinct();
    s.DriverName = "000079";
    s.TrackName = "000030";
    s.CarName = "000150";
    const std::string lookalike = writeSampleFrame(s, 9, "000200", '.');
    const std::string noGame = writeNoGameFrame("000079");
    const auto out = feedByteByByte(lookalike + noGame + lookalike);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].first, lookalike.substr(7));
    EXPECT_EQ(out[0].second, lookalike.size());
    EXPECT_EQ(out[1].first, noGame.substr(7));
    EXPECT_EQ(out[2].first, lookalike.substr(7));
    FrameJoiner joiner;
    joiner.append(lookalike + noGame + lookalike);
    EXPECT_EQ(joinAll(joiner).size(), 3u);
}

// A whole frame has no more NULs than its fields need; a text in it that reads as a length
// prefix does not make it a cut one.
TEST(FrameJoiner, TakesAFrameOfEmptyFieldsWhoseTextLooksLikeAPrefix) {
    const std::string frame = "000068"s + '\0' + "000100" + std::string(54, '\0');
    ASSERT_EQ(frame.size(), 67u);
    FrameJoiner joiner;
    joiner.append(frame + frame.substr(0, 39));
    EXPECT_EQ(joiner.next(), frame.substr(7));
    EXPECT_NO_THROW(EXPECT_FALSE(joiner.next().has_value()));
}

// Clearing forgets a cut frame not yet told of: the next link starts without it.
TEST(FrameJoiner, ClearingForgetsACutFrame) {
    const std::string whole = writeNoGameFrame("whole");
    FrameJoiner joiner;
    joiner.append(whole.substr(0, 12) + whole);
    EXPECT_EQ(joiner.next(), whole.substr(7));
    joiner.clear();
    joiner.append(whole);
    EXPECT_EQ(joiner.next(), whole.substr(7));
    EXPECT_NO_THROW(EXPECT_FALSE(joiner.next().has_value()));
}

TEST(FrameJoiner, DropsWhatItHoldsOnAMalformedPrefix) {
    const std::string good = writeNoGameFrame("ok");
    const std::string garbage[] = {"00a079",         "-00079", "000007" + std::string(10, '\0'),
                                   "032768",         "999999", "000079xyz",
                                   "HTTP/1.1 200 OK"};
    for (const std::string &bad : garbage) {
        SCOPED_TRACE(bad);
        FrameJoiner joiner;
        joiner.append(good + bad);
        EXPECT_TRUE(joiner.next().has_value());
        EXPECT_THROW(joiner.next(), core::RunTimeError);
        EXPECT_EQ(joiner.buffered(), 0u);
        // Joining starts afresh with the next arrival.
        joiner.append(good);
        EXPECT_EQ(splitBody(*joiner.next()).back(), "ok");
    }
}

TEST(FrameJoiner, HoldsAtMostOneLargestFrameAndOneArrival) {
    struct Case {
        const char *name;
        std::string start;
        int frames;
    };
    const Case cases[] = {
        {"a frame of the largest length that never ends", "032767"s + '\0', 1},
        // The cut frame does not end with NUL; the one after it would end beyond the largest
        // frame's size, and is not waited for.
        {"a frame cut short, then one of the largest length",
         "000300"s + '\0' + std::string(93, 'x') + "032767" + '\0', 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FrameJoiner joiner;
        joiner.append(c.start);
        std::size_t most = 0;
        int frames = 0;
        int malformed = 0;
        for (int i = 0; i < 400; ++i) {
            joiner.append(std::string(100, 'x'));
            most = std::max(most, joiner.buffered());
            try {
                while (joiner.next()) {
                    ++frames;
                }
            } catch (const core::RunTimeError &) {
                ++malformed;
            }
        }
        EXPECT_EQ(frames, c.frames);
        EXPECT_GT(malformed, 0);
        EXPECT_LE(most, 32766u + 100u);
    }

    // One that would end exactly at the largest frame's size is waited for.
    const std::string cut = "000300"s + '\0' + std::string(93, 'x');
    const std::string last = "032667" + std::string(54, '\0') + std::string(32605, 'y') + '\0';
    FrameJoiner joiner;
    joiner.append(cut + last.substr(0, 300));
    EXPECT_NO_THROW(EXPECT_FALSE(joiner.next().has_value()));
    joiner.append(last.substr(300));
    EXPECT_EQ(joiner.next(), last.substr(7));
    EXPECT_THROW(joiner.next(), core::RunTimeError);
}

} // namespace
} // namespace ostrelo::net
