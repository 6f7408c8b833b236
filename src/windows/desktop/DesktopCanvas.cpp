#include "windows/desktop/DesktopCanvas.h"

#include "engine/jigsaw/PieceShape.h"
#include "engine/jigsaw/PieceTurns.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

TCanvasItem::~TCanvasItem()
{
    if (m_canvas != nullptr)
        m_canvas->RemoveItem(this);
}

void TCanvasItem::SetBounds(const QRect &newBounds)
{
    if (newBounds == m_bounds)
        return;
    Invalidate();
    m_bounds = newBounds;
    Invalidate();
}

void TCanvasItem::MoveTo(const QPoint &position)
{
    SetBounds(QRect(position, m_bounds.size()));
}

void TCanvasItem::SetVisible(bool show)
{
    if (show == m_visible)
        return;
    m_visible = show;
    // A hidden item needs its area repainted just as a shown one does.
    if (m_canvas != nullptr)
        m_canvas->update(m_canvas->WidgetBounds(*this));
}

void TCanvasItem::Invalidate() const
{
    if (m_canvas != nullptr && m_visible)
        m_canvas->update(m_canvas->WidgetBounds(*this));
}

TPieceImage::TPieceImage(const QImage &displayPicture) : m_uprightPart(OpaqueBounds(displayPicture))
{
    m_picture = displayPicture.copy(m_uprightPart);
    SetBounds(QRect(QPoint(0, 0), displayPicture.size()));
}

QPoint TPieceImage::StoredOffset() const
{
    return TurnedImageOffset(Bounds().size(), m_turn) +
           TurnedRect(m_uprightPart, Bounds().size(), m_turn).topLeft();
}

QImage TPieceImage::Picture() const
{
    const QSize upright = Bounds().size();
    QImage whole(m_turn % 2 ? upright.transposed() : upright, QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::transparent);
    QPainter painter(&whole);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(TurnedRect(m_uprightPart, upright, m_turn).topLeft(), m_picture);
    return whole;
}

void TPieceImage::TurnBy(int quarterTurns)
{
    Invalidate();
    m_picture = TurnedImage(m_picture, quarterTurns);
    m_turn = (m_turn + quarterTurns % 4 + 4) % 4;
    Invalidate();
}

void TPieceImage::SetPaletteScale(double scale)
{
    Invalidate();
    m_paletteScale = scale;
    Invalidate();
}

QRect TPieceImage::PaintedArea() const
{
    const QSize upright = Bounds().size();
    return Bounds().united(QRect(Position() + TurnedImageOffset(upright, m_turn),
                                 m_turn % 2 ? upright.transposed() : upright));
}

