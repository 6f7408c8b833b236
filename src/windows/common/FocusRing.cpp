#include "windows/common/FocusRing.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWidget>

namespace
{

constexpr int RingWidth = 3;

// The ring itself: painted only, never in the way of the mouse.
class TRingFrame : public QWidget
{
public:
    explicit TRingFrame(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(QColor(0, 0, 0), 1));
        painter.drawRoundedRect(outer, 3, 3);
        painter.setPen(QPen(QColor(255, 204, 0), 2));
        painter.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
    }
};

} // namespace

TFocusRing::TFocusRing()
{
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { FocusChanged(now); });
    FocusChanged(QApplication::focusWidget());
}

TFocusRing::~TFocusRing()
{
    delete m_ring;
}

void TFocusRing::FocusChanged(QWidget *now)
{
    if (m_focused)
        m_focused->removeEventFilter(this);
    delete m_ring;
    m_focused = now;
    // A scroll area or bar is the page itself (the palette, the desktop, the picture): a ring
    // round it would frame the whole window and say nothing.
    if (!now || !now->parentWidget() || now->isWindow() ||
        qobject_cast<QAbstractScrollArea *>(now) || qobject_cast<QScrollBar *>(now))
        return;
    now->installEventFilter(this);
    m_ring = new TRingFrame(now->parentWidget());
    Place();
}

bool TFocusRing::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_focused) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            Place();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TFocusRing::Place()
{
    if (!m_ring || !m_focused)
        return;
    m_ring->setGeometry(
        m_focused->geometry().adjusted(-RingWidth, -RingWidth, RingWidth, RingWidth));
    m_ring->setVisible(m_focused->isVisible());
    m_ring->raise();
}
