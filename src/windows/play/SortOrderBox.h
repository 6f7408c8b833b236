#pragma once
// The tools window's sort-order list: a drop-down list that shows only the glyph of each order,
// in the closed box and in the open list alike, never a text and never a highlight.

#include <QComboBox>
#include <QImage>
#include <QList>

class TSortOrderBox : public QComboBox
{
    Q_OBJECT
public:
    static constexpr int ItemHeight = 24;
    static constexpr int GlyphLeft = 10;

    explicit TSortOrderBox(QWidget *parent);

    // The glyph of item index (null outside the list).
    QImage Glyph(int index) const { return m_glyphs.value(index); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QImage> m_glyphs;
};
