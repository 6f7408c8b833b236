// Graphic loading: the extension table decides the decoder, a decoder refuses other content,
// and every loaded picture is a 24-bit bitmap with transparent areas white.
#include "engine/picture/GraphicLoading.h"
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
