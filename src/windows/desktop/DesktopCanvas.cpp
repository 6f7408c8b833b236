#include "windows/desktop/DesktopCanvas.h"

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
        m_canvas->update(m_bounds);
}

void TCanvasItem::Invalidate() const
{
    if (m_canvas != nullptr && m_visible)
        m_canvas->update(m_bounds);
}

TPieceImage::TPieceImage(QImage displayPicture) : m_picture(std::move(displayPicture))
{
    SetBounds(QRect(QPoint(0, 0), m_picture.size()));
}

void TPieceImage::Paint(QPainter &painter) const
{
    painter.drawImage(Position(), m_picture);
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
    const auto found = std::find_if(m_items.rbegin(), m_items.rend(), [&point](TCanvasItem *item) {
        return item->IsVisible() && item->Bounds().contains(point);
    });
    return found == m_items.rend() ? nullptr : *found;
}

void TDesktopCanvas::SetBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    update();
}

void TDesktopCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, m_backgroundColour);
    for (const TCanvasItem *item : m_items) {
        if (item->IsVisible() && event->region().intersects(item->Bounds()))
            item->Paint(painter);
    }
}

QPoint TDesktopCanvas::LocalPoint(const TCanvasItem *item, const QPointF &canvasPoint) const
{
    return canvasPoint.toPoint() - item->Position();
}

void TDesktopCanvas::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (m_capturedItem == nullptr)
        m_capturedItem = ItemAt(event->position().toPoint());
    if (m_capturedItem != nullptr)
        emit ItemMousePressed(m_capturedItem, LocalPoint(m_capturedItem, event->position()));
}

void TDesktopCanvas::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    TCanvasItem *item =
        m_capturedItem != nullptr ? m_capturedItem : ItemAt(event->position().toPoint());
    if (item != nullptr)
        emit ItemMouseMoved(item, LocalPoint(item, event->position()));
}

void TDesktopCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    TCanvasItem *item = m_capturedItem;
    if (event->buttons() == Qt::NoButton)
        m_capturedItem = nullptr;
    if (item != nullptr)
        emit ItemMouseReleased(item);
}

void TDesktopCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit Resized();
}
