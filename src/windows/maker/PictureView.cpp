#include "windows/maker/PictureView.h"

#include <QPaintEvent>
#include <QPainter>

namespace
{

// Opaque 32-bit pixels are what the backing store is drawn from fastest, scaled or not.
constexpr QImage::Format DisplayFormat = QImage::Format_RGB32;

QImage OnWhite(const QImage &bitmap)
{
    if (!bitmap.hasAlphaChannel())
        return bitmap.convertToFormat(DisplayFormat);
    QImage flat(bitmap.size(), DisplayFormat);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, bitmap);
    return flat;
}

} // namespace

TPictureView::TPictureView(QWidget *parent) : QWidget(parent)
{
    // Every exposed pixel is drawn from the picture: nothing to clear underneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(0, 0);
}

void TPictureView::SetPicture(const QImage &bitmap)
{
    m_picture = bitmap.isNull() ? QImage() : OnWhite(bitmap);
    if (!m_stretched)
        Show(m_picture.size());
    update();
}

void TPictureView::ShowRealSize()
{
    m_stretched = false;
    Show(m_picture.size());
    update();
}

void TPictureView::ShowStretched(QSize shownSize)
{
    m_stretched = true;
    Show(shownSize);
    update();
}

void TPictureView::Show(QSize size)
{
    if (size == this->size())
        return;
    resize(size);
    emit ShownSizeChanged(size);
}

void TPictureView::paintEvent(QPaintEvent *event)
{
    if (m_picture.isNull() || width() == 0 || height() == 0)
        return;
    QPainter painter(this);
    // The whole picture mapped onto the control, clipped to the exposed rectangle: the paint
    // engine computes only the clipped pixels, all by the one mapping of the whole picture.
    painter.setClipRect(event->rect());
    painter.drawImage(QRectF(rect()), m_picture, QRectF(m_picture.rect()));
}
