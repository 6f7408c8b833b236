#include "windows/maker/RotateGlyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace
{

const QColor ArrowBlue{0, 70, 200};
const QColor FrameGrey{90, 90, 90};

constexpr double Centre = RotateGlyphSize / 2.0;
constexpr double ArrowRadius = 6.5;
// The arc leaves a gap at the top where the head sits.
constexpr double ArcStartDegrees = 120.0;
constexpr double ArcSpanDegrees = 300.0;

// Drawn for the counter-clockwise turn; the clockwise glyph is its mirror image, which also
// makes the landscape picture a portrait one once the mirror is turned a quarter.
QImage CounterClockwiseGlyph()
{
    QImage glyph(RotateGlyphSize, RotateGlyphSize, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(FrameGrey, 1.0));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(3.5, 5.5, 9.0, 6.0));

    const QRectF circle(Centre - ArrowRadius, Centre - ArrowRadius, 2 * ArrowRadius,
                        2 * ArrowRadius);
    QPainterPath arc;
    arc.arcMoveTo(circle, ArcStartDegrees);
    arc.arcTo(circle, ArcStartDegrees, ArcSpanDegrees);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ArrowBlue, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(arc);

    // The head at the arc's end, pointing on counter-clockwise (to the left along the top).
    const QPointF tip = arc.pointAtPercent(1.0);
    QPolygonF head;
    head << tip + QPointF(-3.0, 0.0) << tip + QPointF(1.5, -3.0) << tip + QPointF(1.5, 3.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ArrowBlue);
    painter.drawPolygon(head);
    return glyph;
}

} // namespace

QImage MakeRotateGlyph(bool clockwise)
{
    const QImage glyph = CounterClockwiseGlyph();
    if (!clockwise)
        return glyph;
    QTransform turn;
    turn.rotate(90);
    return glyph.mirrored(true, false).transformed(turn);
}
