// The metafile player: real files written by an office suite and a plotting tool look as
// another program renders them; hand-made records test the device-context rules; truncated and
// hostile records give none or are skipped, never a crash; hostile files end within the work
// budget and keep the object table and pattern images within their limits.
#include "engine/picture/EmfRecords.h"
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/MetafileDevice.h"
#include "engine/picture/MetafilePlayer.h"
#include "engine/picture/MetafileRecordCommon.h"
#include "engine/picture/WmfRecords.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QPainter>
#include <cstring>
#include <gtest/gtest.h>
#include <initializer_list>
#include <limits>
#include <vector>

namespace
{

QString Fixture(const QString &name)
{
    return FixturePath(QStringLiteral("metafiles/") + name);
}

QByteArray ReadFixture(const QString &name)
{
    const QByteArray bytes = ReadBytes(Fixture(name));
    EXPECT_FALSE(bytes.isEmpty()) << name.toStdString();
    return bytes;
}

QImage Render(const QByteArray &bytes)
{
    const std::optional<TMetafilePlayer> metafile = TMetafilePlayer::FromBytes(bytes);
    if (!metafile)
        return QImage();
    QImage image(metafile->Size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    metafile->Draw(painter, QRectF(image.rect()));
    return image;
}

// The bounding box of what is not (nearly) white.
QRect Content(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 245)
                box |= QRect(x, y, 1, 1);
    return box;
}

struct TDifference {
    double meanPerChannel = 0; // 0 to 255
    double farPixels = 0;      // share of pixels with a channel off by more than 96
};

TDifference Compare(const QImage &ours, const QImage &reference)
{
    const QImage scaled =
        reference.scaled(ours.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double total = 0;
    qint64 far = 0;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = scaled.pixel(x, y);
            const int dr = std::abs(qRed(a) - qRed(b));
            const int dg = std::abs(qGreen(a) - qGreen(b));
            const int db = std::abs(qBlue(a) - qBlue(b));
            total += dr + dg + db;
            far += std::max({dr, dg, db}) > 96;
        }
    const double pixels = double(ours.width()) * ours.height();
    return {total / (3 * pixels), far / pixels};
}

// Records of a WMF: 16-bit words after the record size and function.
class TWmfBuilder
{
public:
    TWmfBuilder &Record(quint16 function, const std::vector<int> &words)
    {
        Append32(3 + quint32(words.size()));
        Append16(function);
        for (const int word : words)
            Append16(quint16(word));
        return *this;
    }
    TWmfBuilder &Raw(const QByteArray &bytes)
    {
        m_records += bytes;
        return *this;
    }

    // Placeable, with the bounding box (left, top, right, bottom) at 96 units per inch.
    QByteArray Placeable(int left, int top, int right, int bottom, int unitsPerInch = 96) const
    {
        QByteArray file;
        Append32To(file, 0x9AC6CDD7);
        for (const int word : {0, left, top, right, bottom, unitsPerInch, 0, 0, 0})
            Append16To(file, quint16(word));
        return file + Plain();
    }
    QByteArray Plain() const
    {
        QByteArray file;
        for (const int word : {1, 9, 0x300})
            Append16To(file, quint16(word));
        Append32To(file, 0);
        Append16To(file, 16);
        Append32To(file, 0);
        Append16To(file, 0);
        return file + m_records + QByteArray("\x03\0\0\0\0\0", 6);
    }

private:
    static void Append16To(QByteArray &bytes, quint16 value)
    {
        bytes.append(char(value & 0xFF)).append(char(value >> 8));
    }
    static void Append32To(QByteArray &bytes, quint32 value)
    {
        Append16To(bytes, quint16(value));
        Append16To(bytes, quint16(value >> 16));
    }
    void Append16(quint16 value) { Append16To(m_records, value); }
    void Append32(quint32 value) { Append32To(m_records, value); }

