// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"
#include "net/frame.h"
#include "net/frame_joiner.h"

#include <gtest/gtest.h>

#include <string>

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
    EXPECT_NE(frame.find("I\xF1"
                         "aki"),
              std::string::npos);
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
    ASSERT_EQ(std::size(fields), 54u);
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
        {30, "1.79769313486232E+308", true},
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
    FrameJoiner joiner;
    joiner.append("032767"s + '\0');
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
    EXPECT_EQ(frames, 1);
    EXPECT_GT(malformed, 0);
    EXPECT_LE(most, 32766u + 100u);
}

} // namespace
} // namespace ostrelo::net
