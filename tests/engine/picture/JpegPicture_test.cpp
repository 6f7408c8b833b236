#include "engine/picture/JpegPicture.h"
#include "support/JpegBytes.h"
#include "support/JpegTestFiles.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QColor>
#include <cstdlib>
#include <gtest/gtest.h>

namespace
{

// A smooth picture with a sharp edge, so that JPEG errors stay small but are not zero.
QImage TestPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y,
                             qRgb(x * 255 / width, y * 255 / height, x < width / 2 ? 40 : 200));
    return picture;
}

QByteArray EncodedTestPicture(int width = 96, int height = 64)
{
    return JpegBytesOf(TestPicture(width, height));
}

double MeanChannelError(const QImage &a, const QImage &b)
{
    double total = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
        }
    return total / (3.0 * a.width() * a.height());
}

// Annex K tables of the JPEG standard scaled to quality 90 as libjpeg does (20 %, rounded,
// within 1 ... 255).
std::array<int, 64> QualityNinetyTable(const std::array<int, 64> &base)
{
    std::array<int, 64> table{};
    for (int i = 0; i < 64; ++i)
        table[i] = std::clamp((base[i] * 20 + 50) / 100, 1, 255);
    return table;
}

constexpr std::array<int, 64> LuminanceBase = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

constexpr std::array<int, 64> ChrominanceBase = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

void ExpectQualityNinetyBaselineColour(const QByteArray &file)
{
    const auto tables = ReadQuantTables(file);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0], QualityNinetyTable(LuminanceBase));
    EXPECT_EQ(tables[1], QualityNinetyTable(ChrominanceBase));
    EXPECT_TRUE(IsBaseline(file));
    EXPECT_EQ(ComponentCount(file), 3);
}

// The position of the first byte of entropy-coded data (after the SOS segment).
qsizetype ScanStart(const QByteArray &file)
{
    const qsizetype sos = file.indexOf("\xFF\xDA");
    const int length =
        static_cast<unsigned char>(file[sos + 2]) << 8 | static_cast<unsigned char>(file[sos + 3]);
    return sos + 2 + length;
}

} // namespace

TEST(JpegPicture, EmptyPicture)
{
    TJpegPicture picture;
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Height(), 0);
    EXPECT_TRUE(picture.ToBitmap().isNull());
    EXPECT_TRUE(picture.Data().isEmpty());
    picture.Assign(TestPicture(8, 8));
    picture.Assign(QImage());
    EXPECT_TRUE(picture.Empty()) << "a null bitmap empties the picture";
}