    QByteArray m_records;
};

// Record functions used by the hand-made files.
constexpr quint16 SetWindowOrg = 0x020B;
constexpr quint16 SetWindowExt = 0x020C;
constexpr quint16 CreateBrush = 0x02FC;
constexpr quint16 CreatePen = 0x02FA;
constexpr quint16 SelectObject = 0x012D;
constexpr quint16 DeleteObject = 0x01F0;
constexpr quint16 Rectangle = 0x041B;
constexpr quint16 SaveDC = 0x001E;
constexpr quint16 RestoreDC = 0x0127;
constexpr quint16 IntersectClipRect = 0x0416;
constexpr quint16 ExcludeClipRect = 0x0415;
constexpr quint16 Polygon = 0x0324;

// A solid brush of COLORREF red | green << 8 | blue << 16.
std::vector<int> SolidBrush(int red, int green, int blue)
{
    return {0, red | green << 8, blue, 0};
}

const std::vector<int> NullPen = {5, 0, 0, 0, 0};

// (bottom, right, top, left), as the records store them.
std::vector<int> Box(int left, int top, int right, int bottom)
{
    return {bottom, right, top, left};
}

// EMF records: 32-bit values after the type and size.
void AppendEmf(QByteArray &records, std::initializer_list<qint32> values)
{
    for (const qint32 value : values)
        records.append(reinterpret_cast<const char *>(&value), 4);
}

// An EMF whose frame is `side` pixels square (one pixel per 0.01 mm).
QByteArray EmfFile(int side, const QByteArray &records)
{
    QByteArray file;
    AppendEmf(file,
              {1,       88, 0, 0, side - 1, side - 1, 0, 0,    side * 100, side * 100, 0x464D4520,
               0x10000, 0,  0, 0, 0,        0,        0, side, side,       side,       side});
    file += records;
    AppendEmf(file, {14, 20, 0, 0, 20});
    return file;
}

// What a playback onto a white picture left behind.
struct TPlayback {
    QImage image;
    bool budgetSpent = false;
    qint64 workDone = 0;
    std::size_t objects = 0;
    qint64 patternBytes = 0;
};

TPlayback Play(const QByteArray &bytes, qint64 workBudget = MetafileWorkBudget)
{
    const std::optional<TMetafilePlayer> metafile = TMetafilePlayer::FromBytes(bytes);
    if (!metafile)
        return {};
    TPlayback playback;
    playback.image = QImage(metafile->Size(), QImage::Format_RGB32);
    playback.image.fill(Qt::white);
    QPainter painter(&playback.image);
    TMetafileDevice device(painter, QRectF(playback.image.rect()), workBudget);
    const TByteReader file(bytes);
    if (const std::optional<TEmfHeader> emf = ReadEmfHeader(file))
        PlayEmfRecords(file, *emf, device);
    else
        PlayWmfRecords(file, *ReadWmfHeader(file), device);
    playback.budgetSpent = device.WorkBudgetSpent();
    playback.workDone = device.WorkDone();
    playback.objects = device.ObjectCount();
    playback.patternBytes = device.PatternBytes();
    return playback;
}

constexpr qint64 UnlimitedWork = std::numeric_limits<qint64>::max();

} // namespace

