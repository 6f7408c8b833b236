#pragma once
// Draws the keyboard focus as a ring around the focused control, on every window of the
// application: a bright band with a dark edge, visible on the pale pages, the blue boxes and
// white fields alike, where the style's own focus frame is nearly invisible.

#include <QObject>
#include <QPointer>

class QWidget;

class TFocusRing : public QObject
{
    Q_OBJECT
public:
    // Follows the application's focus for as long as it lives.
    TFocusRing();
    ~TFocusRing() override;

    // The ring's widget, a sibling of the focused control; null while nothing has the focus.
    QWidget *Ring() const { return m_ring; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FocusChanged(QWidget *now);
    void Place();

    QPointer<QWidget> m_focused;
    QPointer<QWidget> m_ring;
};