void TPieceImage::Paint(QPainter &painter) const
{
    painter.drawImage(Position() + StoredOffset(), m_picture);
    if (!m_selected)
        return;
    painter.setPen(QPen(Qt::yellow, 2, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(Bounds().adjusted(1, 1, -1, -1));
}

void TShapeItem::Paint(QPainter &painter) const
{
    const QRect &area = Bounds();
    painter.fillRect(area, m_brushColour);
    painter.setPen(m_penColour);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void TPictureItem::SetPicture(QImage newPicture)
{
    m_picture = std::move(newPicture);
    Invalidate();
}

void TPictureItem::Paint(QPainter &painter) const
{
    painter.save();
    painter.setClipRect(Bounds(), Qt::IntersectClip);
    painter.drawImage(Position(), m_picture);
    painter.restore();
}

TDesktopCanvas::TDesktopCanvas(QWidget *parent) : QWidget(parent)
{
    // Every pixel is painted by paintEvent: the background colour first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

TDesktopCanvas::~TDesktopCanvas()
{
    for (TCanvasItem *item : m_items)
        item->m_canvas = nullptr;
}

std::vector<TCanvasItem *>::iterator TDesktopCanvas::Find(TCanvasItem *item)
{
    return std::find(m_items.begin(), m_items.end(), item);
}

void TDesktopCanvas::AddItem(TCanvasItem *item)
{
    if (item->m_canvas != nullptr)
        item->m_canvas->RemoveItem(item);
    item->m_canvas = this;
    m_items.push_back(item);
    item->Invalidate();
}

void TDesktopCanvas::RemoveItem(TCanvasItem *item)
{
    const auto found = Find(item);
    if (found == m_items.end())
        return;
    item->Invalidate();
    m_items.erase(found);
    item->m_canvas = nullptr;
    if (m_capturedItem == item)
        m_capturedItem = nullptr;
}

void TDesktopCanvas::BringToFront(TCanvasItem *item)
{
    const auto found = Find(item);
    if (found == m_items.end() || found + 1 == m_items.end())
        return;
    std::rotate(found, found + 1, m_items.end());
    item->Invalidate();
}

TCanvasItem *TDesktopCanvas::ItemAt(const QPoint &point) const
{
    const auto found = std::find_if(m_items.rbegin(), m_items.rend(), [&](TCanvasItem *item) {
        return item->IsVisible() && WidgetBounds(*item).contains(point);
    });
    return found == m_items.rend() ? nullptr : *found;
}

void TDesktopCanvas::SetBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

void TDesktopCanvas::SetZoom(double zoom)
{
    m_zoom = zoom;
    update();
}

QRect TDesktopCanvas::WidgetBounds(const TCanvasItem &item) const
{
    if (!item.FollowsZoom() && item.OwnScale() != 1.0) {
        const QRect area = item.PaintedArea();
        const double scale = item.OwnScale();
        const QPointF origin = item.Position();
        return QRectF(origin + (area.topLeft() - origin) * scale, QSizeF(area.size()) * scale)
            .toAlignedRect();
    }
    if (!item.FollowsZoom() || m_zoom == 1.0)
        return item.PaintedArea();
    const QRect bounds = item.PaintedArea();
    // Rounded outwards, so that an update covers every pixel the scaled item touches.
    return QRectF(bounds.x() * m_zoom, bounds.y() * m_zoom, bounds.width() * m_zoom,
                  bounds.height() * m_zoom)
        .toAlignedRect();
}

QPoint TDesktopCanvas::ToDesktop(const QPoint &widgetPoint) const
{
    return (QPointF(widgetPoint) / m_zoom).toPoint();
}

QPoint TDesktopCanvas::ToWidget(const QPoint &desktopPoint) const
{
    return (QPointF(desktopPoint) * m_zoom).toPoint();
}

void TDesktopCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, m_backgroundColour);
    for (const TCanvasItem *item : m_items) {
        if (!item->IsVisible() || !event->region().intersects(WidgetBounds(*item)))
            continue;
        const bool zoomed = item->FollowsZoom() && m_zoom != 1.0;
        const bool scaled = zoomed || (!item->FollowsZoom() && item->OwnScale() != 1.0);
        if (zoomed) {
            painter.save();
            painter.scale(m_zoom, m_zoom);
        } else if (scaled) {
            painter.save();
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.translate(item->Position());
            painter.scale(item->OwnScale(), item->OwnScale());
            painter.translate(-item->Position());
        }
        item->Paint(painter);
        if (scaled)
            painter.restore();
    }
}

QPoint TDesktopCanvas::LocalPoint(const TCanvasItem *item, const QPointF &canvasPoint) const
{
    if (item->FollowsZoom())
        return (canvasPoint / m_zoom).toPoint() - item->Position();
    return ((canvasPoint - QPointF(item->Position())) / item->OwnScale()).toPoint();
}

void TDesktopCanvas::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    m_pressModifiers = event->modifiers();
    if (m_capturedItem == nullptr && !m_backgroundPressed)
        m_capturedItem = ItemAt(event->position().toPoint());
    if (m_capturedItem != nullptr) {
        emit ItemMousePressed(m_capturedItem, LocalPoint(m_capturedItem, event->position()));
        return;
    }
    m_backgroundPressed = true;
    emit BackgroundMousePressed(event->position().toPoint());
}

void TDesktopCanvas::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (m_backgroundPressed) {
        emit BackgroundMouseMoved(event->position().toPoint());
        return;
    }
    TCanvasItem *item =
        m_capturedItem != nullptr ? m_capturedItem : ItemAt(event->position().toPoint());
    if (item != nullptr)
        emit ItemMouseMoved(item, LocalPoint(item, event->position()));
}

void TDesktopCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const bool allReleased = event->buttons() == Qt::NoButton;
    if (m_backgroundPressed) {
        m_backgroundPressed = !allReleased;
        emit BackgroundMouseReleased(event->position().toPoint());
        return;
    }
    TCanvasItem *item = m_capturedItem;
    if (allReleased)
        m_capturedItem = nullptr;
    if (item != nullptr)
        emit ItemMouseReleased(item);
}

void TDesktopCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit Resized();
}