TEST(MetafilePlayer, RealFilesLookAsAnotherProgramRendersThem)
{
    // Made with LibreOffice Draw (from shapes.svg, bitmap.svg) and gnuplot's emf terminal
    // (plot.gp); the references are LibreOffice's renderings, trimmed to their content. Inkscape
    // wrote and rendered outlines_in_one_path.emf (squares and a ring with a hole, each one path
    // of several outlines); anisotropic_without_extents.emf is it with its mapping mode made
    // anisotropic, no extents given, which Inkscape renders the same. The
    // tolerance allows for different anti-aliasing and font rasterising: the content boxes agree
    // within 4 pixels, the mean difference is at most 12 of 255 per channel, and at most 6 % of
    // the pixels differ strongly.
    struct {
        const char *file;
        const char *reference;
    } const cases[] = {{"shapes.wmf", "shapes_reference.png"},
                       {"shapes.emf", "shapes_reference.png"},
                       {"bitmap.wmf", "bitmap_reference.png"},
                       {"bitmap.emf", "bitmap_reference.png"},
                       {"gnuplot_sine.emf", "gnuplot_sine_reference.png"},
                       {"outlines_in_one_path.emf", "outlines_in_one_path_reference.png"},
                       {"anisotropic_without_extents.emf", "outlines_in_one_path_reference.png"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const QImage rendered = LoadGraphicAsBitmap(Fixture(c.file));
        ASSERT_FALSE(rendered.isNull());
        const QImage reference(Fixture(c.reference));
        ASSERT_FALSE(reference.isNull());
        const QRect content = Content(rendered);
        EXPECT_LE(std::abs(content.width() - reference.width()), 4);
        EXPECT_LE(std::abs(content.height() - reference.height()), 4);
        const TDifference difference = Compare(rendered.copy(content), reference);
        EXPECT_LE(difference.meanPerChannel, 12);
        EXPECT_LE(difference.farPixels, 0.06);
        if (HasFailure()) {
            const QString saved = QDir::temp().filePath(QString("rendered_") + c.file + ".png");
            rendered.save(saved);
            ADD_FAILURE() << "our rendering: " << saved.toStdString();
        }
    }
}

TEST(MetafilePlayer, SizeComesFromTheHeaderAt96PixelsPerInch)
{
    // 7424 × 4778 units at 2540 per inch.
    EXPECT_EQ(TMetafilePlayer::FromBytes(ReadFixture("shapes.wmf"))->Size(), QSize(281, 181));
    // A frame of 84.38 × 63.28 mm.
    EXPECT_EQ(TMetafilePlayer::FromBytes(ReadFixture("gnuplot_sine.emf"))->Size(), QSize(319, 239));
    // Without the placeable header the window extent counts in pixels.
    const QByteArray plain = ReadFixture("shapes.wmf").mid(22);
    const std::optional<TMetafilePlayer> metafile = TMetafilePlayer::FromBytes(plain);
    ASSERT_TRUE(metafile);
    EXPECT_EQ(metafile->Size(), CappedMetafileSize(7424, 4778));
}

TEST(MetafilePlayer, SizesAreCappedAndAFileWithoutAreaGivesNone)
{
    EXPECT_EQ(CappedMetafileSize(10000, 5000), QSize(4096, 2048));
    EXPECT_EQ(CappedMetafileSize(1e12, 1), QSize(4096, 1));
    EXPECT_EQ(CappedMetafileSize(-30, 20), QSize(30, 20));
    EXPECT_FALSE(CappedMetafileSize(0, 20));
    EXPECT_FALSE(CappedMetafileSize(std::nan(""), 20));

    TWmfBuilder records;
    records.Record(SelectObject, {0});
    EXPECT_FALSE(TMetafilePlayer::FromBytes(records.Placeable(0, 0, 0, 100)));
    EXPECT_FALSE(TMetafilePlayer::FromBytes(records.Placeable(0, 0, 100, 100, 0)));
    EXPECT_FALSE(TMetafilePlayer::FromBytes(records.Plain())) << "no window extent";
    EXPECT_EQ(TMetafilePlayer::FromBytes(records.Placeable(100, 100, 0, 0))->Size(),
              QSize(100, 100));
    EXPECT_EQ(TMetafilePlayer::FromBytes(records.Placeable(-32768, 0, 32767, 2))->Size(),
              QSize(4096, 1));
    EXPECT_FALSE(TMetafilePlayer::FromBytes("plain text, not a metafile"));
    EXPECT_FALSE(TMetafilePlayer::FromBytes(QByteArray()));
}

TEST(MetafilePlayer, ObjectsTakeTheLowestFreeSlotAndSelectionOutlivesDeletion)
{
    // Slot 0 a blue brush, slot 1 the null pen; deleting slot 0 frees it for the red brush.
    TWmfBuilder records;
    records.Record(CreateBrush, SolidBrush(0, 0, 255))
        .Record(CreatePen, NullPen)
        .Record(SelectObject, {1})
        .Record(SelectObject, {0})
        .Record(DeleteObject, {0})
        .Record(Rectangle, Box(0, 0, 10, 20)) // still blue: the selection holds a copy
        .Record(CreateBrush, SolidBrush(255, 0, 0))
        .Record(SelectObject, {0})
        .Record(Rectangle, Box(10, 0, 20, 20));
    const QImage image = Render(records.Placeable(0, 0, 20, 20));
    ASSERT_EQ(image.size(), QSize(20, 20));
    EXPECT_EQ(image.pixel(5, 10), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(15, 10), qRgb(255, 0, 0));
}

TEST(MetafilePlayer, WindowRecordsMapOntoThePictureAndSavedStatesComeBack)
{
    // The window (100, 100)-(300, 300) fills the 20 × 20 picture; a clip rectangle set after
    // SaveDC ends with RestoreDC.
    TWmfBuilder records;
    records.Record(SetWindowOrg, {100, 100})
        .Record(SetWindowExt, {200, 200})
        .Record(CreatePen, NullPen)
        .Record(SelectObject, {0})
        .Record(CreateBrush, SolidBrush(0, 128, 0))
        .Record(SelectObject, {1})
        .Record(SaveDC, {})
        .Record(IntersectClipRect, Box(100, 100, 200, 300))
        .Record(Rectangle, Box(100, 100, 300, 200)) // only its left half shows
        .Record(RestoreDC, {-1})
        .Record(Rectangle, Box(100, 200, 300, 300));
    const QImage image = Render(records.Placeable(0, 0, 20, 20));
    ASSERT_EQ(image.size(), QSize(20, 20));
    EXPECT_EQ(image.pixel(5, 5), qRgb(0, 128, 0));
    EXPECT_EQ(image.pixel(15, 5), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(15, 15), qRgb(0, 128, 0));
}

// A 24-bit bottom-up DIB of two pixels, red then blue, as 16-bit words.
std::vector<int> RedBlueDib()
{
    std::vector<int> words = {40, 0, 2, 0, 1, 0, 1, 24};
    words.resize(20, 0); // no compression, sizes and colour counts left at zero
    for (const int word : {0x0000, 0xFFFF, 0x0000, 0x0000}) // 00 00 FF | FF 00 00 | padding
        words.push_back(word);
    return words;
}

TEST(MetafilePlayer, BitBlockRecordsCopyOrStretchTheirBitmapOrFillWithoutOne)
{
    constexpr quint16 DibBitBlt = 0x0940, DibStretchBlt = 0x0B41;
    const std::vector<int> srcCopy = {0x0020, 0x00CC}, blackness = {0x0042, 0x0000};
    std::vector<int> copy = srcCopy; // y, x of the source; height, width; y, x of the target
    copy.insert(copy.end(), {0, 0, 1, 2, 0, 0});
    const std::vector<int> dib = RedBlueDib();
    copy.insert(copy.end(), dib.begin(), dib.end());
    std::vector<int> stretch = srcCopy; // the source's height and width come first
    stretch.insert(stretch.end(), {1, 2, 0, 0, 8, 20, 2, 0});
    stretch.insert(stretch.end(), dib.begin(), dib.end());
    std::vector<int> fill = blackness; // no bitmap: a reserved word, then the target
    fill.insert(fill.end(), {0, 0, 0, 2, 2, 0, 18});
    TWmfBuilder records;
    records.Record(DibStretchBlt, stretch).Record(DibBitBlt, copy).Record(DibBitBlt, fill);
    const QImage image = Render(records.Placeable(0, 0, 20, 10));
    ASSERT_EQ(image.size(), QSize(20, 10));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(1, 6), qRgb(255, 0, 0)); // stretched smoothly: the ends are pure
    EXPECT_EQ(image.pixel(18, 6), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(19, 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(10, 0), qRgb(255, 255, 255));
}

TEST(MetafilePlayer, TwentyFourBitBitmapsWithBitfieldMasksAreDrawn)
{
    std::vector<int> dib = RedBlueDib();
    dib[8] = 3; // BI_BITFIELDS: red, green and blue masks follow the header
    dib.insert(dib.begin() + 20, {0x0000, 0x00FF, 0xFF00, 0x0000, 0x00FF, 0x0000});
    std::vector<int> copy = {0x0020, 0x00CC, 0, 0, 1, 2, 0, 0};
    copy.insert(copy.end(), dib.begin(), dib.end());
    TWmfBuilder records;
    records.Record(0x0940, copy);
    const QImage image = Render(records.Placeable(0, 0, 2, 1));
    ASSERT_EQ(image.size(), QSize(2, 1));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));
}

