#include "windows/maker/MakerBanner.h"

#include "windows/common/WindowLook.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace
{

constexpr double PieceSize = 52.0;

// One side of a piece from `from` to `to`, with a round knob in its middle that points to the
// left of the direction of travel for +1, to the right for -1, and a straight side for 0.
void AddSide(QPainterPath &path, QPointF from, QPointF to, int knob)
{
    const QPointF along = (to - from) / PieceSize;
    const QPointF outward(along.y() * knob, -along.x() * knob);
    auto at = [&](double a, double o) { return from + along * a + outward * o; };
    if (knob == 0) {
        path.lineTo(to);
        return;
    }
    path.lineTo(at(19, 0));
    path.cubicTo(at(22, 5), at(10, 17), at(26, 17));
    path.cubicTo(at(42, 17), at(30, 5), at(33, 0));
    path.lineTo(to);
}

// A piece with its top-left corner at origin; knobs as for AddSide, clockwise from the top.
QPainterPath Piece(QPointF origin, int top, int right, int bottom, int left)
{
    const QPointF a = origin, b = origin + QPointF(PieceSize, 0),
                  c = origin + QPointF(PieceSize, PieceSize), d = origin + QPointF(0, PieceSize);
    QPainterPath path(a);
    AddSide(path, a, b, top);
    AddSide(path, b, c, right);
    AddSide(path, c, d, bottom);
    AddSide(path, d, a, left);
    path.closeSubpath();
    return path;
}

void DrawMoon(QPainter &painter)
{
    QPainterPath disc;
    disc.addEllipse(QPointF(58, 52), 44, 44);
    QPainterPath bite;
    bite.addEllipse(QPointF(80, 40), 40, 40);
    QRadialGradient glow(QPointF(40, 62), 60);
    glow.setColorAt(0.0, QColor(255, 250, 220));
    glow.setColorAt(1.0, QColor(235, 210, 140));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawPath(disc.subtracted(bite));
}

void DrawPieces(QPainter &painter)
{
    // Neighbours share a side: a tab of one is the hole of the other.
    const QPointF first(84, 30);
    const QPainterPath pieces[] = {
        Piece(first, 0, 1, 0, 0),
        Piece(first + QPointF(PieceSize, 0), 0, -1, 0, -1),
        Piece(first + QPointF(2 * PieceSize, 0), 0, 0, 0, 1),
    };
    const QColor tops[] = {QColor(153, 204, 255), QColor(102, 170, 238), QColor(51, 136, 221)};
    painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int i = 0; i < 3; ++i) {
        QLinearGradient shade(pieces[i].boundingRect().topLeft(),
                              pieces[i].boundingRect().bottomRight());
        shade.setColorAt(0.0, tops[i].lighter(125));
        shade.setColorAt(1.0, tops[i].darker(115));
        painter.setBrush(shade);
        painter.drawPath(pieces[i]);
    }
}

void DrawStars(QPainter &painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 220));
    for (const QPointF star : {QPointF(118, 12), QPointF(160, 20), QPointF(214, 9),
                               QPointF(262, 14), QPointF(252, 40), QPointF(20, 100)})
        painter.drawEllipse(star, 1.6, 1.6);
}

} // namespace

QImage MakerBanner(qreal pixelRatio)
{
    QImage banner = WindowLook::TransparentCanvas(QSize(BannerWidth, BannerHeight), pixelRatio);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawStars(painter);
    DrawMoon(painter);
    DrawPieces(painter);
    return banner;
}
