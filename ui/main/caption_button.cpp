#include "ui/main/caption_button.h"

#include <QAction>
#include <QPainter>
#include <QPainterPath>

namespace tolvane::ui {
namespace {

constexpr int kGlyphSide = 16;
const QColor kOutline(64, 64, 64);

void DrawClose(QPainter& p, const QColor& color)
{
    p.setPen(QPen(color, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

void DrawClear(QPainter& p, const QColor& color)
{
    // A white sheet with a folded corner: "a fresh page". The dark outline keeps it visible on the
    // light strip.
    QPainterPath page;
    page.moveTo(3.5, 2.5);
    page.lineTo(9.5, 2.5);
    page.lineTo(12.5, 5.5);
    page.lineTo(12.5, 13.5);
    page.lineTo(3.5, 13.5);
    page.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(color);
    p.drawPath(page);
    p.drawLine(QPointF(9.5, 2.5), QPointF(9.5, 5.5));
    p.drawLine(QPointF(9.5, 5.5), QPointF(12.5, 5.5));
}

void DrawMinimize(QPainter& p, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(3, 10, 10, 3), 1, 1);
}

void DrawIcon(QPainter& p, const QColor& color)
{
    // A small calculator: body, display and two rows of keys.
    p.setPen(QPen(color.darker(150), 1));
    p.setBrush(color);
    p.drawRoundedRect(QRectF(3.5, 1.5, 9, 13), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(5, 3, 6, 3));
    p.setBrush(color.darker(170));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(5 + col * 2.2, 8 + row * 2.6, 1.6, 1.6));
    }
}

void DrawMenu(QPainter& p, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    for (int row = 0; row < 3; ++row)
        p.drawRoundedRect(QRectF(2.5, 3 + row * 4, 11, 2.4), 1, 1);
}

} // namespace

QColor GlyphColor(Glyph glyph)
{
    switch (glyph) {
    case Glyph::Clear:
        return QColor(255, 255, 255);
    case Glyph::Close:
        return QColor(230, 0, 0);
    case Glyph::Minimize:
        return QColor(255, 140, 0);
    case Glyph::Icon:
        return QColor(128, 128, 128);
    case Glyph::Menu:
        return QColor(0, 170, 0);
    }
    return {};
}

QIcon MakeGlyph(Glyph glyph)
{
    QIcon icon;
    // Two resolutions so a high-density screen gets crisp strokes instead of a scaled bitmap.
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(QSize(kGlyphSide, kGlyphSide) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor color = GlyphColor(glyph);
        switch (glyph) {
        case Glyph::Clear:
            DrawClear(p, color);
            break;
        case Glyph::Close:
            DrawClose(p, color);
            break;
        case Glyph::Minimize:
            DrawMinimize(p, color);
            break;
        case Glyph::Icon:
            DrawIcon(p, color);
            break;
        case Glyph::Menu:
            DrawMenu(p, color);
            break;
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

CaptionButton::CaptionButton(QAction* action, QWidget* parent)
    : QAbstractButton(parent)
    , m_action(action)
{
    setFixedSize(kSize);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::clicked, action, &QAction::trigger);
}

void CaptionButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(this);
    if (underMouse()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, isDown() ? 70 : 35));
        p.drawRoundedRect(QRectF(rect()), 3, 3);
    }
    // The glyph is 16 high and the button 15: it is drawn from the top and loses its last row,
    // which the glyphs leave empty. A pressed button shifts it one pixel down and right.
    const QPoint offset = isDown() ? QPoint(1, 1) : QPoint(0, 0);
    m_action->icon().paint(&p, QRect(offset, QSize(kGlyphSide, kGlyphSide)));
}

} // namespace tolvane::ui
