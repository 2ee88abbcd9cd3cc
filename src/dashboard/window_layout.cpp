// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/window_layout.h"

#include <algorithm>

namespace ostrelo::dashboard {

TwipRect outerRect(const TwipRect &inner, const FrameMargins &frame) {
    return {inner.left - frame.left, inner.top - frame.top, inner.width + frame.left + frame.right,
            inner.height + frame.top + frame.bottom};
}

TwipRect innerRect(const TwipRect &outer, const FrameMargins &frame) {
    return {outer.left + frame.left, outer.top + frame.top, outer.width - frame.left - frame.right,
            outer.height - frame.top - frame.bottom};
}

bool titleBarOnScreens(const TwipRect &outer, double titleHeight,
                       std::span<const TwipRect> screens) {
    const double right = outer.left + outer.width;
    const double bottom = outer.top + std::min(titleHeight, outer.height);
    // Walk the bar from its left end, from one screen to the next that goes on from it.
    double reached = outer.left;
    for (;;) {
        const auto next = std::find_if(screens.begin(), screens.end(), [&](const TwipRect &s) {
            return s.top <= outer.top && bottom <= s.top + s.height && s.left <= reached &&
                   reached < s.left + s.width;
        });
        if (next == screens.end()) {
            return false;
        }
        reached = next->left + next->width;
        if (reached >= right) {
            return true;
        }
    }
}

std::pair<double, double> validatedPosition(double left, double top, double width, double height,
                                            double titleHeight, const TwipRect &desktop,
                                            std::span<const TwipRect> screens) {
    const bool outside = left + width > desktop.left + desktop.width ||
                         top + height > desktop.top + desktop.height || left < desktop.left ||
                         top < desktop.top;
    if (!outside && titleBarOnScreens({left, top, width, height}, titleHeight, screens)) {
        return {left, top};
    }
    return screens.empty() ? std::pair{0.0, 0.0}
                           : std::pair{screens.front().left, screens.front().top};
}

std::pair<double, double> companionPosition(const TwipRect &main, TwipSize size,
                                            const TwipRect &screen, double gap) {
    const double screenRight = screen.left + screen.width;
    const double screenBottom = screen.top + screen.height;
    const auto within = [](double at, double length, double from, double to) {
        return std::max(from, std::min(at, to - length));
    };
    const double alignedLeft = within(main.left, size.width, screen.left, screenRight);
    const double alignedTop = within(main.top, size.height, screen.top, screenBottom);
    if (const double below = main.top + main.height + gap; below + size.height <= screenBottom) {
        return {alignedLeft, below};
    }
    if (const double above = main.top - gap - size.height; above >= screen.top) {
        return {alignedLeft, above};
    }
    if (const double right = main.left + main.width + gap; right + size.width <= screenRight) {
        return {right, alignedTop};
    }
    if (const double left = main.left - gap - size.width; left >= screen.left) {
        return {left, alignedTop};
    }
    return {alignedLeft, std::max(screen.top, screenBottom - size.height)};
}

TwipSize shrinkToFit(TwipSize size, TwipSize room) {
    if (room.width <= 0 || room.height <= 0 || size.width <= 0 || size.height <= 0 ||
        (size.width <= room.width && size.height <= room.height)) {
        return size;
    }
    // The side that meets the room's edge takes the room's length exactly.
    const double ratio = size.width / size.height;
    if (size.width * room.height > room.width * size.height) {
        return {room.width, room.width / ratio};
    }
    return {room.height * ratio, room.height};
}

AspectRule::AspectRule(double outerWidth, double outerHeight)
    : m_aspectRatio(outerWidth / outerHeight), m_keptWidth(outerWidth), m_keptHeight(outerHeight) {
}

ResizeDecision AspectRule::resize(double outerWidth, double outerHeight, WindowState state,
                                  TwipSize room) {
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
    // A width that wins must not push the bottom (or a height the right edge) off the screen:
    // the window shrinks as a whole to the room its screen has.
    const TwipSize fitted = shrinkToFit({m_keptWidth, m_keptHeight}, room);
    if (static_cast<float>(fitted.width) != static_cast<float>(m_keptWidth) ||
        static_cast<float>(fitted.height) != static_cast<float>(m_keptHeight)) {
        m_keptWidth = fitted.width;
        m_keptHeight = fitted.height;
        decision.newWidth = static_cast<float>(m_keptWidth);
        decision.newHeight = static_cast<float>(m_keptHeight);
    }
    return decision;
}

} // namespace ostrelo::dashboard