TEST(MetafilePlayer, PiesTurnCounterClockwiseFromTheStartRay)
{
    // From 3 o'clock to 12 o'clock: the top right quarter of the circle.
    TWmfBuilder records;
    records.Record(CreatePen, NullPen)
        .Record(SelectObject, {0})
        .Record(CreateBrush, SolidBrush(255, 0, 0))
        .Record(SelectObject, {1})
        .Record(0x081A, {0, 10, 10, 20, 20, 20, 0, 0}); // PIE: end, start, box
    const QImage pie = Render(records.Placeable(0, 0, 20, 20));
    EXPECT_EQ(pie.pixel(14, 6), qRgb(255, 0, 0));
    EXPECT_EQ(pie.pixel(6, 6), qRgb(255, 255, 255));
    EXPECT_EQ(pie.pixel(14, 14), qRgb(255, 255, 255));
}

TEST(MetafilePlayer, EmfMetricMappingPutsPositiveYUp)
{
    // A frame of 10 × 10 mm on a device of one pixel per millimetre; in MM_LOMETRIC (0.1 mm,
    // y up) the rectangle (0, 0)-(50, -50) is the frame's top left quarter.
    auto u32 = [](QByteArray &bytes, std::initializer_list<qint32> values) {
        for (const qint32 value : values)
            bytes.append(reinterpret_cast<const char *>(&value), 4);
    };
    QByteArray file;
    u32(file, {1,       88, 0, 0, 9, 9, 0, 0,   1000, 1000, 0x464D4520,
               0x10000, 0,  0, 0, 0, 0, 0, 100, 100,  100,  100});
    u32(file, {17, 12, 2});                   // SETMAPMODE MM_LOMETRIC
    u32(file, {39, 24, 1, 0, 0x0000FF00, 0}); // CREATEBRUSHINDIRECT green
    u32(file, {37, 12, 1});                   // SELECTOBJECT
    u32(file, {37, 12, int(0x80000008)});     // the null pen
    u32(file, {43, 24, 0, 0, 50, -50});       // RECTANGLE
    u32(file, {14, 20, 0, 0, 20});            // EOF
    const QImage image = Render(file);
    ASSERT_EQ(image.size(), QSize(38, 38));
    EXPECT_EQ(image.pixel(9, 9), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(28, 9), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(9, 28), qRgb(255, 255, 255));
}

