#pragma once
// A small copy of a picture for display, made from the picture's rows as they are decoded: a
// fast reduction by a whole factor (each block of pixels averaged), then a smooth one to the
// thumbnail's size. Nothing of the full-size picture is kept.

#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

// The picture's size fitted into bound with its aspect ratio kept, never larger than the
// picture itself, at least 1 × 1. Empty when the picture or the bound is empty.
QSize ThumbnailSize(QSize picture, QSize bound);

class TThumbnailMaker
{
public:
    // For a picture of that size whose rows follow; the thumbnail fits into bound.
    TThumbnailMaker(QSize picture, QSize bound);

    // The picture's next row: picture.width() pixels, 24-bit (QImage::Format_RGB888 order). Rows
    // beyond the picture's height are ignored.
    void AddRow(const unsigned char *row);
    // Once every row is added: the thumbnail, QImage::Format_RGB32, ThumbnailSize(picture,
    // bound). Null before, and for an empty picture or bound.
    QImage Thumbnail() const;

private:
    void FinishBlockRow();

    int m_width;
    int m_height;
    int m_factor = 1;
    QSize m_size;
    // Per 24-bit channel of the picture's row: the sum over the rows of the current block.
    std::vector<std::uint32_t> m_columnSums;
    int m_rowsInBlock = 0;
    int m_rowsAdded = 0;
    // The picture reduced by m_factor, partial blocks at the right and bottom edges included.
    QImage m_reduced;
    int m_reducedRows = 0;
};

// The thumbnail of a whole picture of any format.
QImage MakeThumbnail(const QImage &picture, QSize bound);
