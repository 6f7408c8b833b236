#include "windows/desktop/DesktopCanvas.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

TCanvasItem::~TCanvasItem()
{
    if (canvas != nullptr)
        canvas->RemoveItem(this);
}

void TCanvasItem::SetBounds(const QRect &newBounds)
{
    if (newBounds == bounds)
        return;
    Invalidate();
    bounds = newBounds;
    Invalidate();
}

void TCanvasItem::MoveTo(const QPoint &position)
{
    SetBounds(QRect(position, bounds.size()));
}

void TCanvasItem::SetVisible(bool show)
{
    if (show == visible)
        return;
    visible = show;
    // A hidden item needs its area repainted just as a shown one does.
    if (canvas != nullptr)
        canvas->update(bounds);
}

void TCanvasItem::Invalidate() const
{
    if (canvas != nullptr && visible)
        canvas->update(bounds);
}

TPieceImage::TPieceImage(QImage displayPicture) : picture(std::move(displayPicture))
{
    SetBounds(QRect(QPoint(0, 0), picture.size()));
}

void TPieceImage::Paint(QPainter &painter) const
{
    painter.drawImage(Position(), picture);
}

void TShapeItem::Paint(QPainter &painter) const
{
    const QRect &area = Bounds();
    painter.fillRect(area, brushColour);
    painter.setPen(penColour);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void TPictureItem::SetPicture(QImage newPicture)
{
    picture = std::move(newPicture);
    Invalidate();
}

void TPictureItem::Paint(QPainter &painter) const
{
    painter.save();
    painter.setClipRect(Bounds(), Qt::IntersectClip);
    painter.drawImage(Position(), picture);
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
    for (TCanvasItem *item : items)
        item->canvas = nullptr;
}

std::vector<TCanvasItem *>::iterator TDesktopCanvas::Find(TCanvasItem *item)
{
    return std::find(items.begin(), items.end(), item);
}

void TDesktopCanvas::AddItem(TCanvasItem *item)
{
    if (item->canvas != nullptr)
        item->canvas->RemoveItem(item);
    item->canvas = this;
    items.push_back(item);
    item->Invalidate();
}

void TDesktopCanvas::RemoveItem(TCanvasItem *item)
{
    const auto found = Find(item);
    if (found == items.end())
        return;
    item->Invalidate();
    items.erase(found);
    item->canvas = nullptr;
    if (capturedItem == item)
        capturedItem = nullptr;
}

void TDesktopCanvas::BringToFront(TCanvasItem *item)
{
    const auto found = Find(item);
    if (found == items.end() || found + 1 == items.end())
        return;
    std::rotate(found, found + 1, items.end());
    item->Invalidate();
}

TCanvasItem *TDesktopCanvas::ItemAt(const QPoint &point) const
{
    const auto found = std::find_if(items.rbegin(), items.rend(), [&point](TCanvasItem *item) {
        return item->IsVisible() && item->Bounds().contains(point);
    });
    return found == items.rend() ? nullptr : *found;
}

void TDesktopCanvas::SetBackgroundColour(const QColor &colour)
{
    backgroundColour = colour;
    update();
}

void TDesktopCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, backgroundColour);
    for (const TCanvasItem *item : items) {
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
    if (capturedItem == nullptr)
        capturedItem = ItemAt(event->position().toPoint());
    if (capturedItem != nullptr)
        emit ItemMousePressed(capturedItem, LocalPoint(capturedItem, event->position()));
}

void TDesktopCanvas::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    TCanvasItem *item =
        capturedItem != nullptr ? capturedItem : ItemAt(event->position().toPoint());
    if (item != nullptr)
        emit ItemMouseMoved(item, LocalPoint(item, event->position()));
}

void TDesktopCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    TCanvasItem *item = capturedItem;
    if (event->buttons() == Qt::NoButton)
        capturedItem = nullptr;
    if (item != nullptr)
        emit ItemMouseReleased(item);
}

void TDesktopCanvas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit Resized();
}
