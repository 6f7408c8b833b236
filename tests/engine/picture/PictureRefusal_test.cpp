// Refusals: every cause its own plain message, and a file cut short refused as such in every
// type (one whose chunk declares more than the file holds among them), while a cut-off
// metafile that drew something shows it.
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/JpegPicture.h"
#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QtEndian>
#include <gtest/gtest.h>
#include <set>

namespace
{

class PictureRefusals : public TTemporaryFolderTest
{
protected:
    QString Write(const QString &name, const QByteArray &bytes) const
    {
        const QString path = PathOf(name);
        EXPECT_TRUE(WriteBytes(path, bytes)) << path.toStdString();
        return path;
    }

    static QByteArray Encoded(const char *format)
    {
        QImage image(40, 30, QImage::Format_RGB888);
        image.fill(QColor(30, 90, 200));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(QImageWriter(&buffer, format).write(image)) << format;
        return bytes;
    }

    // A file its owner cannot read; the superuser reads every ordinary file, but not a kernel
    // setting that is written only.
    QString Unreadable() const
    {
        const QString path = Write("locked.png", Encoded("PNG"));
        QFile::setPermissions(path, QFileDevice::Permissions());
        return QFile(path).open(QIODevice::ReadOnly) ? QStringLiteral("/proc/sys/vm/compact_memory")
                                                     : path;
    }

    // The PNG with a text chunk after its header that declares 2 GB and holds a few bytes:
    // decoders that trust the length allocate it before they find the file ends.
    static QByteArray DeclaringTwoGigabytes(const QByteArray &png)
    {
        constexpr int SignatureAndHeaderBytes = 8 + 25;
        QByteArray declaring = png.left(SignatureAndHeaderBytes);
        char length[4];
        qToBigEndian<quint32>(0x7E000000, length);
        return declaring.append(length, 4).append("tEXtkey");
    }

    // An icon file whose one image is this PNG.
    static QByteArray IconHolding(const QByteArray &png)
    {
        QByteArray icon(6 + 16, '\0');
        qToLittleEndian<quint16>(1, icon.data() + 2); // type: icon
        qToLittleEndian<quint16>(1, icon.data() + 4); // one image
        qToLittleEndian<quint32>(static_cast<quint32>(png.size()), icon.data() + 6 + 8);
        qToLittleEndian<quint32>(6 + 16, icon.data() + 6 + 12);
        return icon + png;
    }

    std::optional<TPictureRefusal> RefusalOf(const QString &path,
                                             std::int64_t memoryLeft = MemoryBudget) const
    {
        const TLoadedGraphic loaded = LoadGraphic(path, memoryLeft);
        EXPECT_EQ(loaded.bitmap.isNull(), loaded.refusal.has_value()) << path.toStdString();
        return loaded.refusal;
    }
};

} // namespace

TEST_F(PictureRefusals, EveryCauseHasItsOwnMessage)
{
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("folder.jpg"));
    QByteArray damaged = Encoded("PNG");
    damaged[damaged.indexOf("IDAT") + 8] ^= 0x5A; // inside the pixel data; the file is whole
    QByteArray huge = ReadBytes(FixturePath("bitfields_24bit.bmp"));
    qToLittleEndian<qint32>(20000, huge.data() + 18);
    qToLittleEndian<qint32>(20000, huge.data() + 22);
    const struct {
        QString path;
        TRefusalCause cause;
        std::int64_t memoryLeft;
    } cases[] = {
        {PathOf("missing.jpg"), TRefusalCause::NotFound, MemoryBudget},
        {PathOf("folder.jpg"), TRefusalCause::Folder, MemoryBudget},
        {Unreadable(), TRefusalCause::NoPermission, MemoryBudget},
        {Write("empty.bmp", {}), TRefusalCause::Empty, MemoryBudget},
        {Write("picture.tif", Encoded("PNG")), TRefusalCause::UnknownType, MemoryBudget},
        {FixturePath("png_with_jpg_extension.jpg"), TRefusalCause::WrongType, MemoryBudget},
        {FixturePath("truncated_half.jpg"), TRefusalCause::Truncated, MemoryBudget},
        {Write("damaged.png", damaged), TRefusalCause::Damaged, MemoryBudget},
        {Write("huge.bmp", huge), TRefusalCause::TooManyPixels, MemoryBudget},
        {Write("p.png", Encoded("PNG")), TRefusalCause::OverMemoryBudget, 1000},
    };
    std::set<QString> messages;
    for (const auto &c : cases) {
        const auto refusal = RefusalOf(c.path, c.memoryLeft);
        ASSERT_TRUE(refusal) << c.path.toStdString();
        EXPECT_EQ(refusal->cause, c.cause) << c.path.toStdString();
        messages.insert(RefusalMessage(*refusal));
    }
    EXPECT_EQ(messages.size(), std::size(cases));
    EXPECT_EQ(RefusalMessage(TRefusalCause::Truncated),
              QStringLiteral("The picture file is damaged: it ends before its pixels do."));
    const QString tooMany = RefusalMessage(*RefusalOf(cases[8].path), "The source picture");
    EXPECT_TRUE(tooMany.startsWith("The source picture is too large")) << tooMany.toStdString();
    EXPECT_TRUE(tooMany.contains(QString::number(JpegPixelLimit))) << tooMany.toStdString();
}

TEST_F(PictureRefusals, AFileCutShortIsRefusedAsSuchInEveryType)
{
    const QByteArray bmp = Encoded("BMP"), png = Encoded("PNG"), webp = Encoded("WEBP"),
                     ico = Encoded("ICO");
    const QByteArray gif = ReadBytes(FixturePath("gradient_120x80.gif"));
    const QByteArray jpg = ReadBytes(FixturePath("moonlit_hills_280x210.jpg"));
    const QByteArray wmf = ReadBytes(FixturePath("metafiles/shapes.wmf"));
    const QByteArray emf = ReadBytes(FixturePath("metafiles/shapes.emf"));
    auto half = [](const QByteArray &bytes) { return bytes.left(bytes.size() / 2); };
    const struct {
        const char *name;
        QByteArray whole;
        QByteArray cut;
    } files[] = {
        {"p.bmp", bmp, half(bmp)},
        {"p.gif", gif, half(gif)},
        {"p.png", png, half(png)},
        {"p.webp", webp, half(webp)},
        {"p.ico", ico, half(ico)},
        {"declares_2gb.png", png, DeclaringTwoGigabytes(png)},
        {"declares_2gb.ico", IconHolding(png), IconHolding(DeclaringTwoGigabytes(png))},
        {"p.jpg", jpg, half(jpg)},
        {"p.wmf", wmf, half(wmf)},
        {"headers.wmf", wmf, wmf.left(40)}, // the placeable and the plain header only
        // Its records end before its first shape.
        {"p.emf", emf, emf.left(452)},
    };
    for (const auto &file : files) {
        SCOPED_TRACE(file.name);
        ASSERT_FALSE(RefusalOf(Write(file.name, file.whole)));
        const auto refusal = RefusalOf(Write(file.name, file.cut));
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->cause, TRefusalCause::Truncated);
    }
    // Half of an EMF whose first half draws shapes shows them.
    EXPECT_FALSE(RefusalOf(Write("half.emf", half(emf))));
}