TEST(MetafilePlayer, EightBitTextIsTheWindowsWesternCodePage)
{
    EXPECT_EQ(WindowsAnsiText("\x80 \x93quoted\x94 \x96 caf\xE9"),
              QString::fromUtf8("\u20AC \u201Cquoted\u201D \u2013 caf\u00E9"));
}

TEST(MetafilePlayer, HostileRecordsAreSkippedAndTruncationEndsThePicture)
{
    TWmfBuilder records;
    records.Record(CreatePen, NullPen)
        .Record(SelectObject, {0})
        .Record(CreateBrush, SolidBrush(255, 0, 0))
        .Record(SelectObject, {1})
        .Record(Polygon, {30000, 0, 0}) // claims 30000 points, holds one coordinate
        .Record(Rectangle, {10})        // too short for a rectangle
        .Record(0x7777, {1, 2, 3})      // unknown
        .Record(Rectangle, Box(0, 0, 10, 10))
        .Raw(QByteArray("\xff\xff\xff\x7f\x1b\x04", 6)); // a rectangle claiming 4 GiB
    const QImage image = Render(records.Placeable(0, 0, 10, 10));
    ASSERT_EQ(image.size(), QSize(10, 10));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 0, 0));

    // A shape reaching millions of pixels beyond the picture is left out (Qt's stroker would
    // take seconds over it): the window (0, 0)-(1, 1) fills the picture, 32000 is far outside.
    TWmfBuilder far;
    far.Record(SetWindowExt, {1, 1})
        .Record(CreateBrush, SolidBrush(0, 0, 255))
        .Record(SelectObject, {0})
        .Record(Polygon, {3, 0, 0, 32000, 0, 0, 1})
        .Record(SetWindowExt, {10, 10})
        .Record(Rectangle, Box(5, 5, 10, 10));
    const QImage farImage = Render(far.Placeable(0, 0, 10, 10));
    EXPECT_EQ(farImage.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(farImage.pixel(8, 8), qRgb(0, 0, 255));

    // Every cut of real files plays without failing: a picture of the header's size, or none.
    for (const char *name : {"shapes.wmf", "shapes.emf", "bitmap.emf", "gnuplot_sine.emf"}) {
        const QByteArray whole = ReadFixture(name);
        for (qsizetype cut = 0; cut < whole.size(); cut += 97) {
            const QImage part = Render(whole.left(cut));
            EXPECT_TRUE(part.isNull() || part.size() == Render(whole).size()) << name << cut;
        }
    }
}

