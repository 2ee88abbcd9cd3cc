// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetry/telemetry_fields.h"

#include "core/error.h"

#include <cfloat>
#include <cmath>
#include <type_traits>

namespace ostrelo::telemetry {

std::string FieldName::text() const {
    static constexpr const char *kWheels[] = {"FL", "FR", "RL", "RR"};
    std::string name = base;
    if (wheel >= 0) {
        name += '_';
        name += kWheels[wheel];
    }
    if (zone >= 0) {
        name += '_' + std::to_string(zone);
    }
    return name;
}

std::string firstNotFinite(const TelemetrySample &sample) {
    std::string found;
    forEachWireField(sample, [&found](const FieldName &name, auto &&value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
            if (found.empty() && !std::isfinite(value)) {
                found = name.text();
            }
        }
    });
    return found;
}

float toSingle(double value) {
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
        throw core::RunTimeError("CSng", "Overflow: a value is too large for a single");
    }
    return static_cast<float>(value);
}

} // namespace ostrelo::telemetry