TEST(JpegPicture, RoundTripThroughStreams)
{
    const QImage original = TestPicture(97, 61);
    TJpegPicture written;
    written.Assign(original.convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(written.ToBitmap(), original) << "before encoding, the assigned bitmap itself";
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    stream.write("prefix");
    written.SaveToStream(stream);
    stream.close();
    EXPECT_TRUE(stream.data().mid(6).startsWith("\xFF\xD8"));
    EXPECT_TRUE(stream.data().endsWith("\xFF\xD9"));

    TJpegPicture read;
    read.SetData(stream.data().mid(6));
    EXPECT_FALSE(read.Empty());
    EXPECT_EQ(read.Data(), written.Data()) << "the bytes written, nothing before them";
    EXPECT_EQ(read.Width(), 97);
    EXPECT_EQ(read.Height(), 61);
    const QImage decoded = read.ToBitmap();
    ASSERT_EQ(decoded.format(), QImage::Format_RGB888);
    ASSERT_EQ(decoded.size(), original.size());
    EXPECT_LT(MeanChannelError(decoded, original), 3.0);
    EXPECT_NE(decoded, original) << "the bytes are lossy JPEG, not the bitmap";
}

TEST(JpegPicture, StreamFailures)
{
    TJpegPicture picture;
    picture.Assign(TestPicture(8, 8));
    QBuffer closed;
    EXPECT_THROW(picture.SaveToStream(closed), EJPEGError);

    QBuffer empty;
    empty.open(QIODevice::WriteOnly);
    TJpegPicture().SaveToStream(empty);
    EXPECT_TRUE(empty.data().isEmpty()) << "an empty picture writes nothing";
}

TEST(JpegPicture, WritesQualityNinetyBaselineColour)
{
    ExpectQualityNinetyBaselineColour(EncodedTestPicture());

    // A picture that came from a JPEG of another quality is re-encoded at 90 when assigned.
    std::vector<unsigned char> pixels(64 * 48 * 3, 120);
    const QByteArray qualityFifty = EncodeTestJpeg(pixels, 64, 48, TJpegTestColour::Rgb, 50);
    ASSERT_NE(ReadQuantTables(qualityFifty)[0], QualityNinetyTable(LuminanceBase));
    TJpegPicture reassigned;
    reassigned.Assign(DecodedJpeg(qualityFifty));
    ExpectQualityNinetyBaselineColour(reassigned.Data());

    // A greyscale bitmap is still written in colour.
    TJpegPicture grey;
    grey.Assign(TestPicture(32, 32).convertToFormat(QImage::Format_Grayscale8));
    ExpectQualityNinetyBaselineColour(grey.Data());
}

TEST(JpegPicture, SetDataKeepsBytesAsGiven)
{
    const QByteArray bytes = EncodedTestPicture();
    TJpegPicture picture;
    picture.Assign(TestPicture(5, 5));
    picture.SetData(bytes);
    EXPECT_EQ(picture.Data(), bytes) << "the pending bitmap is dropped";
    EXPECT_EQ(picture.Width(), 96);
}

TEST(JpegPicture, TruncatedFilesFailCleanly)
{
    const QByteArray file = EncodedTestPicture(200, 150);
    const QByteArray truncatedHalf = file.left(file.size() / 2);
    EXPECT_EQ(DecodedJpeg(file).size(), QSize(200, 150));
    EXPECT_THROW(DecodedJpeg(truncatedHalf), EJPEGError);
    EXPECT_THROW(DecodedJpeg(file.left(ScanStart(file) + 10)), EJPEGError);
    EXPECT_THROW(DecodedJpeg(file.left(file.size() - 40)), EJPEGError) << "the last rows lost";
    EXPECT_EQ(DecodedJpeg(file.left(file.size() - 2)), DecodedJpeg(file))
        << "a file that lacks only its end marker is whole";

    const QByteArray headerOnly = file.left(20);
    TJpegPicture picture;
    picture.SetData(headerOnly);
    EXPECT_FALSE(picture.Empty());
    EXPECT_THROW(picture.Width(), EJPEGError);
    EXPECT_THROW(picture.ToBitmap(), EJPEGError);
}

TEST(JpegPicture, CorruptFilesFailCleanly)
{
    try {
        DecodedJpeg("this is not a JPEG file at all");
        FAIL() << "no exception";
    } catch (const EJPEGError &error) {
        EXPECT_TRUE(std::string(error.what()).find("JPEG") != std::string::npos) << error.what();
    }
    EXPECT_THROW(DecodedJpeg(QByteArray("\xFF\xD8", 2)), EJPEGError);

    const QByteArray file = EncodedTestPicture(200, 150);
    QByteArray endMarkerInScan = file;
    endMarkerInScan.replace(ScanStart(file) + 100, 2, "\xFF\xD9");
    EXPECT_THROW(DecodedJpeg(endMarkerInScan), EJPEGError);

    QByteArray zeroWidth = file;
    const qsizetype sof = zeroWidth.indexOf("\xFF\xC0");
    zeroWidth[sof + 7] = 0;
    zeroWidth[sof + 8] = 0;
    EXPECT_THROW(DecodedJpeg(zeroWidth), EJPEGError);

    QByteArray badTables = file;
    const qsizetype dht = badTables.indexOf("\xFF\xC4");
    for (int i = 5; i < 21; ++i)
        badTables[dht + i] = static_cast<char>(0xFF);
    EXPECT_THROW(DecodedJpeg(badTables), EJPEGError);
}

TEST(JpegPicture, PictureAboveThePixelLimitFailsBeforeDecoding)
{
    QByteArray huge = EncodedTestPicture(16, 16);
    const qsizetype sof = huge.indexOf("\xFF\xC0");
    // 20000 × 6000 = 120 megapixels.
    huge[sof + 5] = static_cast<char>(6000 >> 8);
    huge[sof + 6] = static_cast<char>(6000 & 255);
    huge[sof + 7] = static_cast<char>(20000 >> 8);
    huge[sof + 8] = static_cast<char>(20000 & 255);
    TJpegPicture picture;
    picture.SetData(huge);
    EXPECT_EQ(picture.Width(), 20000) << "the header alone still reads";
    try {
        picture.ToBitmap();
        FAIL() << "no exception";
    } catch (const EJPEGError &error) {
        EXPECT_TRUE(std::string(error.what()).find("limit") != std::string::npos) << error.what();
    }
}

TEST(JpegPicture, ProgressiveFilesDecodeWhole)
{
    std::vector<unsigned char> pixels(300 * 200 * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i / 3 % 300 * 255 / 300);
    const QByteArray file = EncodeTestJpeg(pixels, 300, 200, TJpegTestColour::Rgb, 90, true);
    ASSERT_FALSE(IsBaseline(file));
    const QImage decoded = DecodedJpeg(file);
    ASSERT_EQ(decoded.size(), QSize(300, 200));
    EXPECT_NEAR(qRed(decoded.pixel(150, 100)), 127, 4);
    EXPECT_THROW(DecodedJpeg(file.left(file.size() * 3 / 4)), EJPEGError);
}

TEST(JpegPicture, GreyscaleFilesDecodeTo24Bit)
{
    std::vector<unsigned char> grey(40 * 30);
    for (int i = 0; i < 40 * 30; ++i)
        grey[i] = static_cast<unsigned char>((i % 40) * 6);
    const QImage decoded = DecodedJpeg(EncodeTestJpeg(grey, 40, 30, TJpegTestColour::Grey, 95));
    ASSERT_EQ(decoded.format(), QImage::Format_RGB888);
    ASSERT_EQ(decoded.size(), QSize(40, 30));
    for (int x : {0, 10, 39}) {
        const QRgb pixel = decoded.pixel(x, 15);
        EXPECT_EQ(qRed(pixel), qGreen(pixel));
        EXPECT_EQ(qGreen(pixel), qBlue(pixel));
        EXPECT_NEAR(qRed(pixel), x * 6, 4);
    }
}

TEST(JpegPicture, CmykFilesDecodeTo24Bit)
{
    // Stored inverted, as Adobe software writes CMYK: 255 = no ink.
    const int width = 32, height = 16;
    std::vector<unsigned char> cmyk;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool cyanHalf = x < width / 2;
            const unsigned char ink[4] = {static_cast<unsigned char>(cyanHalf ? 0 : 255), 255,
                                          static_cast<unsigned char>(cyanHalf ? 255 : 127),
                                          static_cast<unsigned char>(cyanHalf ? 255 : 127)};
            cmyk.insert(cmyk.end(), ink, ink + 4);
        }
    const QByteArray file = EncodeTestJpeg(cmyk, width, height, TJpegTestColour::Cmyk, 95);
    ASSERT_EQ(ComponentCount(file), 4);
    const QImage decoded = DecodedJpeg(file);
    ASSERT_EQ(decoded.format(), QImage::Format_RGB888);
    const QColor cyan = decoded.pixelColor(4, 8);
    EXPECT_NEAR(cyan.red(), 0, 4);
    EXPECT_NEAR(cyan.green(), 255, 4);
    EXPECT_NEAR(cyan.blue(), 255, 4);
    const QColor darkened = decoded.pixelColor(28, 8); // half black over half yellow
    EXPECT_NEAR(darkened.red(), 127, 4);
    EXPECT_NEAR(darkened.green(), 127, 4);
    EXPECT_NEAR(darkened.blue(), 64, 4);
}

