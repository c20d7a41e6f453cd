// Where a borderless window is grabbed: the resize band along its edges, or its client area.
// Plain data in, plain answer out, so the whole rule table is testable without a window.
#pragma once

namespace tolvane::ui {

// The answers carry the classic hit-test numbers, so a logged value reads the same anywhere.
enum class FrameZone {
    Nowhere = 0,
    Client = 1,
    Left = 10,
    Right = 11,
    Top = 12,
    TopLeft = 13,
    TopRight = 14,
    Bottom = 15,
    BottomLeft = 16,
    BottomRight = 17,
};

enum class WindowShowState { Normal, Minimized, Maximized };

// The window's outer rectangle in screen coordinates (signed: a monitor left of or above the
// primary one has negative coordinates).
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The zone at screen point (x, y). The band is 2 pixels deep on the right and bottom, 3 on the
// left and top, and the two top corners reach 4 pixels down. A maximised window has no band
// (Client everywhere); a minimised one answers Nowhere.
[[nodiscard]] FrameZone FrameZoneAt(int x, int y, ScreenRect window, WindowShowState state);

} // namespace tolvane::ui
