// FrameZoneAt over every row of the zone table, at and just past each boundary, for a window on the
// primary screen and for one on a monitor left of and above it.
#include "ui/main/frame_zones.h"

#include <QTest>

using tolvane::ui::FrameZone;
using tolvane::ui::FrameZoneAt;
using tolvane::ui::ScreenRect;
using tolvane::ui::WindowShowState;

Q_DECLARE_METATYPE(FrameZone)
Q_DECLARE_METATYPE(WindowShowState)

class FrameZonesTest : public QObject {
    Q_OBJECT
private slots:
    void zones_data();
    void zones();
};

void FrameZonesTest::zones_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<WindowShowState>("state");
    QTest::addColumn<FrameZone>("want");

    // A 700 x 422 window at (100, 200): right band x >= 798, bottom band y >= 620,
    // left band x <= 102, top band y <= 202, top corners down to y = 203.
    const auto normal = WindowShowState::Normal;
    struct Row {
        const char* name;
        int x, y;
        FrameZone want;
    };
    const Row rows[] = {
        {"bottom-right inner edge", 798, 620, FrameZone::BottomRight},
        {"bottom-right outermost pixel", 799, 621, FrameZone::BottomRight},
        {"top-right at the top band's last row", 798, 202, FrameZone::TopRight},
        {"top-right corner one row deeper", 798, 203, FrameZone::TopRight},
        {"right edge below the corner", 798, 204, FrameZone::Right},
        {"top-left outermost pixel", 100, 200, FrameZone::TopLeft},
        {"top-left corner one row deeper", 102, 203, FrameZone::TopLeft},
        {"left edge below the corner", 102, 204, FrameZone::Left},
        {"between the corners at their extra row", 103, 203, FrameZone::Client},
        {"bottom-left inner edge", 102, 620, FrameZone::BottomLeft},
        {"bottom-left outermost pixel", 100, 621, FrameZone::BottomLeft},
        {"right band inner edge", 798, 400, FrameZone::Right},
        {"just inside the right band", 797, 400, FrameZone::Client},
        {"bottom band inner edge", 400, 620, FrameZone::Bottom},
        {"just inside the bottom band", 400, 619, FrameZone::Client},
        {"left band inner edge", 102, 400, FrameZone::Left},
        {"just inside the left band", 103, 400, FrameZone::Client},
        {"top band inner edge", 400, 202, FrameZone::Top},
        {"top band outermost row", 400, 200, FrameZone::Top},
        {"just below the top band", 400, 203, FrameZone::Client},
        {"middle of the sheet", 400, 400, FrameZone::Client},
    };
    for (const Row& r : rows)
        QTest::newRow(r.name) << r.x << r.y << 100 << 200 << normal << r.want;

    // The same zones on a monitor left of and above the primary one: no sign slips.
    const Row negative[] = {
        {"negative: bottom-right", -802, -480, FrameZone::BottomRight},
        {"negative: top-right corner extra row", -802, -897, FrameZone::TopRight},
        {"negative: top-left corner extra row", -1498, -897, FrameZone::TopLeft},
        {"negative: bottom-left", -1500, -479, FrameZone::BottomLeft},
        {"negative: right", -802, -600, FrameZone::Right},
        {"negative: bottom", -1000, -480, FrameZone::Bottom},
        {"negative: left", -1498, -600, FrameZone::Left},
        {"negative: top", -1000, -898, FrameZone::Top},
        {"negative: just below the top band", -1000, -897, FrameZone::Client},
        {"negative: just inside the right band", -803, -600, FrameZone::Client},
        {"negative: client", -1000, -600, FrameZone::Client},
    };
    for (const Row& r : negative)
        QTest::newRow(r.name) << r.x << r.y << -1500 << -900 << normal << r.want;

    // A window straddling the origin: the band follows the window, not the screen's zero.
    QTest::newRow("straddling origin: left") << -3 << 50 << -5 << -5 << normal << FrameZone::Left;
    QTest::newRow("straddling origin: top") << 50 << -3 << -5 << -5 << normal << FrameZone::Top;
    QTest::newRow("straddling origin: client") << 0 << 0 << -5 << -5 << normal << FrameZone::Client;

    // Maximised: no band anywhere. Minimised: nothing is hit.
    QTest::newRow("maximised corner")
        << 798 << 620 << 100 << 200 << WindowShowState::Maximized << FrameZone::Client;
    QTest::newRow("maximised top edge")
        << 400 << 200 << 100 << 200 << WindowShowState::Maximized << FrameZone::Client;
    QTest::newRow("minimised corner")
        << 100 << 200 << 100 << 200 << WindowShowState::Minimized << FrameZone::Nowhere;
    QTest::newRow("minimised middle")
        << 400 << 400 << 100 << 200 << WindowShowState::Minimized << FrameZone::Nowhere;
}

void FrameZonesTest::zones()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(WindowShowState, state);
    QFETCH(FrameZone, want);
    QCOMPARE(FrameZoneAt(x, y, ScreenRect{left, top, 700, 422}, state), want);
}

QTEST_APPLESS_MAIN(FrameZonesTest)
#include "frame_zones_test.moc"
