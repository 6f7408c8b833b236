// Graphic loading: the extension table decides the decoder, a decoder refuses other content,
// and every loaded picture is a 24-bit bitmap with transparent areas white.
#include "engine/picture/BitmapFile.h"
#include "engine/picture/ExifOrientation.h"
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/JpegPicture.h"
#include "support/JpegBytes.h"
#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QtEndian>
#include <gtest/gtest.h>

namespace
{

class GraphicLoading : public TTemporaryFolderTest
{
protected:
    QString Write(const QString &name, const QByteArray &bytes) const
    {
        const QString path = PathOf(name);
        EXPECT_TRUE(WriteBytes(path, bytes)) << path.toStdString();
        return path;
    }

    static QImage Pattern()
    {
        QImage image(5, 3, QImage::Format_RGB888);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(40 * x, 80 * y, 200));
        return image;
    }

    // At quality 100, which makes WebP lossless.
    static QByteArray Encoded(const QImage &image, const char *format)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        writer.setQuality(100);
        EXPECT_TRUE(writer.write(image)) << format << writer.errorString().toStdString();
        return bytes;
    }

    static QByteArray Jpeg() { return JpegBytesOf(QImage(16, 8, QImage::Format_RGB888)); }
};

} // namespace

TEST_F(GraphicLoading, ExtensionIsTheLastDotOfTheNameUpperCased)
{
    EXPECT_EQ(GraphicExtension("photo.Jpg"), ".JPG");
    EXPECT_EQ(GraphicExtension("/a/b/archive.tar.gif"), ".GIF");
    EXPECT_EQ(GraphicExtension("/a/folder.bmp/picture"), "");
    EXPECT_EQ(GraphicExtension("picture"), "");
    EXPECT_EQ(GraphicExtension("picture."), ".");
}

TEST_F(GraphicLoading, JpegLoadsByEveryCaseOfItsExtensionsOnly)
{
    const QByteArray jpeg = Jpeg();
    for (const char *name : {"a.jpeg", "b.JPEG", "c.Jpg", "d.jpg"}) {
        const QImage bitmap = LoadGraphicAsBitmap(Write(name, jpeg));
        EXPECT_EQ(bitmap.size(), QSize(16, 8)) << name;
        EXPECT_EQ(bitmap.format(), QImage::Format_RGB888) << name;
    }
    for (const char *name : {"e.jpe", "noextension", "f.jpg.txt"})
        EXPECT_TRUE(LoadGraphicAsBitmap(Write(name, jpeg)).isNull()) << name;
    EXPECT_TRUE(LoadGraphicAsBitmap(PathOf("missing.jpg")).isNull());
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("folder.jpg"));
    EXPECT_TRUE(LoadGraphicAsBitmap(PathOf("folder.jpg")).isNull());
}

TEST_F(GraphicLoading, EveryQtReadTypeGivesTheSamePixelsIn24Bits)
{
    const QImage pattern = Pattern();
    struct {
        const char *name;
        const char *format;
    } const files[] = {
        {"p.bmp", "BMP"}, {"p.DIB", "BMP"}, {"p.png", "PNG"}, {"p.ico", "ICO"}, {"p.webp", "WEBP"}};
    for (const auto &file : files) {
        const QImage bitmap = LoadGraphicAsBitmap(Write(file.name, Encoded(pattern, file.format)));
        ASSERT_EQ(bitmap.format(), QImage::Format_RGB888) << file.name;
        EXPECT_EQ(bitmap, pattern) << file.name;
    }
    // Only the last extension counts.
    const QByteArray gif = ReadBytes(FixturePath("two_frames_first_half_transparent.gif"));
    ASSERT_FALSE(gif.isEmpty());
    const QImage fromTarGif = LoadGraphicAsBitmap(Write("archive.tar.gif", gif));
    EXPECT_EQ(fromTarGif.size(), QSize(4, 2));
    EXPECT_EQ(fromTarGif.format(), QImage::Format_RGB888);
}

TEST_F(GraphicLoading, ContentOfAnotherTypeIsRefusedNotSniffed)
{
    const QByteArray jpeg = Jpeg();
    const QByteArray png = Encoded(Pattern(), "PNG");
    for (const char *name :
         {"jpeg.bmp", "jpeg.dib", "jpeg.gif", "jpeg.ico", "jpeg.png", "jpeg.webp"})
        EXPECT_TRUE(LoadGraphicAsBitmap(Write(name, jpeg)).isNull()) << name;
    EXPECT_TRUE(LoadGraphicAsBitmap(Write("png_with_jpg_extension.jpg", png)).isNull());
    EXPECT_TRUE(
        LoadGraphicAsBitmap(Write("truncated_half.png", png.left(png.size() / 2))).isNull());
    EXPECT_TRUE(LoadGraphicAsBitmap(Write("empty.bmp", {})).isNull());
}

