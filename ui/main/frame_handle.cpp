#include "ui/main/frame_handle.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <array>
#include <utility>

namespace tolvane::ui {
namespace {

struct ZoneLook {
    FrameZone zone;
    Qt::Edges edges;
    Qt::CursorShape cursor;
};

constexpr std::array kZoneLooks = {
    ZoneLook{FrameZone::Left, Qt::LeftEdge, Qt::SizeHorCursor},
    ZoneLook{FrameZone::Right, Qt::RightEdge, Qt::SizeHorCursor},
    ZoneLook{FrameZone::Top, Qt::TopEdge, Qt::SizeVerCursor},
    ZoneLook{FrameZone::Bottom, Qt::BottomEdge, Qt::SizeVerCursor},
    ZoneLook{FrameZone::TopLeft, Qt::TopEdge | Qt::LeftEdge, Qt::SizeFDiagCursor},
    ZoneLook{FrameZone::BottomRight, Qt::BottomEdge | Qt::RightEdge, Qt::SizeFDiagCursor},
    ZoneLook{FrameZone::TopRight, Qt::TopEdge | Qt::RightEdge, Qt::SizeBDiagCursor},
    ZoneLook{FrameZone::BottomLeft, Qt::BottomEdge | Qt::LeftEdge, Qt::SizeBDiagCursor},
};

// The band's look for a zone, or nullptr for the client area and nowhere.
const ZoneLook* LookOf(FrameZone zone)
{
    const auto* it = std::ranges::find(kZoneLooks, zone, &ZoneLook::zone);
    return it == kZoneLooks.end() ? nullptr : it;
}

QPoint GlobalPos(const QMouseEvent& event)
{
    return event.globalPosition().toPoint();
}

} // namespace

FrameHandle::FrameHandle(QWidget* window)
    : QObject(window)
    , m_window(window)
{
    window->setMouseTracking(true);
    window->installEventFilter(this);
}

FrameHandle::~FrameHandle()
{
    if (m_zoneCursor)
        QGuiApplication::restoreOverrideCursor();
}

void FrameHandle::WatchBandOver(QWidget* child)
{
    child->setMouseTracking(true);
    child->installEventFilter(this);
}

bool FrameHandle::IsNormal() const
{
    return !m_window->isMinimized() && !m_window->isMaximized() && !m_window->isFullScreen();
}

FrameZone FrameHandle::ZoneAt(QPoint globalPos) const
{
    const QRect frame = m_window->frameGeometry();
    WindowShowState state = WindowShowState::Normal;
    if (m_window->isMinimized())
        state = WindowShowState::Minimized;
    else if (!IsNormal())
        state = WindowShowState::Maximized;
    return FrameZoneAt(globalPos.x(), globalPos.y(),
                       ScreenRect{frame.left(), frame.top(), frame.width(), frame.height()}, state);
}

void FrameHandle::ShowZoneCursor(FrameZone zone)
{
    // An override cursor, because the band lies over children with cursors of their own (the
    // sheet's text cursor) that must come back unchanged.
    const ZoneLook* look = LookOf(zone);
    if (look && !m_zoneCursor) {
        QGuiApplication::setOverrideCursor(look->cursor);
        m_zoneCursor = true;
    } else if (look) {
        QGuiApplication::changeOverrideCursor(look->cursor);
    } else if (m_zoneCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_zoneCursor = false;
    }
}

bool FrameHandle::Press(const QMouseEvent& event, bool onWindow, bool doubleClick)
{
    if (event.button() != Qt::LeftButton || !IsNormal())
        return false;
    const QPoint global = GlobalPos(event);
    m_pressGlobal = global;
    m_pressGeometry = m_window->geometry();
    if (const ZoneLook* look = LookOf(ZoneAt(global))) {
        QWindow* handle = m_window->windowHandle();
        if (!handle || !handle->startSystemResize(look->edges)) {
            m_drag = Drag::ManualResize;
            m_zone = look->zone;
        }
        return true;
    }
    if (onWindow) {
        m_windowPress = true;
        // A drag moves the window; the two clicks of a double-click reach it undisturbed.
        if (!doubleClick)
            m_drag = Drag::Pending;
    }
    return false;
}

bool FrameHandle::Release()
{
    const bool dragging = m_drag == Drag::ManualMove || m_drag == Drag::ManualResize;
    m_drag = Drag::None;
    if (std::exchange(m_windowPress, false))
        emit pressEnded();
    return dragging;
}

bool FrameHandle::Move(const QMouseEvent& event)
{
    const QPoint global = GlobalPos(event);
    switch (m_drag) {
    case Drag::None:
        if (event.buttons() == Qt::NoButton)
            ShowZoneCursor(ZoneAt(global));
        return false;
    case Drag::Pending:
        if ((global - m_pressGlobal).manhattanLength() < QApplication::startDragDistance())
            return false;
        if (QWindow* handle = m_window->windowHandle(); handle && handle->startSystemMove()) {
            m_drag = Drag::None;
            m_windowPress = false;
            return true;
        }
        m_drag = Drag::ManualMove;
        break;
    case Drag::ManualMove:
    case Drag::ManualResize:
        break;
    }
    FollowManually(global);
    return true;
}

void FrameHandle::FollowManually(QPoint globalPos)
{
    const QPoint delta = globalPos - m_pressGlobal;
    if (m_drag == Drag::ManualMove) {
        m_window->move(m_pressGeometry.topLeft() + delta);
        return;
    }
    // Each edge that moves stops where the window would get smaller than its minimum.
    QRect g = m_pressGeometry;
    const Qt::Edges edges = LookOf(m_zone)->edges;
    const QSize least = m_window->minimumSize();
    if (edges & Qt::LeftEdge)
        g.setLeft(std::min(g.left() + delta.x(), g.right() + 1 - least.width()));
    if (edges & Qt::RightEdge)
        g.setRight(std::max(g.right() + delta.x(), g.left() + least.width() - 1));
    if (edges & Qt::TopEdge)
        g.setTop(std::min(g.top() + delta.y(), g.bottom() + 1 - least.height()));
    if (edges & Qt::BottomEdge)
        g.setBottom(std::max(g.bottom() + delta.y(), g.top() + least.height() - 1));
    m_window->setGeometry(g);
}

bool FrameHandle::eventFilter(QObject* watched, QEvent* event)
{
    const bool onWindow = watched == m_window;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // On the window itself a double-click that is not on the band belongs to the window.
        return Press(*static_cast<QMouseEvent*>(event), onWindow,
                     event->type() == QEvent::MouseButtonDblClick);
    case QEvent::MouseMove:
        return Move(*static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return Release();
    case QEvent::Leave:
        if (m_drag == Drag::None)
            ShowZoneCursor(FrameZone::Client);
        return false;
    default:
        return false;
    }
}

} // namespace tolvane::ui
