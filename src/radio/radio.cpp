// SPDX-License-Identifier: GPL-3.0-or-later
#include "radio/radio.h"

#include <algorithm>

namespace ostrelo::radio {

void CallQueue::push(Call call) {
    const auto older = std::find_if(m_calls.begin(), m_calls.end(), [&call](const Call &waiting) {
        return waiting.kind == call.kind && waiting.subject == call.subject;
    });
    if (older != m_calls.end()) {
        *older = std::move(call);
        return;
    }
    m_calls.push_back(std::move(call));
}

std::optional<Call> CallQueue::next() {
    if (m_calls.empty()) {
        return std::nullopt;
    }
    auto chosen =
        std::find_if(m_calls.begin(), m_calls.end(), [](const Call &call) { return call.urgent; });
    if (chosen == m_calls.end()) {
        chosen = m_calls.begin();
    }
    Call call = std::move(*chosen);
    m_calls.erase(chosen);
    return call;
}

void Radio::take(const RadioCalls::Moment &moment, const std::string &idioma,
                 const RadioSettings &settings) {
    const std::vector<Call> calls = m_calls.take(moment, settings.kinds);
    if (!settings.enabled) {
        return;
    }
    m_locale = voiceLocale(idioma);
    for (const Call &call : calls) {
        m_lines.push_front(call);
        if (m_lines.size() > kLines) {
            m_lines.pop_back();
        }
        m_queue.push(call);
    }
    speakNext(settings);
}

void Radio::speakNext(const RadioSettings &settings) {
    if (!settings.enabled || settings.muted) {
        // Nothing said now is said later.
        while (m_queue.next()) {
        }
        return;
    }
    if (!m_voice || !m_voice->ready() || m_voice->speaking()) {
        return;
    }
    if (const std::optional<Call> call = m_queue.next()) {
        m_voice->say(call->text, m_locale, std::clamp(settings.volume, 0, 100) / 100.0);
    }
}

} // namespace ostrelo::radio
