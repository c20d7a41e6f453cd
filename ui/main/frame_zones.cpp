#include "ui/main/frame_zones.h"

namespace tolvane::ui {

FrameZone FrameZoneAt(int x, int y, ScreenRect window, WindowShowState state)
{
    if (state == WindowShowState::Minimized)
        return FrameZone::Nowhere;
    if (state == WindowShowState::Maximized)
        return FrameZone::Client;

    // The first matching rule wins, corners before edges. The corner rules test the top with
    // "<= top + 3" and the top edge with "<= top + 2": the corners are one pixel deeper.
    const bool right = x >= window.left + window.width - 2;
    const bool bottom = y >= window.top + window.height - 2;
    const bool left = x <= window.left + 2;
    const bool cornerTop = y <= window.top + 3;
    if (right && bottom)
        return FrameZone::BottomRight;
    if (right && cornerTop)
        return FrameZone::TopRight;
    if (left && cornerTop)
        return FrameZone::TopLeft;
    if (left && bottom)
        return FrameZone::BottomLeft;
    if (right)
        return FrameZone::Right;
    if (bottom)
        return FrameZone::Bottom;
    if (left)
        return FrameZone::Left;
    if (y <= window.top + 2)
        return FrameZone::Top;
    return FrameZone::Client;
}

} // namespace tolvane::ui