namespace
{

// Files written by another encoder (tests/fixtures/README.md), each named after the fault it
// covers. All but the PNG were made from the picture the PNG holds.
QByteArray Fixture(const char *name)
{
    const QByteArray bytes = ReadBytes(FixturePath(name));
    EXPECT_FALSE(bytes.isEmpty()) << name;
    return bytes;
}

// The fixtures' picture as Qt's own PNG reader reads it.
QImage FixturePicture()
{
    return QImage::fromData(Fixture("png_with_jpg_extension.jpg"), "PNG")
        .convertToFormat(QImage::Format_RGB888);
}

} // namespace

TEST(JpegFixtures, ProgressiveAndCmykFilesDecodeToTheirPicture)
{
    const QImage original = FixturePicture();
    ASSERT_EQ(original.size(), QSize(96, 64));
    for (const char *name : {"progressive.jpg", "cmyk.jpg"}) {
        const QImage decoded = DecodedJpeg(Fixture(name));
        ASSERT_EQ(decoded.format(), QImage::Format_RGB888) << name;
        ASSERT_EQ(decoded.size(), original.size()) << name;
        EXPECT_LT(MeanChannelError(decoded, original), 6.0) << name;
    }
}

// A progressive file's decoder holds every coefficient: 128 bytes per 8 × 8 block of each
// component (96 × 64 in 4:2:0 sampling: 96 luma blocks and 24 of each chroma component).
TEST(JpegFixtures, OnlyAFileOfSeveralScansNeedsCoefficientBuffers)
{
    TJpegPicture progressive;
    progressive.SetData(Fixture("progressive.jpg"));
    EXPECT_EQ(progressive.DecoderBufferBytes(), (96 + 24 + 24) * 128);
    TJpegPicture baseline;
    baseline.SetData(Fixture("greyscale.jpg"));
    EXPECT_EQ(baseline.DecoderBufferBytes(), 0);
    baseline.Assign(FixturePicture());
    EXPECT_EQ(baseline.DecoderBufferBytes(), 0);
}

