#include "engine/picture/Thumbnail.h"

#include <QRandomGenerator>
#include <cstdlib>
#include <gtest/gtest.h>

namespace
{

// Colour gradients with fine noise and hard edges: what makes reductions differ.
QImage PhotoLikePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    QRandomGenerator random(77);
    for (int y = 0; y < height; ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int noise = random.bounded(-24, 25);
            const int edge = (x / 97 + y / 61) % 2 == 0 ? 60 : 0;
            row[3 * x] = static_cast<uchar>(std::clamp(x * 200 / width + noise + edge, 0, 255));
            row[3 * x + 1] = static_cast<uchar>(std::clamp(y * 200 / height - noise, 0, 255));
            row[3 * x + 2] = static_cast<uchar>(
                std::clamp((x + 2 * y) * 255 / (width + 2 * height) + noise / 2, 0, 255));
        }
    }
    return picture;
}

struct TDifference {
    double mean = 0;
    int largest = 0;
};

TDifference Compare(const QImage &a, const QImage &b)
{
    TDifference difference;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                difference.mean += std::abs(d);
                difference.largest = std::max(difference.largest, std::abs(d));
            }
        }
    difference.mean /= 3.0 * a.width() * a.height();
    return difference;
}

} // namespace

TEST(Thumbnail, SizeFitsTheBoundWithTheAspectRatioAndNeverEnlarges)
{
    EXPECT_EQ(ThumbnailSize({5472, 3648}, {1280, 1024}), QSize(1280, 853));
    EXPECT_EQ(ThumbnailSize({3648, 5472}, {1280, 1024}), QSize(682, 1024));
    EXPECT_EQ(ThumbnailSize({800, 600}, {1280, 1024}), QSize(800, 600));
    EXPECT_EQ(ThumbnailSize({100000, 2}, {100, 100}), QSize(100, 1)) << "at least a pixel high";
    EXPECT_TRUE(ThumbnailSize({0, 10}, {100, 100}).isEmpty());
    EXPECT_TRUE(MakeThumbnail(QImage(), {100, 100}).isNull());
}

// What the tools window showed before: the whole picture scaled smoothly to the thumbnail's
// place. The thumbnail, scaled the same way, must look the same. In a place up to half the
// bound (the tools window's usual sizes) the mean channel difference is at most 1.25 levels of
// 255 and none is off by more than 24 (at hard edges, shifted by a fraction of a pixel); in a
// place nearly as large as the bound, where the second smoothing blurs the fine noise a little
// more, at most 2.5 and 40.
TEST(Thumbnail, ShowsLikeTheFullPictureScaledToItsPlace)
{
    const QImage picture = PhotoLikePicture(2203, 1469);
    for (const QSize bound : {QSize(640, 480), QSize(1280, 1024), QSize(1000, 1000)}) {
        const QImage thumbnail = MakeThumbnail(picture, bound);
        ASSERT_EQ(thumbnail.size(), ThumbnailSize(picture.size(), bound));
        for (const QSize place : {QSize(174, 116), QSize(290, 193), QSize(600, 400)}) {
            const QImage before =
                picture.scaled(place, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const QImage now =
                thumbnail.scaled(place, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const TDifference difference = Compare(before, now);
            const bool small = 2 * place.width() <= thumbnail.width();
            EXPECT_LE(difference.mean, small ? 1.25 : 2.5)
                << bound.width() << " into " << place.width();
            EXPECT_LE(difference.largest, small ? 24 : 40)
                << bound.width() << " into " << place.width();
        }
    }
}

TEST(Thumbnail, RowsOneByOneGiveTheSameAsTheWholePictureAndPartialBlocksKeepTheirColour)
{
    QImage picture(301, 203, QImage::Format_RGB888);
    picture.fill(qRgb(10, 120, 250));
    const QImage thumbnail = MakeThumbnail(picture, {100, 100});
    ASSERT_EQ(thumbnail.size(), QSize(100, 67));
    for (int y = 0; y < thumbnail.height(); ++y)
        for (int x = 0; x < thumbnail.width(); ++x)
            ASSERT_EQ(thumbnail.pixel(x, y), qRgb(10, 120, 250)) << x << ", " << y;

    TThumbnailMaker maker(picture.size(), {100, 100});
    for (int y = 0; y < picture.height() - 1; ++y)
        maker.AddRow(picture.constScanLine(y));
    EXPECT_TRUE(maker.Thumbnail().isNull()) << "not before the last row";
    maker.AddRow(picture.constScanLine(picture.height() - 1));
    EXPECT_EQ(maker.Thumbnail(), thumbnail);
}
