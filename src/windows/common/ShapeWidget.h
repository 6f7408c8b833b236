#pragma once
// A painted shape control: a rectangle, a rounded rectangle or a circle with a brush (solid or
// hatched) and an optional outline drawn inside its bounds. It takes no mouse input.

#include <QBrush>
#include <QPen>
#include <QWidget>

class TShapeWidget : public QWidget
{
    Q_OBJECT
public:
    enum class TKind { Rectangle, RoundRectangle, Circle };

    // A shape without outline, filled with brush, at x, y with the given size.
    TShapeWidget(QWidget *parent, TKind kind, const QRect &geometry, const QBrush &brush);

    void SetBrush(const QBrush &brush);
    const QBrush &Brush() const { return m_brush; }
    // An outline of colour and width drawn inside the bounds; width 0 removes it.
    void SetOutline(const QColor &colour, int width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF OutlineBounds() const;

    TKind m_kind;
    QBrush m_brush;
    QPen m_pen{Qt::NoPen};
};