TEST_F(GraphicLoading, GifGivesItsFirstFrameWithTransparencyWhite)
{
    const QImage gif = LoadGraphicAsBitmap(FixturePath("two_frames_first_half_transparent.gif"));
    ASSERT_EQ(gif.size(), QSize(4, 2));
    EXPECT_EQ(gif.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(gif.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(gif.pixel(2, 0), qRgb(255, 255, 255));
    EXPECT_EQ(gif.pixel(3, 1), qRgb(255, 255, 255));
}

TEST_F(GraphicLoading, IconGivesItsLargestImageAndOfEqualSizesTheDeepest)
{
    // Images: 16 × 16 blue 1-bit, 32 × 32 green 1-bit, 32 × 32 red 32-bit, 24 × 24 yellow.
    const QImage icon = LoadGraphicAsBitmap(FixturePath("icon_largest_deepest_is_red.ico"));
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.pixel(16, 16), qRgb(200, 0, 0));
}

TEST_F(GraphicLoading, PaletteBitmapKeepsItsColours)
{
    const QImage bitmap = LoadGraphicAsBitmap(FixturePath("two_colours_1bit.bmp"));
    ASSERT_EQ(bitmap.size(), QSize(4, 2));
    EXPECT_EQ(bitmap.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(bitmap.pixel(3, 1), qRgb(200, 100, 50));
}

TEST_F(GraphicLoading, PicturesAboveThePixelLimitAreRefusedFromTheirHeader)
{
    // A bitmap header declaring 20000 × 20000 pixels with no pixel data behind it.
    QByteArray header(54, '\0');
    header[0] = 'B';
    header[1] = 'M';
    qToLittleEndian<quint32>(54, header.data() + 10);
    qToLittleEndian<quint32>(40, header.data() + 14);
    qToLittleEndian<qint32>(20000, header.data() + 18);
    qToLittleEndian<qint32>(20000, header.data() + 22);
    qToLittleEndian<quint16>(1, header.data() + 26);
    qToLittleEndian<quint16>(24, header.data() + 28);
    ASSERT_GT(20000LL * 20000, JpegPixelLimit);
    EXPECT_TRUE(LoadGraphicAsBitmap(Write("huge.bmp", header)).isNull());

    // The limit is the caller's: a 5 × 3 picture passes 15 pixels and fails 14.
    const QString png = Write("p.png", Encoded(Pattern(), "PNG"));
    const auto fits = CreateGraphicForExtension(".PNG", 15);
    EXPECT_TRUE(TryLoadGraphic(*fits, png));
    const auto tooLarge = CreateGraphicForExtension(".PNG", 14);
    EXPECT_FALSE(TryLoadGraphic(*tooLarge, png));
    EXPECT_TRUE(GraphicToBitmap(tooLarge.get()).isNull());
    EXPECT_TRUE(GraphicToBitmap(nullptr).isNull());
}

TEST_F(GraphicLoading, SixteenBitPngsAreRefusedOnlyAboveThePixelLimit)
{
    // Qt decodes 16-bit samples at 8 bytes a pixel; its own allocation limit must not refuse
    // a picture the pixel limit allows.
    QImage deep(1000, 1000, QImage::Format_RGBX64);
    deep.fill(QColor(10, 200, 30));
    const QString png = Write("deep.png", Encoded(deep, "PNG"));
    const auto fits = CreateGraphicForExtension(".PNG", 1000 * 1000);
    ASSERT_TRUE(TryLoadGraphic(*fits, png));
    EXPECT_EQ(GraphicToBitmap(fits.get()).pixel(999, 999), qRgb(10, 200, 30));
    const auto tooLarge = CreateGraphicForExtension(".PNG", 1000 * 1000 - 1);
    EXPECT_FALSE(TryLoadGraphic(*tooLarge, png));
}

TEST_F(GraphicLoading, ExtensionsOutsideTheTableHaveNoKind)
{
    for (const char *extension : {"", ".", ".JPE", ".TIF", ".SVG", ".TXT", ".JPEG2"})
        EXPECT_EQ(CreateGraphicForExtension(extension, JpegPixelLimit), nullptr) << extension;
}

TEST_F(GraphicLoading, IconDepthIsTheImagesOwnAndEveryEntryCounts)
{
    // Two 32 × 32 images, 4-bit blue listed before 8-bit red: the deeper wins.
    const QImage deeper = LoadGraphicAsBitmap(FixturePath("icon_4bit_listed_before_8bit.ico"));
    ASSERT_EQ(deeper.size(), QSize(32, 32));
    EXPECT_EQ(deeper.pixel(16, 16), qRgb(200, 0, 0));
    // 64 images of 16 × 16, then a 256 × 256 PNG.
    const QImage largest = LoadGraphicAsBitmap(FixturePath("icon_largest_after_64_small.ico"));
    EXPECT_EQ(largest.size(), QSize(256, 256));
}

TEST_F(GraphicLoading, BitfieldBitmapsLoadWithTheirMasksAndBadMasksAreRefused)
{
    // 24 bits a pixel; pixel (x, y) is red 40x, green 100y, blue 200, as ImageMagick reads it.
    const QByteArray file = ReadBytes(FixturePath("bitfields_24bit.bmp"));
    const QImage bitmap = LoadGraphicAsBitmap(Write("b.bmp", file));
    ASSERT_EQ(bitmap.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bitmap.pixel(x, y), qRgb(40 * x, 100 * y, 200)) << x << "," << y;

    constexpr int RedMask = 54; // after the file header and the 40-byte header
    auto withMasks = [&](quint32 red, quint32 blue) {
        QByteArray changed = file;
        qToLittleEndian<quint32>(red, changed.data() + RedMask);
        qToLittleEndian<quint32>(blue, changed.data() + RedMask + 8);
        return LoadGraphic(Write("m.bmp", changed));
    };
    EXPECT_EQ(withMasks(0x0000FF, 0xFF0000).bitmap.pixel(2, 1), qRgb(200, 100, 80))
        << "red and blue exchanged by their masks";
    for (const quint32 badRed : {0xFF00F0u, 0x00FFFFu, 0xFF000000u}) {
        const TLoadedGraphic refused = withMasks(badRed, 0x0000FF);
        EXPECT_TRUE(refused.bitmap.isNull()) << badRed;
        ASSERT_TRUE(refused.refusal) << badRed;
        EXPECT_EQ(refused.refusal->cause, TRefusalCause::Damaged);
    }
}

TEST_F(GraphicLoading, ExifOrientationTurnsAJpegAsTheCameraWasHeld)
{
    // 30 × 20, red in its top-left corner, orientation 6: ImageMagick's -auto-orient gives
    // 20 × 30 with the red at the top right.
    const QImage upright = LoadGraphicAsBitmap(FixturePath("exif_orientation_6.jpg"));
    ASSERT_EQ(upright.size(), QSize(20, 30));
    EXPECT_GT(qRed(upright.pixel(17, 3)), 200);
    EXPECT_LT(qGreen(upright.pixel(17, 3)), 60);
    EXPECT_EQ(upright.pixel(2, 3), qRgb(255, 255, 255));
}

TEST_F(GraphicLoading, EveryOrientationPutsTheStoredCornersWhereTheCameraSawThem)
{
    // Stored 3 × 2: where its first row's two ends show, for orientations 1 to 8.
    QImage stored(3, 2, QImage::Format_RGB888);
    stored.fill(Qt::white);
    stored.setPixel(0, 0, qRgb(255, 0, 0));
    stored.setPixel(2, 0, qRgb(0, 0, 255));
    const QPoint tl(0, 0), tr(-1, 0), bl(0, -1), br(-1, -1); // -1: the far end
    const struct {
        QPoint first, last;
    } shown[] = {{tl, tr}, {tr, tl}, {br, bl}, {bl, br}, {tl, bl}, {tr, br}, {br, tr}, {bl, tl}};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QImage upright = UprightBitmap(stored, orientation);
        const bool turned = orientation >= 5;
        ASSERT_EQ(upright.size(), turned ? QSize(2, 3) : QSize(3, 2)) << orientation;
        auto at = [&](QPoint p) {
            return upright.pixel(p.x() < 0 ? upright.width() - 1 : 0,
                                 p.y() < 0 ? upright.height() - 1 : 0);
        };
        EXPECT_EQ(at(shown[orientation - 1].first), qRgb(255, 0, 0)) << orientation;
        EXPECT_EQ(at(shown[orientation - 1].last), qRgb(0, 0, 255)) << orientation;
    }
}

TEST_F(GraphicLoading, SixteenBitPngsCountEightBytesAPixelAgainstTheMemoryLeft)
{
    QImage deep(100, 50, QImage::Format_RGBA64);
    deep.fill(QColor(10, 200, 30, 128));
    const QByteArray png = Encoded(deep, "PNG");
    const QString path = Write("deep.png", png);
    const std::int64_t needed = png.size() + 100 * 50 * (8 + 3);
    const auto fits = CreateGraphicForExtension(".PNG", JpegPixelLimit, needed);
    EXPECT_TRUE(TryLoadGraphic(*fits, path));
    const TLoadedGraphic refused = LoadGraphic(path, needed - 1);
    ASSERT_TRUE(refused.refusal);
    EXPECT_EQ(refused.refusal->cause, TRefusalCause::OverMemoryBudget);
    EXPECT_EQ(refused.refusal->needed, needed);
}

// A hostile header's rows and row length together exceed any 64-bit product: the file is still
// judged, not wrapped into a wrong answer.
TEST(BitmapFile, HugeDeclaredPixelsEndAfterTheFile)
{
    TBitmapFileHeader header;
    header.pixelOffset = 62;
    header.width = 2267742732;
    header.height = -1023410005;
    header.bitCount = 32;
    EXPECT_TRUE(BitmapEndsBeforeItsPixels(header, 1000));
    header.width = 2;
    header.height = 2;
    EXPECT_FALSE(BitmapEndsBeforeItsPixels(header, 62 + 8 + 8));
    EXPECT_TRUE(BitmapEndsBeforeItsPixels(header, 62 + 8 + 7));
}
