#pragma once
// The picture editor's image control: holds the edited bitmap and shows it either at its real
// size (the control takes the picture's size) or stretched to a size of its own (the scale
// view). Only the part a paint event exposes is drawn, straight from the held bitmap, so a
// large photograph scrolls and resizes without a scaled copy being made.

#include <QImage>
#include <QWidget>

class TPictureView : public QWidget
{
    Q_OBJECT
public:
    explicit TPictureView(QWidget *parent = nullptr);

    // The held bitmap, in a 32-bit display format; null for an empty (0 × 0) picture.
    const QImage &Picture() const { return m_picture; }
    // Replaces the bitmap (of any format; transparent areas become white). In real-size mode
    // the control takes the new picture's size.
    void SetPicture(const QImage &bitmap);

    bool IsStretched() const { return m_stretched; }
    // Real-size mode: the control takes its picture's size and draws it unscaled.
    void ShowRealSize();
    // Stretched mode: the control keeps shownSize and draws the whole picture stretched to it.
    void ShowStretched(QSize shownSize);

signals:
    // The control's size changed (a new picture, a mode or a shown size).
    void ShownSizeChanged(QSize size);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Show(QSize size);

    QImage m_picture;
    bool m_stretched = false;
};
