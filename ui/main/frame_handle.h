// Moving and resizing a borderless window by hand. The window has no system frame, so this
// object stands in for it: a drag on a free part of the window moves it, a drag on the band
// along its edges (FrameZoneAt) resizes it, and over the band the cursor shows the direction.
//
// The platform does the move or resize where it can (a window manager that follows the
// pointer); where it cannot, the drag is followed here, so the window behaves the same under a
// bare X server and in the offscreen tests.
#pragma once

#include "ui/main/frame_zones.h"

#include <QObject>
#include <QPoint>
#include <QRect>

class QMouseEvent;
class QWidget;

namespace tolvane::ui {

class FrameHandle : public QObject {
    Q_OBJECT
public:
    // Watches `window` itself: a drag where no child takes the mouse moves it.
    explicit FrameHandle(QWidget* window);
    ~FrameHandle() override;

    // Makes the resize band reachable over `child` too (a control that fills the window to its
    // edges would otherwise hide them). Elsewhere the child keeps its own mouse handling.
    void WatchBandOver(QWidget* child);

signals:
    // A left press on a free part of the window (not the band) has ended, whether the window
    // moved or not. A move the platform carries out ends without it; the window's own move
    // events tell that one.
    void pressEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Drag { None, Pending, ManualMove, ManualResize };

    [[nodiscard]] FrameZone ZoneAt(QPoint globalPos) const;
    [[nodiscard]] bool IsNormal() const;
    void ShowZoneCursor(FrameZone zone);
    bool Press(const QMouseEvent& event, bool onWindow, bool doubleClick);
    bool Release();
    bool Move(const QMouseEvent& event);
    void FollowManually(QPoint globalPos);

    QWidget* m_window;
    // A drag on the window starts the move only once the mouse really moves, so the two
    // clicks of a double-click reach the window.
    Drag m_drag = Drag::None;
    FrameZone m_zone = FrameZone::Client;
    QPoint m_pressGlobal;
    QRect m_pressGeometry;
    bool m_zoneCursor = false;
    // A left press on the window itself, outside the band, has not ended yet.
    bool m_windowPress = false;
};

} // namespace tolvane::ui
