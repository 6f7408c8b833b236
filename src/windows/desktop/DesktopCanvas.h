#pragma once
// The surface of the puzzle desktop: one widget that paints its items (the background picture,
// the palette strip and the pieces) in z-order, and reports mouse events per item in the item's
// own pixels. Item positions are in the canvas's coordinates, which are desktop coordinates:
// they do not change when the surrounding scroll area scrolls.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <vector>

class QPainter;
class TDesktopCanvas;

// Something painted by the canvas. The canvas does not own its items; an item leaves the
// canvas when it is destroyed.
class TCanvasItem
{
public:
    TCanvasItem() = default;
    TCanvasItem(const TCanvasItem &) = delete;
    TCanvasItem &operator=(const TCanvasItem &) = delete;
    virtual ~TCanvasItem();

    const QRect &Bounds() const { return m_bounds; }
    QPoint Position() const { return m_bounds.topLeft(); }
    bool IsVisible() const { return m_visible; }

    void SetBounds(const QRect &newBounds);
    void MoveTo(const QPoint &position);
    void SetVisible(bool show);

    virtual void Paint(QPainter &painter) const = 0;

protected:
    // Asks the canvas to repaint the item's area.
    void Invalidate() const;

private:
    friend class TDesktopCanvas;

    QRect m_bounds;
    bool m_visible = true;
    TDesktopCanvas *m_canvas = nullptr;
};

// A piece: its display picture (converted once), drawn with its transparency, and whether it
// lies on the palette or on the desktop.
class TPieceImage : public TCanvasItem
{
public:
    explicit TPieceImage(QImage displayPicture);

    const QImage &Picture() const { return m_picture; }
    bool m_onPalette = true;

    void Paint(QPainter &painter) const override;

private:
    QImage m_picture;
};

// A filled rectangle with a one-pixel outline.
class TShapeItem : public TCanvasItem
{
public:
    TShapeItem(const QColor &brush, const QColor &pen) : m_brushColour(brush), m_penColour(pen) {}

    void Paint(QPainter &painter) const override;

private:
    QColor m_brushColour;
    QColor m_penColour;
};

// A picture shown unscaled at the item's top-left corner and cut off at its bounds.
class TPictureItem : public TCanvasItem
{
public:
    void SetPicture(QImage newPicture);
    const QImage &Picture() const { return m_picture; }

    void Paint(QPainter &painter) const override;

private:
    QImage m_picture;
};

class TDesktopCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit TDesktopCanvas(QWidget *parent);
    ~TDesktopCanvas() override;

    // Adds the item on top of all others.
    void AddItem(TCanvasItem *item);
    void RemoveItem(TCanvasItem *item);
    void BringToFront(TCanvasItem *item);
    // The topmost visible item whose bounds hold the point, or null.
    TCanvasItem *ItemAt(const QPoint &point) const;
    // Bottom to top.
    const std::vector<TCanvasItem *> &Items() const { return m_items; }

    void SetBackgroundColour(const QColor &colour);
    QColor BackgroundColour() const { return m_backgroundColour; }

signals:
    // Any button; point is in the item's own pixels. While a button is held, every event goes
    // to the item that received the first press, wherever the mouse is.
    void ItemMousePressed(TCanvasItem *item, QPoint point);
    void ItemMouseMoved(TCanvasItem *item, QPoint point);
    void ItemMouseReleased(TCanvasItem *item);
    void Resized();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    std::vector<TCanvasItem *>::iterator Find(TCanvasItem *item);
    QPoint LocalPoint(const TCanvasItem *item, const QPointF &canvasPoint) const;

    std::vector<TCanvasItem *> m_items;
    // The item that received the press while any button is held (mouse capture).
    TCanvasItem *m_capturedItem = nullptr;
    QColor m_backgroundColour;
};