TEST(MetafilePlayer, CorruptedCountsAndOffsetsInRealFilesNeverFail)
{
    // Every 32-bit field of the EMF records in turn made huge or negative.
    const QByteArray whole = ReadFixture("bitmap.emf");
    for (qsizetype at = 88; at + 4 <= whole.size(); at += 4) {
        for (const quint32 value : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFF0u}) {
            QByteArray bytes = whole;
            std::memcpy(bytes.data() + at, &value, 4);
            const QImage image = Render(bytes);
            EXPECT_FALSE(image.isNull()) << at;
        }
    }
}

TEST(MetafilePlayerBudget, RealFilesRenderAsWithoutABudgetAndTakeLittleOfIt)
{
    for (const char *name : {"shapes.wmf", "shapes.emf", "bitmap.wmf", "gnuplot_sine.emf"}) {
        SCOPED_TRACE(name);
        const QByteArray bytes = ReadFixture(name);
        const TPlayback budgeted = Play(bytes);
        const TPlayback unlimited = Play(bytes, UnlimitedWork);
        EXPECT_FALSE(budgeted.budgetSpent);
        EXPECT_EQ(budgeted.image, unlimited.image);
        EXPECT_LT(budgeted.workDone, MetafileWorkBudget / 100);
    }
}

TEST(MetafilePlayerBudget, ManyFullPictureFillsEndThePicture)
{
    // A thousand fills of the whole picture, then a blue square that is never reached; a few
    // fills under the same budget reach it.
    auto fills = [](int count) {
        TWmfBuilder records;
        records.Record(CreatePen, NullPen)
            .Record(SelectObject, {0})
            .Record(CreateBrush, SolidBrush(255, 0, 0))
            .Record(SelectObject, {1});
        for (int i = 0; i < count; ++i)
            records.Record(Rectangle, Box(0, 0, 100, 100));
        records.Record(CreateBrush, SolidBrush(0, 0, 255))
            .Record(SelectObject, {2})
            .Record(Rectangle, Box(0, 0, 10, 10));
        return records.Placeable(0, 0, 100, 100);
    };
    const qint64 budget = Play(fills(10), UnlimitedWork).workDone;
    const TPlayback few = Play(fills(10), budget);
    EXPECT_FALSE(few.budgetSpent);
    EXPECT_EQ(few.image.pixel(5, 5), qRgb(0, 0, 255));

    const TPlayback many = Play(fills(1000), budget);
    EXPECT_TRUE(many.budgetSpent);
    EXPECT_LE(many.workDone, budget);
    EXPECT_EQ(many.image.pixel(5, 5), qRgb(255, 0, 0)) << "the picture ends at the budget";
}

TEST(MetafilePlayerBudget, AGrowingClipCostsMoreWithEveryRecord)
{
    // Excluding another small square each time grows the clip by one square; excluding the same
    // square again leaves it as it was. The same number of records costs far more growing.
    auto exclusions = [](bool distinct) {
        TWmfBuilder records;
        records.Record(CreatePen, NullPen).Record(SelectObject, {0});
        for (int i = 0; i < 300; ++i) {
            const int x = distinct ? i % 20 * 10 : 0;
            const int y = distinct ? i / 20 * 10 : 0;
            records.Record(ExcludeClipRect, Box(x, y, x + 5, y + 5))
                .Record(Rectangle, Box(0, 0, 1, 1));
        }
        return records.Placeable(0, 0, 200, 200);
    };
    const TPlayback same = Play(exclusions(false), UnlimitedWork);
    const TPlayback growing = Play(exclusions(true), UnlimitedWork);
    EXPECT_GT(growing.workDone, 10 * same.workDone);

    const TPlayback ended = Play(exclusions(true), 10 * same.workDone);
    EXPECT_TRUE(ended.budgetSpent);
    EXPECT_LE(ended.workDone, 10 * same.workDone);
}

