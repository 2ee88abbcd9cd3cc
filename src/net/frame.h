// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "telemetry/telemetry_sample.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::net {

/// Largest length field a writer can produce: the 16-bit frame length.
inline constexpr int kMaxFrameLength = 32767;
/// Fields of a frame body, the status text last.
inline constexpr int kFieldCount = 54;

/// The frame of one sample, as the bytes that go on the wire: six length digits (the body's
/// length + 7), then the body: NUL, and the 54 fields each followed by NUL. Text travels as
/// Windows-1252, numbers in their general form with `separator` as the decimal point.
/// Throws core::RunTimeError when the frame would be longer than a 16-bit length allows.
std::string writeSampleFrame(const telemetry::TelemetrySample &sample, std::int16_t carSlot,
                             std::string_view status, char separator);

/// The frame sent while the game is not running: 54 NULs, the status text and a final NUL.
std::string writeNoGameFrame(std::string_view status);

/// The pieces of a received body (the text after the body's leading NUL), split at each NUL
/// and converted to UTF-8. Throws core::RunTimeError on a remainder without NUL or on more
/// than 201 pieces.
std::vector<std::string> splitBody(std::string_view body);

/// Takes the 54 pieces of a body over into `sample` in wire order; the slot number (piece 48)
/// goes straight into `carSlot` once reached. Numbers are read with "." or "," as the decimal
/// point. Throws core::RunTimeError on a piece that is not a number of its field's type; the
/// fields before it stay taken over.
void takeOver(const std::vector<std::string> &pieces, telemetry::TelemetrySample &sample,
              std::int16_t &carSlot);

} // namespace ostrelo::net