TEST(JpegFixtures, GreyscaleFileDecodesToGreyIn24Bit)
{
    const QImage decoded = DecodedJpeg(Fixture("greyscale.jpg"));
    ASSERT_EQ(decoded.format(), QImage::Format_RGB888);
    ASSERT_EQ(decoded.size(), QSize(96, 64));
    for (int y = 0; y < decoded.height(); ++y)
        for (int x = 0; x < decoded.width(); ++x) {
            const QRgb pixel = decoded.pixel(x, y);
            ASSERT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel)) << x << y;
        }
    // The luma of the JPEG standard's colour transform.
    QImage luma = FixturePicture();
    for (int y = 0; y < luma.height(); ++y)
        for (int x = 0; x < luma.width(); ++x) {
            const QRgb p = luma.pixel(x, y);
            const int value = qRound(0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p));
            luma.setPixel(x, y, qRgb(value, value, value));
        }
    EXPECT_LT(MeanChannelError(decoded, luma), 3.0);
}

TEST(JpegFixtures, FileWithoutItsEndMarkerDecodesWhole)
{
    const QByteArray file = Fixture("missing_end_marker.jpg");
    ASSERT_FALSE(file.endsWith("\xFF\xD9"));
    EXPECT_EQ(DecodedJpeg(file), DecodedJpeg(Fixture("progressive.jpg")));
}

TEST(JpegFixtures, HalfAFileOrAPngIsAJpegError)
{
    TJpegPicture truncated;
    truncated.SetData(Fixture("truncated_half.jpg"));
    EXPECT_EQ(truncated.Width(), 96) << "the header is whole";
    EXPECT_THROW(truncated.ToBitmap(), EJPEGError);

    TJpegPicture png;
    png.SetData(Fixture("png_with_jpg_extension.jpg"));
    EXPECT_THROW(png.Width(), EJPEGError);
    EXPECT_THROW(png.ToBitmap(), EJPEGError);
}

TEST(JpegRowReader, RowsReadInUnevenChunksAreTheDecodedPicture)
{
    const QByteArray file = EncodedTestPicture(123, 77);
    TJpegPicture encoded;
    encoded.SetData(file);
    TJpegPicture assigned;
    assigned.Assign(TestPicture(123, 77));
    for (const TJpegPicture *picture : {&encoded, &assigned}) {
        const QImage whole = picture->ToBitmap();
        TJpegRowReader reader(*picture);
        ASSERT_EQ(reader.Size(), QSize(123, 77));
        QImage rows(123, 77, QImage::Format_RGB888);
        int next = 0;
        for (int chunk = 1; next < 77; chunk = chunk * 2 % 29 + 1) {
            const int count = std::min(chunk, 77 - next);
            reader.ReadRows(rows.scanLine(next), rows.bytesPerLine(), count);
            next += count;
        }
        EXPECT_EQ(rows, whole);
        EXPECT_THROW(reader.ReadRows(rows.bits(), rows.bytesPerLine(), 1), EJPEGError)
            << "no row beyond the picture";
    }
}

TEST(JpegRowReader, DamagedDataFailsWhenItsRowsAreRead)
{
    const QByteArray file = EncodedTestPicture(200, 150);
    TJpegPicture truncated;
    truncated.SetData(file.left(file.size() / 2));
    TJpegRowReader reader(truncated);
    QImage rows(200, 150, QImage::Format_RGB888);
    EXPECT_THROW(reader.ReadRows(rows.bits(), rows.bytesPerLine(), 150), EJPEGError);
    const TJpegPicture empty;
    EXPECT_THROW(TJpegRowReader emptyReader(empty), EJPEGError) << "an empty picture";
}

TEST(JpegPicture, WhatItHoldsIsTakenFromTheMemoryBudget)
{
    TJpegPicture picture;
    EXPECT_EQ(MemoryLeftBeside(&picture), MemoryBudget);
    picture.Assign(QImage(100, 40, QImage::Format_RGB888));
    EXPECT_EQ(MemoryLeftBeside(&picture), MemoryBudget - 100 * 40 * 3);
    const QByteArray bytes = picture.Data();
    EXPECT_EQ(MemoryLeftBeside(&picture), MemoryBudget - bytes.size());
    EXPECT_EQ(MemoryLeftBeside(nullptr), MemoryBudget);
}