TEST(MetafilePlayerBudget, ObjectsBeyondTheSixteenBitHandleRangeAreIgnored)
{
    // EMF: slots named far apart; the slot below the range works, the one beyond it does not.
    QByteArray emf;
    for (qint32 slot = 1; slot < 4'000'000; slot += 37)
        AppendEmf(emf, {39, 24, slot, 0, 0x000000FF, 0}); // red brushes
    AppendEmf(emf, {39, 24, 65535, 0, 0x00FF0000, 0});    // blue, in range
    AppendEmf(emf, {39, 24, 65536, 0, 0x0000FF00, 0});    // green, beyond
    AppendEmf(emf, {37, 12, int(0x80000008)});            // the null pen
    AppendEmf(emf, {37, 12, 65535});
    AppendEmf(emf, {43, 24, 0, 0, 5, 10});
    AppendEmf(emf, {37, 12, 65536});
    AppendEmf(emf, {43, 24, 5, 0, 10, 10});
    const TPlayback named = Play(EmfFile(10, emf)); // 10 mm: 38 pixels
    EXPECT_LE(named.objects, MaxObjectSlots);
    EXPECT_EQ(named.image.pixel(9, 19), qRgb(0, 0, 255));
    EXPECT_EQ(named.image.pixel(28, 19), qRgb(0, 0, 255)) << "the brush stays blue";

    // WMF: the lowest free slot, until the table is full.
    TWmfBuilder records;
    for (int i = 0; i < 70'000; ++i)
        records.Record(CreateBrush, SolidBrush(255, 0, 0));
    EXPECT_EQ(Play(records.Placeable(0, 0, 10, 10)).objects, MaxObjectSlots);
}

TEST(MetafilePlayerBudget, APolygonBeyondThePathLimitIsSkippedBeforeItIsRead)
{
    // POLYGON16 records of MaxPathElements points and one more, all at the origin; a square
    // after them is drawn, the budget untouched by the refused one.
    auto polygon = [](qint64 points) {
        QByteArray emf;
        AppendEmf(emf, {39, 24, 1, 0, 0x000000FF, 0});
        AppendEmf(emf, {37, 12, 1});
        AppendEmf(emf, {86, qint32(28 + 4 * points), 0, 0, 10, 10, qint32(points)});
        emf += QByteArray(4 * points, '\0');
        AppendEmf(emf, {43, 24, 0, 0, 10, 10});
        return Play(EmfFile(10, emf));
    };
    const TPlayback refused = polygon(MaxPathElements + 1);
    EXPECT_FALSE(refused.budgetSpent);
    EXPECT_EQ(refused.image.pixel(19, 19), qRgb(255, 0, 0));
    EXPECT_LT(refused.workDone, polygon(MaxPathElements).workDone);
}

TEST(MetafilePlayerBudget, PatternImagesStayWithinTheirBudget)
{
    // 1-bit DIB patterns of 4096 × 4096 pixels (2 MB each, 64 MB drawn as 32-bit pixels),
    // red and blue; those beyond the pattern budget leave their brush its plain colour (white).
    constexpr int Side = 4096;
    QByteArray dib;
    AppendEmf(dib, {40, Side, Side, 1 | 1 << 16, 0, 0, 0, 0, 2, 0, 0x00FF0000, 0x000000FF});
    dib += QByteArray(Side / 8 * Side, '\x55');
    const qint32 patterns = MetafilePatternBytes / (4LL * Side * Side) + 2;
    QByteArray emf;
    for (qint32 slot = 1; slot <= patterns; ++slot) {
        // CREATEDIBPATTERNBRUSHPT: slot, usage, info at 32 (48 bytes), bits after it.
        AppendEmf(emf, {94, qint32(32 + dib.size()), slot, 0, 32, 48, 80, Side / 8 * Side});
        emf += dib;
    }
    AppendEmf(emf, {37, 12, int(0x80000008)});
    AppendEmf(emf, {37, 12, 1});
    AppendEmf(emf, {43, 24, 0, 0, 5, 10});
    AppendEmf(emf, {37, 12, patterns});
    AppendEmf(emf, {43, 24, 5, 0, 10, 10});
    const TPlayback playback = Play(EmfFile(10, emf)); // 10 mm: 38 pixels
    EXPECT_GT(playback.patternBytes, 0);
    EXPECT_LE(playback.patternBytes, MetafilePatternBytes);
    const QRgb patterned = playback.image.pixel(9, 19); // red and blue, resampled
    EXPECT_GT(qRed(patterned) + qBlue(patterned), 200);
    EXPECT_LT(qGreen(patterned), 50);
    EXPECT_EQ(playback.image.pixel(28, 19), qRgb(255, 255, 255));
}
