// SPDX-License-Identifier: GPL-3.0-or-later
#include "replay/session_format.h"

#include "telemetry/telemetry_fields.h"

#include <cstring>
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

std::uint16_t checksum(std::string_view bytes) {
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    for (const char c : bytes) {
        a = (a + static_cast<unsigned char>(c)) % 255;
        b = (b + a) % 255;
    }
    return static_cast<std::uint16_t>((b << 8) | a);
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
    const std::uint16_t sum = checksum(payload);
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
    if (stored != checksum(frame.payload)) {
        return SessionFault::Kind::DamagedRecord;
    }
    frame.kind = static_cast<unsigned char>(kind[0]);
    frame.size = cursor.at();
    return SessionFault::Kind::None;
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
        car.slot = static_cast<std::int16_t>(slot);
        car.position = static_cast<std::int32_t>(unzigzag(position));
        car.lapsCompleted = static_cast<std::int32_t>(unzigzag(laps));
        car.inPits = inPits[0] != 0;
    }
    if (!cursor.done()) {
        return false;
    }
    into = std::move(standings);
    return true;
}

} // namespace

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
    const bool keyframe =
        !m_started || r.timeMs - m_lastKeyframeMs >= kKeyframeMs || r.timeMs < m_previous.timeMs;
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

SessionDecoder::SessionDecoder(std::string_view bytes) : m_bytes(bytes) {
    if (bytes.empty()) {
        m_refusal = {SessionFault::Kind::Empty, 0};
        return;
    }
    if (bytes.substr(0, kMagic.size()) != kMagic) {
        m_refusal = {SessionFault::Kind::NotASession, 0};
        return;
    }
    Cursor cursor(bytes.substr(kMagic.size()));
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
    std::size_t at = kMagic.size() + cursor.at();
    for (;;) {
        const std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos || end - at > 4096) {
            m_refusal = {SessionFault::Kind::HeaderCut, 0};
            return;
        }
        const std::string_view line = bytes.substr(at, end - at);
        at = end + 1;
        if (line.empty()) {
            break;
        }
        const std::size_t equals = line.find('=');
        const std::string_view key = line.substr(0, equals);
        const std::string value(equals == std::string_view::npos ? "" : line.substr(equals + 1));
        if (key == "program") {
            m_header.program = value;
        } else if (key == "created_ms") {
            m_header.createdMs = std::atoll(value.c_str());
        } else if (key == "track") {
            m_header.track = value;
        } else if (key == "car") {
            m_header.car = value;
        }
    }
    m_start = m_at = at;
}

bool SessionDecoder::damaged(std::size_t at, SessionFault::Kind why) {
    m_stop = {why, at};
    m_at = m_bytes.size();
    return false;
}

bool SessionDecoder::readRecord(RecordedSample &r) {
    const std::size_t unitStart = m_at;
    if (m_at >= m_bytes.size()) {
        return false;
    }
    // The standings come before the sample they were read with; a sample without its
    // standings is not played.
    telemetry::Standings standings = m_previous.standings;
    Frame frame;
    for (;;) {
        if (const SessionFault::Kind why = frameAt(m_bytes.substr(m_at), frame);
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
    const std::size_t recordStart = m_at;
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
    r = m_previous;
    r.timeMs = keyframe ? unzigzag(time) : m_previous.timeMs + unzigzag(time);
    r.carSlot = static_cast<std::int16_t>(unzigzag(slot));
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
    if (keyframe && (m_keyframes.empty() || m_keyframes.back().second < unitStart)) {
        m_keyframes.emplace_back(r.timeMs, unitStart);
    }
    m_at += frame.size;
    m_previous = r;
    return true;
}

bool SessionDecoder::next(RecordedSample &sample) {
    if (!m_refusal.empty()) {
        return false;
    }
    return readRecord(sample);
}

void SessionDecoder::rewindTo(std::int64_t timeMs) {
    std::size_t at = m_start;
    for (const auto &[time, offset] : m_keyframes) {
        if (time <= timeMs) {
            at = offset;
        }
    }
    m_at = at;
    m_stop = {};
    m_previous = {};
}

} // namespace ostrelo::replay
