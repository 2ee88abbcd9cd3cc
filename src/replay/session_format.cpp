// SPDX-License-Identifier: GPL-3.0-or-later
#include "replay/session_format.h"

#include "telemetry/telemetry_fields.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <type_traits>

namespace ostrelo::replay {
namespace {

constexpr std::string_view kMagic = "OSTRELO-SESSION\n";
constexpr unsigned char kDelta = 1;
constexpr unsigned char kKeyframe = 2;
constexpr unsigned char kStandings = 3;
constexpr std::uint64_t kSlotCount = 64; // of the game's car array
// The sample's own fields: the wire's, less the reserved single and the slot.
constexpr std::size_t kFieldCount = 51;
constexpr std::size_t kMaskBytes = (kFieldCount + 7) / 8;
// No record of this program comes near this; a larger length is damage.
constexpr std::uint64_t kLargestRecord = 1 << 16;
// A whole record at most: its kind, the payload's length, the payload and the checksum.
constexpr std::size_t kLargestFrame = 1 + 10 + kLargestRecord + 2;
constexpr std::size_t kLongestHeaderLine = 4096;
// How much of the file a decoder holds at a time.
constexpr std::size_t kWindowBytes = 256 * 1024;

// Calls `visit(index, field)` for each of the sample's own fields in wire order.
template <typename Sample, typename Visit> void eachField(Sample &sample, Visit &&visit) {
    std::size_t index = 0;
    telemetry::forEachWireField(sample, [&](const telemetry::FieldName &, auto &&field) {
        using T = std::decay_t<decltype(field)>;
        if constexpr (!std::is_same_v<T, telemetry::Reserved> &&
                      !std::is_same_v<T, telemetry::CarSlot>) {
            visit(index++, field);
        }
    });
}

void putVarint(std::string &out, std::uint64_t value) {
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

std::uint64_t zigzag(std::int64_t value) {
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t unzigzag(std::uint64_t value) {
    return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
}

template <typename T> void putValue(std::string &out, const T &value) {
    if constexpr (std::is_same_v<T, std::string>) {
        putVarint(out, value.size());
        out += value;
    } else {
        char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        out.append(bytes, sizeof(T));
    }
}

template <typename T> bool same(const T &a, const T &b) {
    if constexpr (std::is_same_v<T, std::string>) {
        return a == b;
    } else {
        return std::memcmp(&a, &b, sizeof(T)) == 0;
    }
}

// Reads from a piece of the file, refusing to go past its end.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : m_bytes(bytes) {}
    bool varint(std::uint64_t &value) {
        value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (m_at >= m_bytes.size()) {
                return false;
            }
            const auto byte = static_cast<unsigned char>(m_bytes[m_at++]);
            value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0) {
                return true;
            }
        }
        return false;
    }
    bool bytes(std::size_t count, std::string_view &out) {
        if (count > m_bytes.size() - m_at) {
            return false;
        }
        out = m_bytes.substr(m_at, count);
        m_at += count;
        return true;
    }
    template <typename T> bool value(T &out) {
        if constexpr (std::is_same_v<T, std::string>) {
            std::uint64_t length = 0;
            std::string_view text;
            if (!varint(length) || length > kLargestRecord || !bytes(length, text)) {
                return false;
            }
            out = std::string(text);
            return true;
        } else {
            std::string_view raw;
            if (!bytes(sizeof(T), raw)) {
                return false;
            }
            std::memcpy(&out, raw.data(), sizeof(T));
            return true;
        }
    }
    std::size_t at() const { return m_at; }
    bool done() const { return m_at == m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

// One record of the file: its kind, the payload's length, the payload and its checksum.
std::string record(unsigned char kind, const std::string &payload) {
    std::string out(1, static_cast<char>(kind));
    putVarint(out, payload.size());
    out += payload;
    const std::uint16_t sum = recordChecksum(payload);
    out += static_cast<char>(sum & 0xFF);
    out += static_cast<char>(sum >> 8);
    return out;
}

std::string standingsPayload(const telemetry::Standings &standings) {
    std::string out;
    putVarint(out, standings.cars.size());
    for (const telemetry::CarStanding &car : standings.cars) {
        putVarint(out, static_cast<std::uint64_t>(car.slot));
        putVarint(out, zigzag(car.position));
        putVarint(out, zigzag(car.lapsCompleted));
        putValue(out, car.lastLapTime);
        putValue(out, car.bestLapTime);
        out += static_cast<char>(car.inPits ? 1 : 0);
        putValue(out, car.driverName);
        putValue(out, car.carName);
    }
    return out;
}

struct Frame {
    unsigned char kind = 0;
    std::string_view payload;
    std::size_t size = 0; // of the whole record
};

// The record at the start of `bytes`, or why it cannot be read.
SessionFault::Kind frameAt(std::string_view bytes, Frame &frame) {
    Cursor cursor(bytes);
    std::string_view kind;
    std::uint64_t length = 0;
    std::string_view sum;
    if (!cursor.bytes(1, kind) || !cursor.varint(length) || length > kLargestRecord ||
        !cursor.bytes(length, frame.payload) || !cursor.bytes(2, sum)) {
        return SessionFault::Kind::CutRecord;
    }
    const auto stored = static_cast<std::uint16_t>(static_cast<unsigned char>(sum[0]) |
                                                   (static_cast<unsigned char>(sum[1]) << 8));
    if (stored != recordChecksum(frame.payload)) {
        return SessionFault::Kind::DamagedRecord;
    }
    frame.kind = static_cast<unsigned char>(kind[0]);
    frame.size = cursor.at();
    return SessionFault::Kind::None;
}

bool fitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

bool readStandings(std::string_view payload, telemetry::Standings &into) {
    Cursor cursor(payload);
    telemetry::Standings standings;
    std::uint64_t count = 0;
    if (!cursor.varint(count) || count > kSlotCount) {
        return false;
    }
    standings.cars.assign(count, {});
    for (telemetry::CarStanding &car : standings.cars) {
        std::uint64_t slot = 0;
        std::uint64_t position = 0;
        std::uint64_t laps = 0;
        std::string_view inPits;
        if (!cursor.varint(slot) || slot >= kSlotCount || !cursor.varint(position) ||
            !cursor.varint(laps) || !cursor.value(car.lastLapTime) ||
            !cursor.value(car.bestLapTime) || !cursor.bytes(1, inPits) ||
            !cursor.value(car.driverName) || !cursor.value(car.carName)) {
            return false;
        }
        // The game holds both in 32 bits: a number beyond them is damage.
        const std::int64_t place = unzigzag(position);
        const std::int64_t completed = unzigzag(laps);
        if (!fitsInt32(place) || !fitsInt32(completed)) {
            return false;
        }
        car.slot = static_cast<std::int16_t>(slot);
        car.position = static_cast<std::int32_t>(place);
        car.lapsCompleted = static_cast<std::int32_t>(completed);
        car.inPits = inPits[0] != 0;
    }
    if (!cursor.done()) {
        return false;
    }
    into = std::move(standings);
    return true;
}

} // namespace

std::uint16_t recordChecksum(std::string_view payload) {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    for (const char c : payload) {
        a = (a + static_cast<unsigned char>(c)) % 255;
        b = (b + a) % 255;
    }
    return static_cast<std::uint16_t>((b << 8) | a);
}

std::string SessionEncoder::header(const SessionHeader &h) {
    std::string out(kMagic);
    putVarint(out, static_cast<std::uint64_t>(h.version));
    const auto line = [&out](std::string_view key, const std::string &value) {
        out += std::string(key) + '=';
        for (const char c : value) {
            out += c == '\n' ? ' ' : c;
        }
        out += '\n';
    };
    line("program", h.program);
    line("created_ms", std::to_string(h.createdMs));
    line("track", h.track);
    line("car", h.car);
    return out + '\n';
}

std::string SessionEncoder::encode(const RecordedSample &r) {
    // A time that goes back, or that is too far from the last keyframe to be written as a
    // change, starts a keyframe; a change is then never longer than a keyframe's span.
    std::int64_t sinceKeyframeMs = 0;
    const bool keyframe = !m_started || r.timeMs < m_previous.timeMs ||
                          __builtin_sub_overflow(r.timeMs, m_lastKeyframeMs, &sinceKeyframeMs) ||
                          sinceKeyframeMs >= kKeyframeMs;
    std::string payload;
    putVarint(payload, zigzag(keyframe ? r.timeMs : r.timeMs - m_previous.timeMs));
    putVarint(payload, zigzag(r.carSlot));
    std::string mask(kMaskBytes, '\0');
    std::string values;
    std::vector<const void *> previous;
    eachField(m_previous.sample,
              [&](std::size_t, const auto &field) { previous.push_back(&field); });
    eachField(r.sample, [&](std::size_t index, const auto &field) {
        using T = std::decay_t<decltype(field)>;
        if (keyframe || !same(field, *static_cast<const T *>(previous[index]))) {
            mask[index / 8] = static_cast<char>(mask[index / 8] | (1 << (index % 8)));
            putValue(values, field);
        }
    });
    if (!keyframe) {
        payload += mask;
    }
    payload += values;
    // Standings change far less often than samples: they are written when they change (byte
    // for byte), and with every keyframe.
    std::string out;
    std::string standings = standingsPayload(r.standings);
    if (keyframe || standings != m_standings) {
        out = record(kStandings, standings);
        m_standings = std::move(standings);
    }
    out += record(keyframe ? kKeyframe : kDelta, payload);
    if (keyframe) {
        m_lastKeyframeMs = r.timeMs;
    }
    m_previous = r;
    m_started = true;
    return out;
}

SessionDecoder::SessionDecoder(std::string_view bytes)
    : SessionDecoder(std::make_unique<BytesSource>(bytes)) {
}

SessionDecoder::SessionDecoder(std::unique_ptr<SessionSource> source)
    : m_source(std::move(source)) {
    readHeader();
}

std::string_view SessionDecoder::bytesAt(std::uint64_t offset, std::size_t size) {
    const bool inWindow = offset >= m_windowAt && offset - m_windowAt <= m_window.size();
    if (!inWindow || (m_window.size() - (offset - m_windowAt) < size && !m_windowToEnd)) {
        // A window several records wide: most records are read from memory.
        const std::size_t wanted = std::max(size, kWindowBytes);
        m_window.resize(wanted);
        m_window.resize(m_source->read(offset, m_window.data(), wanted));
        m_windowAt = offset;
        m_windowToEnd = m_window.size() < wanted;
    }
    return std::string_view(m_window).substr(static_cast<std::size_t>(offset - m_windowAt), size);
}

void SessionDecoder::readHeader() {
    if (bytesAt(0, 1).empty()) {
        m_refusal = {SessionFault::Kind::Empty, 0};
        return;
    }
    if (bytesAt(0, kMagic.size()) != kMagic) {
        m_refusal = {SessionFault::Kind::NotASession, 0};
        return;
    }
    Cursor cursor(bytesAt(kMagic.size(), 10));
    std::uint64_t version = 0;
    if (!cursor.varint(version)) {
        m_refusal = {SessionFault::Kind::HeaderCut, 0};
        return;
    }
    if (version > static_cast<std::uint64_t>(kFormatVersion) || version == 0) {
        m_refusal = {SessionFault::Kind::NewerFormat, version};
        return;
    }
    m_header.version = static_cast<int>(version);
    std::uint64_t at = kMagic.size() + cursor.at();
    for (;;) {
        const std::string_view piece = bytesAt(at, kLongestHeaderLine + 1);
        const std::size_t end = piece.find('\n');
        if (end == std::string_view::npos) {
            m_refusal = {SessionFault::Kind::HeaderCut, 0};
            return;
        }
        const std::string_view line = piece.substr(0, end);
        at += end + 1;
        if (line.empty()) {
            break;
        }
        const std::size_t equals = line.find('=');
        const std::string_view key = line.substr(0, equals);
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
        if (key == "program") {
            m_header.program = value;
        } else if (key == "created_ms") {
            // A time that is not a number, or too large for one, is not known.
            std::int64_t ms = 0;
            const auto [rest, error] =
                std::from_chars(value.data(), value.data() + value.size(), ms);
            m_header.createdMs =
                error == std::errc() && rest == value.data() + value.size() ? ms : 0;
        } else if (key == "track") {
            m_header.track = value;
        } else if (key == "car") {
            m_header.car = value;
        }
    }
    m_start = m_at = at;
}

bool SessionDecoder::damaged(std::uint64_t at, SessionFault::Kind why) {
    m_stop = {why, at};
    m_at = std::numeric_limits<std::uint64_t>::max();
    return false;
}

bool SessionDecoder::readRecord(RecordedSample &r) {
    const std::uint64_t unitStart = m_at;
    if (m_at == std::numeric_limits<std::uint64_t>::max() || bytesAt(m_at, 1).empty()) {
        return false;
    }
    // The standings come before the sample they were read with; a sample without its
    // standings is not played.
    telemetry::Standings standings = m_previous.standings;
    Frame frame;
    for (;;) {
        if (const SessionFault::Kind why = frameAt(bytesAt(m_at, kLargestFrame), frame);
            why != SessionFault::Kind::None) {
            return damaged(m_at, why);
        }
        if (frame.kind != kStandings) {
            break;
        }
        if (!readStandings(frame.payload, standings)) {
            return damaged(m_at, SessionFault::Kind::DamagedStandings);
        }
        m_at += frame.size;
    }
    // The frame's payload is read before the window moves again.
    const std::uint64_t recordStart = m_at;
    const bool keyframe = frame.kind == kKeyframe;
    if (!keyframe && frame.kind != kDelta) {
        return damaged(recordStart, SessionFault::Kind::DamagedRecord);
    }
    if (!keyframe && unitStart == m_start) {
        return damaged(recordStart, SessionFault::Kind::NoWholeSample);
    }
    Cursor fields(frame.payload);
    std::uint64_t time = 0;
    std::uint64_t slot = 0;
    std::string_view mask;
    if (!fields.varint(time) || !fields.varint(slot) ||
        (!keyframe && !fields.bytes(kMaskBytes, mask))) {
        return damaged(recordStart, SessionFault::Kind::DamagedRecord);
    }
    // A time or slot that no recorder could have written is damage.
    std::int64_t timeMs = unzigzag(time);
    const std::int64_t carSlot = unzigzag(slot);
    if ((!keyframe && __builtin_add_overflow(m_previous.timeMs, timeMs, &timeMs)) ||
        carSlot < std::numeric_limits<std::int16_t>::min() ||
        carSlot > std::numeric_limits<std::int16_t>::max()) {
        return damaged(recordStart, SessionFault::Kind::DamagedRecord);
    }
    r = m_previous;
    r.timeMs = timeMs;
    r.carSlot = static_cast<std::int16_t>(carSlot);
    r.standings = std::move(standings);
    bool whole = true;
    eachField(r.sample, [&](std::size_t index, auto &field) {
        const bool present =
            keyframe || (static_cast<unsigned char>(mask[index / 8]) >> (index % 8)) & 1;
        if (present && whole) {
            whole = fields.value(field);
        }
    });
    if (!whole || !fields.done()) {
        return damaged(recordStart, SessionFault::Kind::DamagedRecord);
    }
    m_at += frame.size;
    m_sampleStart = unitStart;
    m_atKeyframe = keyframe;
    m_previous = r;
    return true;
}

bool SessionDecoder::next(RecordedSample &sample) {
    if (!m_refusal.empty()) {
        return false;
    }
    return readRecord(sample);
}

void SessionDecoder::restartAt(std::uint64_t offset) {
    m_at = std::max(offset, m_start);
    m_stop = {};
    m_previous = {};
}

} // namespace ostrelo::replay
