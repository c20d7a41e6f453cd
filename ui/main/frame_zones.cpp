#include "ui/main/frame_zones.h"

namespace tolvane::ui {

HitZone HitTest(int x, int y, ScreenRect window, WindowShowState state)
{
    if (state == WindowShowState::Minimized)
        return HitZone::Nowhere;
    if (state == WindowShowState::Maximized)
        return HitZone::Client;

    // The first matching rule wins, corners before edges. The corner rules test the top with
    // "<= top + 3" and the top edge with "<= top + 2": the corners are one pixel deeper.
    const bool right = x >= window.left + window.width - 2;
    const bool bottom = y >= window.top + window.height - 2;
    const bool left = x <= window.left + 2;
    const bool cornerTop = y <= window.top + 3;
    if (right && bottom)
        return HitZone::BottomRight;
    if (right && cornerTop)
        return HitZone::TopRight;
    if (left && cornerTop)
        return HitZone::TopLeft;
    if (left && bottom)
        return HitZone::BottomLeft;
    if (right)
        return HitZone::Right;
    if (bottom)
        return HitZone::Bottom;
    if (left)
        return HitZone::Left;
    if (y <= window.top + 2)
        return HitZone::Top;
    return HitZone::Client;
}

} // namespace tolvane::ui
