// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/window_layout.h"

namespace ostrelo::dashboard {

std::pair<double, double> validatedPosition(double left, double top, double width, double height,
                                            const TwipRect &desktop) {
    const bool outside = left + width > desktop.left + desktop.width ||
                         top + height > desktop.top + desktop.height || left < desktop.left ||
                         top < desktop.top;
    return outside ? std::pair{0.0, 0.0} : std::pair{left, top};
}

AspectRule::AspectRule(double outerWidth, double outerHeight)
    : m_aspectRatio(outerWidth / outerHeight), m_keptWidth(outerWidth), m_keptHeight(outerHeight) {
}

ResizeDecision AspectRule::resize(double outerWidth, double outerHeight, WindowState state) {
    ResizeDecision decision;
    if (state == WindowState::Minimised) {
        return decision;
    }
    decision.layOut = true;
    if (state == WindowState::Maximised) {
        return decision;
    }
    if (outerWidth < kMinimumOuterWidth ||
        static_cast<float>(kMinimumOuterWidth / m_aspectRatio) > outerHeight) {
        decision.layOut = false;
        return decision;
    }
    if (static_cast<float>(m_keptWidth) != static_cast<float>(outerWidth)) {
        m_keptWidth = outerWidth;
        m_keptHeight = outerWidth / m_aspectRatio;
        decision.newHeight = static_cast<float>(m_keptHeight);
        // The height just set is the window's height from here on.
        outerHeight = *decision.newHeight;
    }
    if (static_cast<float>(m_keptHeight) != static_cast<float>(outerHeight)) {
        m_keptHeight = outerHeight;
        m_keptWidth = outerHeight * m_aspectRatio;
        decision.newWidth = static_cast<float>(m_keptWidth);
    }
    return decision;
}

} // namespace ostrelo::dashboard
