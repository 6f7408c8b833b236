#include "windows/play/SortGlyphs.h"

#include "engine/jigsaw/PaletteOrder.h"
#include "windows/common/WindowLook.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace
{

const QColor DashGrey{128, 128, 128};
const QColor BodyBlue{40, 110, 220};
const QColor OutlineBlue{0, 40, 120};

constexpr double Centre = SortGlyphSize / 2.0;
constexpr double BodyHalf = 5.5;
constexpr double KnobRadius = 3.0;
// How far the knob's centre lies from the top edge: outside for a tab, inside for a hole; the
// knob is wider than its neck, as on the pieces.
constexpr double KnobOffset = 2.5;

QImage TransparentGlyph(qreal pixelRatio)
{
    return WindowLook::TransparentCanvas(QSize(SortGlyphSize, SortGlyphSize), pixelRatio);
}

QImage NoneGlyph(qreal pixelRatio)
{
    QImage glyph = TransparentGlyph(pixelRatio);
    QPainter painter(&glyph);
    painter.fillRect(QRect(4, 11, 7, 2), DashGrey);
    painter.fillRect(QRect(13, 11, 7, 2), DashGrey);
    return glyph;
}

// A piece body with a knob on its top edge, turned by quarterTurns clockwise about the centre.
QImage PieceGlyph(bool tab, int quarterTurns, qreal pixelRatio)
{
    QPainterPath body;
    body.addRect(Centre - BodyHalf, Centre - BodyHalf, 2 * BodyHalf, 2 * BodyHalf);
    const double topEdge = Centre - BodyHalf;
    QPainterPath knob;
    knob.addEllipse(QPointF(Centre, tab ? topEdge - KnobOffset : topEdge + KnobOffset), KnobRadius,
                    KnobRadius);
    const QPainterPath shape = tab ? body.united(knob) : body.subtracted(knob);

    QTransform turn;
    turn.translate(Centre, Centre).rotate(90.0 * quarterTurns).translate(-Centre, -Centre);

    QImage glyph = TransparentGlyph(pixelRatio);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(OutlineBlue, 1.0));
    painter.setBrush(BodyBlue);
    painter.drawPath(turn.map(shape));
    return glyph;
}

} // namespace

QList<QImage> MakeSortGlyphs(qreal pixelRatio)
{
    QList<QImage> glyphs{NoneGlyph(pixelRatio)};
    // Orders 1 to 8 pair up as (tab, hole) for the sides Top, Right, Bottom, Left.
    for (int order = 1; order < SortOrderCount; ++order)
        glyphs.append(PieceGlyph(order % 2 == 1, (order - 1) / 2, pixelRatio));
    return glyphs;
}
