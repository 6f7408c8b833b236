#pragma once
// The surface of the puzzle desktop: one widget that paints its items (the background picture,
// the palette strip and the pieces) in z-order, and reports mouse events per item in the item's
// own pixels. Item positions are in the canvas's coordinates, which are desktop coordinates:
// they do not change when the surrounding scroll area scrolls. The canvas may be zoomed: items
// that follow the zoom keep desktop coordinates and are painted scaled; the others (the palette
// and what is pinned with it) are laid out and painted in the widget's own pixels.

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
    // Where the item paints and takes the mouse: its bounds, unless it paints beyond them.
    virtual QRect PaintedArea() const { return m_bounds; }

    void SetBounds(const QRect &newBounds);
    void MoveTo(const QPoint &position);
    void SetVisible(bool show);

    virtual void Paint(QPainter &painter) const = 0;
    // Whether the item's bounds are desktop coordinates painted at the canvas's zoom.
    virtual bool FollowsZoom() const { return false; }
    // The scale an item that does not follow the zoom is painted at, about its top-left.
    virtual double OwnScale() const { return 1.0; }

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
// lies on the palette or on the desktop. Only the part of the picture that holds the outline is
// kept; the item's bounds stay those of the whole picture, so positions, hit tests and turns
// are as for the whole. A turned piece keeps the bounds of its upright picture and is drawn
// turned about their centre.
class TPieceImage : public TCanvasItem
{
public:
    // displayPicture: the whole upright piece, transparent outside its outline.
    explicit TPieceImage(const QImage &displayPicture);

    // The whole piece as shown, turned, made from the kept part.
    QImage Picture() const;
    // The pixels kept: the part of the turned picture that holds every visible pixel.
    const QImage &StoredPicture() const { return m_picture; }
    bool m_onPalette = true;
    // Selected pieces are outlined and move together.
    bool m_selected = false;
    // Quarter turns clockwise, 0 to 3.
    int Turn() const { return m_turn; }
    void TurnBy(int quarterTurns);

    QRect PaintedArea() const override;
    void Paint(QPainter &painter) const override;
    // Pieces on the desktop zoom; pieces on the palette are shown at the palette's scale.
    bool FollowsZoom() const override { return !m_onPalette; }
    double OwnScale() const override { return m_onPalette ? m_paletteScale : 1.0; }
    void SetPaletteScale(double scale);

private:
    // Where m_picture lies relative to the item's position.
    QPoint StoredOffset() const;

    // The kept part, turned.
    QImage m_picture;
    // The kept part in the upright whole picture.
    QRect m_uprightPart;
    int m_turn = 0;
    double m_paletteScale = 1.0;
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

    // The scale of items that follow the zoom, 1 for their own size.
    void SetZoom(double zoom);
    double Zoom() const { return m_zoom; }
    // The item's bounds in the widget's pixels.
    QRect WidgetBounds(const TCanvasItem &item) const;
    // A widget point in desktop coordinates, and back.
    QPoint ToDesktop(const QPoint &widgetPoint) const;
    QPoint ToWidget(const QPoint &desktopPoint) const;
    // The keyboard modifiers held when the last button was pressed.
    Qt::KeyboardModifiers PressModifiers() const { return m_pressModifiers; }

signals:
    // Any button; point is in the item's own pixels. While a button is held, every event goes
    // to the item that received the first press, wherever the mouse is.
    void ItemMousePressed(TCanvasItem *item, QPoint point);
    void ItemMouseMoved(TCanvasItem *item, QPoint point);
    void ItemMouseReleased(TCanvasItem *item);
    // A press, move or release over no item, with nothing captured; point in the widget's pixels.
    void BackgroundMousePressed(QPoint point);
    void BackgroundMouseMoved(QPoint point);
    void BackgroundMouseReleased(QPoint point);
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
    double m_zoom = 1.0;
    Qt::KeyboardModifiers m_pressModifiers;
    // A press over no item is followed until every button is released.
    bool m_backgroundPressed = false;
};
