#include "windows/common/ShapeWidget.h"

#include <QPainter>

TShapeWidget::TShapeWidget(QWidget *parent, TKind kind, const QRect &geometry, const QBrush &brush)
    : QWidget(parent), m_kind(kind), m_brush(brush)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShapeWidget::SetBrush(const QBrush &newBrush)
{
    m_brush = newBrush;
    update();
}

void TShapeWidget::SetOutline(const QColor &colour, int width)
{
    m_pen = width > 0 ? QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin)
                      : QPen(Qt::NoPen);
    update();
}

QRectF TShapeWidget::OutlineBounds() const
{
    // The outline runs along the middle of the pen, so half its width stays inside.
    const qreal inset = m_pen.style() == Qt::NoPen ? 0.0 : m_pen.widthF() / 2.0;
    QRectF bounds = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (m_kind == TKind::Circle) {
        const qreal diameter = qMin(bounds.width(), bounds.height());
        QRectF circle(0, 0, diameter, diameter);
        circle.moveCenter(bounds.center());
        return circle;
    }
    return bounds;
}

void TShapeWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_kind != TKind::Rectangle);
    painter.setPen(m_pen);
    painter.setBrush(m_brush);
    const QRectF bounds = OutlineBounds();
    if (m_kind == TKind::Circle) {
        painter.drawEllipse(bounds);
    } else if (m_kind == TKind::RoundRectangle) {
        // The corners are quarters of a circle a quarter of the shorter side across.
        const qreal radius = qMin(width(), height()) / 8.0;
        painter.drawRoundedRect(bounds, radius, radius);
    } else {
        painter.drawRect(bounds);
    }
}
