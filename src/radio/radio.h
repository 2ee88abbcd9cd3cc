// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/radio_calls.h"

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>

namespace ostrelo::radio {

/// The calls waiting to be spoken. A newer call of the same kind and subject takes the place
/// of an unspoken older one; urgent calls go first, the others in order.
class CallQueue {
public:
    void push(Call call);
    /// Takes the call to speak next, if any.
    std::optional<Call> next();
    const std::deque<Call> &waiting() const { return m_calls; }

private:
    std::deque<Call> m_calls;
};

/// What speaks the calls: a speech engine, or a test's double.
class Voice {
public:
    virtual ~Voice() = default;
    /// False when no engine can speak; then the calls are lines only.
    virtual bool ready() const = 0;
    virtual bool speaking() const = 0;
    /// Says `text` with the voice of `locale` ("es_ES") at `volume` (0 to 1).
    virtual void say(const std::string &text, const std::string &locale, double volume) = 0;
    /// Called when a call has been said, or the engine has failed, so that the next one can be
    /// said or the failure told.
    std::function<void()> onFinished;
};

/// How the driver set the radio up.
struct RadioSettings {
    bool enabled = false;
    bool muted = false;
    /// 0 to 100.
    int volume = 80;
    std::set<CallKind> kinds = defaultCallKinds();
    bool operator==(const RadioSettings &) const = default;
};

/// The race engineer on the radio: the calls of each moment, spoken one at a time, newest
/// first among the lines the views show.
class Radio {
public:
    /// `voice` speaks the calls; none keeps them as lines.
    explicit Radio(Voice *voice = nullptr) : m_voice(voice) {}
    void setVoice(Voice *voice) { m_voice = voice; }

    /// Takes a moment of the race (see `RadioCalls`) in the language `idioma`, then speaks
    /// the next call if the voice is free.
    void take(const RadioCalls::Moment &moment, const std::string &idioma,
              const RadioSettings &settings);
    /// Speaks the next call if the voice is free (the application asks again when the voice
    /// has finished).
    void speakNext(const RadioSettings &settings);

    /// The latest calls, newest first, at most `kLines`.
    const std::deque<Call> &lines() const { return m_lines; }
    static constexpr std::size_t kLines = 6;
    const CallQueue &queue() const { return m_queue; }

private:
    Voice *m_voice;
    RadioCalls m_calls;
    CallQueue m_queue;
    std::deque<Call> m_lines;
    std::string m_locale = "en_GB";
};

} // namespace ostrelo::radio
