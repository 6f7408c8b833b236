#include "windows/maker/RotateGlyphs.h"

#include "windows/common/WindowLook.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace
{

const QColor ArrowBlue{0, 70, 200};
const QColor FrameGrey{90, 90, 90};

constexpr double Centre = RotateGlyphSize / 2.0;
constexpr double ArrowRadius = 6.3;
// The arc leaves a gap at the top where the head sits.
constexpr double GapCentreDegrees = 90.0;
constexpr double ArcSpanDegrees = 290.0;
constexpr double PictureLong = 9.0;
constexpr double PictureShort = 6.0;

} // namespace

QImage MakeRotateGlyph(bool clockwise, qreal pixelRatio)
{
    QImage glyph =
        WindowLook::TransparentCanvas(QSize(RotateGlyphSize, RotateGlyphSize), pixelRatio);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);

    const QSizeF picture =
        clockwise ? QSizeF(PictureShort, PictureLong) : QSizeF(PictureLong, PictureShort);
    painter.setPen(QPen(FrameGrey, 1.0));
    painter.setBrush(Qt::white);
    painter.drawRect(
        QRectF(QPointF(Centre - picture.width() / 2, Centre - picture.height() / 2), picture));

    // Qt's arc angles run counter-clockwise on screen.
    const double direction = clockwise ? -1.0 : 1.0;
    const double start = GapCentreDegrees + direction * (360.0 - ArcSpanDegrees) / 2.0;
    const QRectF circle(Centre - ArrowRadius, Centre - ArrowRadius, 2 * ArrowRadius,
                        2 * ArrowRadius);
    QPainterPath arc;
    arc.arcMoveTo(circle, start);
    arc.arcTo(circle, start, direction * ArcSpanDegrees);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ArrowBlue, 1.6, Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(arc);

    // The head at the arc's end, along the direction the arc runs.
    QPolygonF head;
    head << QPointF(3.2, 0.0) << QPointF(-1.2, -3.0) << QPointF(-1.2, 3.0);
    QTransform place;
    place.translate(arc.pointAtPercent(1.0).x(), arc.pointAtPercent(1.0).y());
    place.rotate(-arc.angleAtPercent(1.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ArrowBlue);
    painter.drawPolygon(place.map(head));
    return glyph;
}
