// The command-line jobs end to end: the built program makes puzzle executables from real files
// and exports their pieces; bad arguments and bad input fail cleanly and write nothing.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/MemoryBudget.h"
#include "engine/picture/Resampling.h"
#include "support/JpegBytes.h"
#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QtEndian>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{

struct TRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class CommandLine : public TTemporaryFolderTest
{
protected:
    void SetUp() override
    {
        TTemporaryFolderTest::SetUp();
        WriteJpeg("picture.jpg", 700, 500, 0);
        WriteJpeg("other.jpg", 300, 200, 1);
    }

    // Runs the program in the test's folder, so relative paths are resolved there.
    TRun Run(const QStringList &arguments,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
             const QString &program = TESSALUNE_EXE) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }

    void WriteJpeg(const QString &name, int width, int height, int pattern) const
    {
        QImage picture(width, height, QImage::Format_RGB888);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.setPixel(x, y,
                                 pattern == 0 ? qRgb(x % 256, y % 256, 255)
                                              : qRgb(255 - x % 256, 40, y % 256));
        WriteFile(name, JpegBytesOf(picture));
    }

    // Lossless where the format allows (quality 100 makes WebP lossless).
    void WriteImage(const QString &name, const QImage &image, const char *format) const
    {
        QImageWriter writer(PathOf(name), format);
        writer.setQuality(100);
        ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    }

    void WriteFile(const QString &name, const QByteArray &bytes) const
    {
        ASSERT_TRUE(WriteBytes(PathOf(name), bytes));
    }

    QByteArray ReadFile(const QString &name) const { return ReadBytes(PathOf(name)); }
};

QByteArray Section(const QByteArray &image, const char *name)
{
    ExeImage() = image;
    return ReadSection(name);
}

qsizetype SectionStart(const QByteArray &image, const char *name)
{
    return image.indexOf(QByteArray("SO!#") + name + '\xB6');
}

std::unique_ptr<TKeyedNode> Document(const QByteArray &image)
{
    auto document = std::make_unique<TKeyedNode>();
    document->LoadFromText(Section(image, "PIG_TXT"));
    return document;
}

QImage SourcePicture(const QByteArray &image)
{
    return DecodedJpeg(Section(image, "SRC_IMG"));
}

// A picture whose quarters are red, green, blue and white from the top left, clockwise, and
// a check that a bitmap shows them so, within JPEG's error.
QImage Quarters(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    const int w = width / 2;
    const int h = height / 2;
    QPainter painter(&image);
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, width - w, h, Qt::green);
    painter.fillRect(w, h, width - w, height - h, Qt::blue);
    painter.fillRect(0, h, w, height - h, Qt::white);
    return image;
}

void ExpectQuarters(const QImage &bitmap, std::array<QRgb, 4> clockwiseFromTopLeft)
{
    const int x[] = {bitmap.width() / 4, bitmap.width() * 3 / 4, bitmap.width() * 3 / 4,
                     bitmap.width() / 4};
    const int y[] = {bitmap.height() / 4, bitmap.height() / 4, bitmap.height() * 3 / 4,
                     bitmap.height() * 3 / 4};
    for (int i = 0; i < 4; ++i) {
        const QRgb seen = bitmap.pixel(x[i], y[i]);
        const QRgb wanted = clockwiseFromTopLeft[std::size_t(i)];
        EXPECT_NEAR(qRed(seen), qRed(wanted), 12) << "quarter " << i;
        EXPECT_NEAR(qGreen(seen), qGreen(wanted), 12) << "quarter " << i;
        EXPECT_NEAR(qBlue(seen), qBlue(wanted), 12) << "quarter " << i;
    }
}

void ExpectFailure(const TRun &run, int exitCode)
{
    EXPECT_EQ(run.exitCode, exitCode) << run.err.constData();
    EXPECT_TRUE(run.err.startsWith("tessalune: ")) << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty());
}

} // namespace

TEST_F(CommandLine, HelpAndVersion)
{
    const TRun help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--make PICTURE OUTPUT"));
    EXPECT_TRUE(help.out.contains("--export-pieces PUZZLE DIR"));
    const TRun version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("tessalune ")) << version.out.constData();
}

TEST_F(CommandLine, MakesAPuzzleExecutableAsTheMakerDoes)
{
    const TRun run = Run({"--make", "picture.jpg", "made.exe", "--cols", "9", "--rows=8", "--name",
                          "  My puzzle \t", "--author", "Ann", "--website", "http://example.org",
                          "--no-borders"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(QFileInfo(PathOf("made.exe")).isExecutable());

    const QByteArray made = ReadFile("made.exe");
    const QByteArray programBytes = ReadBytes(TESSALUNE_EXE);
    ASSERT_FALSE(programBytes.isEmpty());
    EXPECT_TRUE(made.startsWith(programBytes)) << "a copy of the program with the payload after it";
    EXPECT_EQ(SectionStart(made, "IS_PUZZLE"), programBytes.size());
    EXPECT_LT(SectionStart(made, "IS_PUZZLE"), SectionStart(made, "SRC_IMG"));
    EXPECT_LT(SectionStart(made, "SRC_IMG"), SectionStart(made, "PIG_TXT"));
    EXPECT_EQ(SectionStart(made, "PRM_IMG"), -1);

    EXPECT_EQ(Section(made, "IS_PUZZLE"), "Y");
    EXPECT_EQ(DecodedJpeg(Section(made, "SRC_IMG")).size(), QSize(700, 500));
    const auto document = Document(made);
    EXPECT_EQ(document->Name(), "PUZZLE_DATA");
    EXPECT_EQ(document->AttrNames(),
              (QList<QByteArray>{"PNAME", "AUTHOR", "WEBSITE", "COLS", "ROWS", "BRDRS"}));
    EXPECT_EQ(document->GetAttr("PNAME"), "My puzzle");
    EXPECT_EQ(document->GetAttr("WEBSITE"), "http://example.org");
    EXPECT_EQ(document->GetAttr("COLS"), "9");
    EXPECT_EQ(document->GetAttr("ROWS"), "8");
    EXPECT_EQ(document->GetAttr("BRDRS"), "N");
    EXPECT_EQ(document->FindChild("PIECES")->ChildCount(), 72);
}

TEST_F(CommandLine, TurnedPiecesAndPieceQualityWarningsThatRefuseNothing)
{
    const TRun fine = Run({"--make", "picture.jpg", "fine.exe"});
    ASSERT_EQ(fine.exitCode, 0);
    EXPECT_TRUE(fine.err.isEmpty()) << fine.err.constData();

    // 700 / 50 = 14 pixels across; 700 / 40 = 17 pieces keep them sharp.
    const TRun run =
        Run({"--make", "picture.jpg", "made.exe", "--cols", "50", "--rows", "3", "--turned"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.err.contains("warning: Pieces of 14 × 166 pixels will look blurry; up to 17 "
                                 "× 3 pieces stay sharp.\ntessalune: (--cols 17 --rows 3)"))
        << run.err.constData();
    const auto document = Document(ReadFile("made.exe"));
    EXPECT_EQ(document->FindChild("PIECES"), nullptr);
    const TKeyedNode *pieces = document->FindChild("TURNED_PIECES");
    ASSERT_NE(pieces, nullptr);
    ASSERT_EQ(pieces->ChildCount(), 150);
    for (int i = 0; i < pieces->ChildCount(); ++i)
        EXPECT_TRUE(QByteArray("0123").contains(pieces->Child(i)->GetAttr("TURN"))) << i;

    // Judged against a 1920 × 1080 screen: 700 × 500 in 3 × 3 gives pieces 166 high, fine;
    // a picture twice as large gives 333, too large.
    ASSERT_EQ(Run({"--make", "picture.jpg", "small.exe", "--cols", "3", "--rows", "3"}).err, "");
    WriteJpeg("large.jpg", 1400, 1000, 0);
    const TRun large = Run({"--make", "large.jpg", "large.exe", "--cols", "3", "--rows", "3"});
    ASSERT_EQ(large.exitCode, 0);
    EXPECT_TRUE(large.err.contains("too large for a 1920 × 1080 screen; at 40% of its size"))
        << large.err.constData();
    EXPECT_TRUE(large.err.contains("(--scale 40)"));
}

TEST_F(CommandLine, DefaultsAndTheAlternativePicture)
{
    const TRun run = Run({"--make", "--alternative", "other.jpg", "picture.jpg", "made.exe"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QByteArray made = ReadFile("made.exe");
    EXPECT_LT(SectionStart(made, "SRC_IMG"), SectionStart(made, "PRM_IMG"));
    EXPECT_LT(SectionStart(made, "PRM_IMG"), SectionStart(made, "PIG_TXT"));
    TJpegPicture alternative;
    alternative.SetData(Section(made, "PRM_IMG"));
    EXPECT_EQ(alternative.Width(), 300);
    const auto document = Document(made);
    EXPECT_EQ(document->AttrNames(), (QList<QByteArray>{"PNAME", "COLS", "ROWS", "USE_PRM"}));
    EXPECT_EQ(document->GetAttr("PNAME"), "Puzzle");
    EXPECT_EQ(document->GetAttr("COLS"), "7");
    EXPECT_EQ(document->GetAttr("ROWS"), "7");
    EXPECT_EQ(document->GetAttr("USE_PRM"), "Y");
}

TEST_F(CommandLine, ExportedPiecesHaveTheCutShapes)
{
    ASSERT_EQ(Run({"--make", "picture.jpg", "made.exe", "--cols", "8", "--rows", "7"}).exitCode, 0);
    const TRun run = Run({"--export-pieces", "made.exe", "pieces"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.contains("56 pieces"));

    // The same cut done here from the written payload.
    const QByteArray made = ReadFile("made.exe");
    const auto cut = CutPuzzle(SourcePicture(made), ReadPuzzleGame(*Document(made)));
    ASSERT_TRUE(cut);
    ASSERT_EQ(cut->pieces.size(), 56u);
    EXPECT_EQ(QDir(PathOf("pieces")).entryList(QDir::Files).size(), 56);
    for (const TCutPiece &piece : cut->pieces) {
        const QString name = QString("pieces/piece_r%1_c%2.png")
                                 .arg(piece.row, 2, 10, QChar('0'))
                                 .arg(piece.col, 2, 10, QChar('0'));
        const QImage exported(PathOf(name));
        ASSERT_FALSE(exported.isNull()) << name.toStdString();
        ASSERT_EQ(exported.convertToFormat(QImage::Format_ARGB32_Premultiplied), piece.image)
            << name.toStdString();
        EXPECT_EQ(qAlpha(exported.pixel(0, exported.height() - 1)), 0);
        const int m = cut->geometry.margin;
        EXPECT_EQ(qAlpha(exported.pixel(m + cut->geometry.cellWidth / 2,
                                        m + cut->geometry.cellHeight / 2)),
                  255);
    }
}

TEST_F(CommandLine, MakingFromAPuzzleReplacesItsPayload)
{
    ASSERT_EQ(Run({"--make", "picture.jpg", "first.exe"}).exitCode, 0);
    QProcess process;
    process.setWorkingDirectory(m_folder.path());
    process.start(PathOf("first.exe"), {"--make", "other.jpg", "second.exe", "--cols", "12"});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    const QByteArray second = ReadFile("second.exe");
    EXPECT_EQ(second.count(QByteArray("SO!#IS_PUZZLE")), 1);
    EXPECT_EQ(second.count(QByteArray("SO!#PIG_TXT")), 1);
    EXPECT_EQ(Document(second)->GetAttr("COLS"), "12");
    TJpegPicture source;
    source.SetData(Section(second, "SRC_IMG"));
    EXPECT_EQ(source.Width(), 300);
}

TEST_F(CommandLine, BadArgumentsWriteNothing)
{
    for (const QStringList &arguments : {QStringList{"--make"},
                                         {"--make", "picture.jpg"},
                                         {"--make", "picture.jpg", "a.exe", "b"},
                                         {"--make", "picture.jpg", "a.exe", "--cols", "2"},
                                         {"--make", "picture.jpg", "a.exe", "--rows", "101"},
                                         {"--make", "picture.jpg", "a.exe", "--cols", "nine"},
                                         {"--make", "picture.jpg", "a.exe", "--name"},
                                         {"--make", "picture.jpg", "a.exe", "--colour", "red"},
                                         {"--export-pieces", "x.exe"},
                                         {"--export-pieces", "x.exe", "dir", "--cols", "7"},
                                         {"--make", "picture.jpg", "a.exe", "--rotate", "left"},
                                         {"--make", "picture.jpg", "a.exe", "--rotate"},
                                         {"--make", "picture.jpg", "a.exe", "--scale", "9"},
                                         {"--make", "picture.jpg", "a.exe", "--scale=161"},
                                         {"--make", "picture.jpg", "a.exe", "--scale", "50%"},
                                         {"--frobnicate"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        ExpectFailure(Run(arguments), 2);
    }
    EXPECT_FALSE(QFile::exists(PathOf("a.exe")));
}

TEST_F(CommandLine, BadPicturesLeaveTheOutputAsItWas)
{
    WriteFile("made.exe", "old contents");
    const QByteArray picture = ReadFile("picture.jpg");
    WriteFile("truncated_half.jpg", picture.left(picture.size() / 2));
    WriteFile("not_a_jpeg.jpg", "plain text");
    WriteFile("jpeg_with_png_extension.png", picture);
    for (const char *bad :
         {"missing.jpg", "truncated_half.jpg", "not_a_jpeg.jpg", "jpeg_with_png_extension.png"}) {
        SCOPED_TRACE(bad);
        ExpectFailure(Run({"--make", bad, "made.exe"}), 1);
        ExpectFailure(Run({"--make", "picture.jpg", "made.exe", "--alternative", bad}), 1);
    }
    // What the player would refuse, or could not read back, is not written either.
    ASSERT_TRUE(QFile::copy(QString(TESSALUNE_FIXTURES) + "/two_frames_first_half_transparent.gif",
                            PathOf("four_by_two.gif")));
    ExpectFailure(Run({"--make", "four_by_two.gif", "made.exe"}), 1);
    ExpectFailure(Run({"--make", "picture.jpg", "made.exe", "--name", "EO!#PIG_TXT"}), 1);
    // The names of the copies a saving game makes: a puzzle under them would be deleted.
    for (const char *reserved : {"tmp.exe", "TEMP0A0.exe"}) {
        ExpectFailure(Run({"--make", "picture.jpg", reserved}), 1);
        EXPECT_FALSE(QFile::exists(PathOf(reserved)));
    }
    EXPECT_EQ(ReadFile("made.exe"), "old contents");
    ExpectFailure(Run({"--make", "picture.jpg", "no/such/folder/made.exe"}), 1);
    ExpectFailure(Run({"--make", "picture.jpg", "."}), 1);
    // A FIFO (as a device) would be replaced by a regular file, not written to.
    ASSERT_EQ(::mkfifo(QFile::encodeName(PathOf("pipe.exe")).constData(), 0600), 0);
    const TRun pipe = Run({"--make", "picture.jpg", "pipe.exe"});
    ExpectFailure(pipe, 1);
    EXPECT_TRUE(pipe.err.contains("is not a regular file")) << pipe.err.constData();
    EXPECT_TRUE(QFileInfo(PathOf("pipe.exe")).exists());
    EXPECT_FALSE(QFileInfo(PathOf("pipe.exe")).isFile());
}

TEST_F(CommandLine, RefusedPicturesSayWhyAndWhichPicture)
{
    const QByteArray picture = ReadFile("picture.jpg");
    WriteFile("truncated_half.jpg", picture.left(picture.size() / 2));
    const TRun truncated = Run({"--make", "truncated_half.jpg", "made.exe"});
    ExpectFailure(truncated, 1);
    EXPECT_TRUE(
        truncated.err.contains("The picture file is damaged: it ends before its pixels do."))
        << truncated.err.constData();
    // A bitmap header declaring 20000 × 20000 pixels.
    QByteArray huge = ReadBytes(FixturePath("bitfields_24bit.bmp"));
    qToLittleEndian<qint32>(20000, huge.data() + 18);
    qToLittleEndian<qint32>(20000, huge.data() + 22);
    WriteFile("huge.bmp", huge);
    const TRun large = Run({"--make", "picture.jpg", "made.exe", "--alternative", "huge.bmp"});
    ExpectFailure(large, 1);
    EXPECT_TRUE(large.err.contains("The alternative picture is too large"))
        << large.err.constData();
}

TEST_F(CommandLine, BadPuzzlesExportNothing)
{
    const QByteArray programBytes = ReadBytes(TESSALUNE_EXE);
    ASSERT_FALSE(programBytes.isEmpty());
    auto puzzle = [&](const QByteArray &isPuzzle, const QByteArray &picture,
                      const QByteArray &document) {
        QByteArray image = programBytes;
        AppendSection("IS_PUZZLE", isPuzzle, image);
        AppendSection("SRC_IMG", picture, image);
        AppendSection("PIG_TXT", document, image);
        return image;
    };
    const QByteArray jpeg = ReadFile("picture.jpg");
    const QByteArray fine =
        "<PUZZLE_DATA COLS=\"7\" ROWS=\"7\"><PIECES><PIECE/></PIECES></PUZZLE_DATA>";
    WriteFile("lower_case_y.exe", puzzle("y", jpeg, fine));
    WriteFile("broken_document.exe", puzzle("Y", jpeg, "<PUZZLE_DATA COLS=\"7\""));
    WriteFile("truncated_picture.exe", puzzle("Y", jpeg.left(jpeg.size() / 2), fine));
    WriteFile("grid_of_101.exe",
              puzzle("Y", jpeg, "<PUZZLE_DATA COLS=\"101\" ROWS=\"7\"></PUZZLE_DATA>"));
    WriteFile("empty.exe", "");
    ASSERT_TRUE(QFile::copy(TESSALUNE_EXE, PathOf("program")));
    for (const char *bad :
         {"lower_case_y.exe", "broken_document.exe", "truncated_picture.exe", "grid_of_101.exe",
          "empty.exe", "missing.exe", "picture.jpg", "program"}) {
        SCOPED_TRACE(bad);
        ExpectFailure(Run({"--export-pieces", bad, "pieces"}), 1);
        EXPECT_FALSE(QFileInfo::exists(PathOf("pieces")));
    }
    ExpectFailure(Run({"--export-pieces", "lower_case_y.exe", "picture.jpg"}), 1);

    // A puzzle with nothing to play is refused with the reason, not exported as "0 pieces".
    const QList<QPair<QByteArray, QByteArray>> unplayable = {
        {"", "has no document"},
        {"  \r\n", "cannot be read"},
        {"<PUZZLE_DATA COLS=\"7\" ROWS=\"7\"/>", "has no pieces"},
        {"<PUZZLE_DATA COLS=\"7\" ROWS=\"7\"><PIECES><OTHER/></PIECES></PUZZLE_DATA>",
         "has no pieces"},
    };
    for (const auto &[document, reason] : unplayable) {
        WriteFile("no_pieces.exe", puzzle("Y", jpeg, document));
        const TRun run = Run({"--export-pieces", "no_pieces.exe", "pieces"});
        ExpectFailure(run, 1);
        EXPECT_TRUE(run.err.contains(reason)) << run.err.constData();
    }
    WriteFile("no_picture.exe", puzzle("Y", "", fine));
    const TRun noPicture = Run({"--export-pieces", "no_picture.exe", "pieces"});
    ExpectFailure(noPicture, 1);
    EXPECT_TRUE(noPicture.err.contains("has no picture")) << noPicture.err.constData();
    EXPECT_FALSE(QFileInfo::exists(PathOf("pieces")));
}

// A path that is not valid text is refused with its bytes, not read or written under the
// other name its text would give.
TEST_F(CommandLine, PathsThatAreNotTextAreRefusedWithTheirBytes)
{
    // The shell passes bytes that a QString argument could not carry; the program is its "$0".
    const QString script = R"sh(exec "$0" --export-pieces "$(printf 'caf\351\134.exe')" pieces)sh";
    const TRun run =
        Run({"-c", script, TESSALUNE_EXE}, QProcessEnvironment::systemEnvironment(), "/bin/sh");
    ExpectFailure(run, 2);
    EXPECT_TRUE(run.err.contains(R"("caf\xE9\x5C.exe" is not valid text)")) << run.err.constData();
    EXPECT_FALSE(QFileInfo::exists(PathOf("pieces")));
    // A puzzle file given to the program to play.
    const TRun open = Run({"-c", R"sh(exec "$0" "$(printf 'caf\351.exe')")sh", TESSALUNE_EXE},
                          QProcessEnvironment::systemEnvironment(), "/bin/sh");
    ExpectFailure(open, 2);
    EXPECT_TRUE(open.err.contains(R"("caf\xE9.exe" is not valid text)")) << open.err.constData();
}

// A puzzle file larger than the memory budget is refused before it is read.
TEST_F(CommandLine, PuzzleFilesAboveTheMemoryBudgetAreRefused)
{
    QFile huge(PathOf("huge.exe"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(MemoryBudget + 1)); // sparse
    huge.close();
    const TRun run = Run({"--export-pieces", "huge.exe", "pieces"});
    ExpectFailure(run, 1);
    EXPECT_TRUE(run.err.contains("more than the 1024 MiB the program may take"))
        << run.err.constData();
}

// A document of a million records, far beyond any grid, is refused from its size before it is
// read, instead of taking memory for every record.
TEST_F(CommandLine, AMillionPieceRecordsAreRefused)
{
    QByteArray document = "<PUZZLE_DATA COLS=\"7\" ROWS=\"7\"><PIECES>";
    for (int i = 0; i < 1000000; ++i)
        document += "<PIECE PLEFT=\"1\"/>";
    document += "</PIECES></PUZZLE_DATA>";
    QByteArray image = ReadBytes(TESSALUNE_EXE);
    ASSERT_FALSE(image.isEmpty());
    AppendSection("IS_PUZZLE", "Y", image);
    AppendSection("SRC_IMG", ReadFile("picture.jpg"), image);
    AppendSection("PIG_TXT", document, image);
    WriteFile("million.exe", image);
    const TRun run = Run({"--export-pieces", "million.exe", "pieces"});
    ExpectFailure(run, 1);
    EXPECT_TRUE(run.err.contains("larger than 10 MiB")) << run.err.constData();
    EXPECT_FALSE(QFileInfo::exists(PathOf("pieces")));
}

// A cut that would take more memory than the budget is refused from the picture's header,
// before the picture is decoded.
TEST_F(CommandLine, CutsAboveTheMemoryBudgetAreRefused)
{
    QByteArray huge = ReadFile("picture.jpg");
    const qsizetype sof = huge.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (int offset : {5, 7}) { // 9000 × 9000 pixels
        huge[sof + offset] = static_cast<char>(9000 >> 8);
        huge[sof + offset + 1] = static_cast<char>(9000 & 255);
    }
    QByteArray image = ReadBytes(TESSALUNE_EXE);
    ASSERT_FALSE(image.isEmpty());
    AppendSection("IS_PUZZLE", "Y", image);
    AppendSection("SRC_IMG", huge, image);
    AppendSection("PIG_TXT",
                  "<PUZZLE_DATA COLS=\"100\" ROWS=\"100\"><PIECES><PIECE/></PIECES></PUZZLE_DATA>",
                  image);
    WriteFile("huge.exe", image);
    const TRun run = Run({"--export-pieces", "huge.exe", "pieces"});
    ExpectFailure(run, 1);
    EXPECT_TRUE(run.err.contains("MiB")) << run.err.constData();
    EXPECT_FALSE(QFileInfo::exists(PathOf("pieces")));
}

TEST_F(CommandLine, EveryLoadableTypeMakesAPuzzle)
{
    const QImage picture = Quarters(300, 200);
    WriteImage("picture.png", picture, "PNG");
    WriteImage("picture.bmp", picture, "BMP");
    WriteImage("picture.dib", picture, "BMP");
    WriteImage("picture.webp", picture, "WEBP");
    const QString fixtures = TESSALUNE_FIXTURES;
    ASSERT_TRUE(QFile::copy(fixtures + "/gradient_120x80.gif", PathOf("a.gif")));
    ASSERT_TRUE(QFile::copy(fixtures + "/icon_largest_deepest_is_red.ico", PathOf("a.ico")));
    ASSERT_TRUE(QFile::copy(fixtures + "/metafiles/shapes.wmf", PathOf("a.wmf")));
    ASSERT_TRUE(QFile::copy(fixtures + "/metafiles/gnuplot_sine.emf", PathOf("a.emf")));
    const struct {
        const char *file;
        QSize size;
    } cases[] = {{"picture.png", {300, 200}}, {"picture.bmp", {300, 200}},
                 {"picture.dib", {300, 200}}, {"picture.webp", {300, 200}},
                 {"a.gif", {120, 80}},        {"a.ico", {32, 32}},
                 {"a.wmf", {281, 181}},       {"a.emf", {319, 239}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const TRun run = Run({"--make", c.file, "made.exe", "--alternative", c.file});
        ASSERT_EQ(run.exitCode, 0) << run.err.constData();
        const QByteArray made = ReadFile("made.exe");
        const QImage source = SourcePicture(made);
        EXPECT_EQ(source.size(), c.size);
        if (c.size == picture.size())
            ExpectQuarters(
                source, {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)});
        EXPECT_EQ(DecodedJpeg(Section(made, "PRM_IMG")).size(), c.size);
    }
}

TEST_F(CommandLine, TurnsInOrderThenScalingMakeAPlayablePuzzle)
{
    WriteImage("photo.png", Quarters(700, 500), "PNG");
    const TRun run = Run({"--make", "photo.png", "out.exe", "--scale", "25", "--rotate", "cw"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QImage turned = SourcePicture(ReadFile("out.exe"));
    EXPECT_EQ(turned.size(), QSize(ScaledLength(500, 25), ScaledLength(700, 25)));
    // Clockwise, the white bottom-left quarter comes to the top left.
    ExpectQuarters(turned,
                   {qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)});
    const TRun played = Run({"--export-pieces", "out.exe", "pieces"});
    EXPECT_EQ(played.exitCode, 0) << played.err.constData();
    EXPECT_TRUE(played.out.contains("49 pieces"));

    // Turns are made in order: counter-clockwise twice is half a turn.
    ASSERT_EQ(
        Run({"--make", "photo.png", "half.exe", "--rotate=ccw", "--rotate", "ccw", "--scale=160"})
            .exitCode,
        0);
    const QImage half = SourcePicture(ReadFile("half.exe"));
    EXPECT_EQ(half.size(), QSize(1120, 800));
    ExpectQuarters(half, {qRgb(0, 0, 255), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 255, 0)});
}

TEST_F(CommandLine, APictureTooSmallOrTooLargeForItsScaleFails)
{
    WriteImage("tiny.png", Quarters(5, 5), "PNG");
    const TRun small = Run({"--make", "tiny.png", "made.exe", "--scale", "10"});
    ExpectFailure(small, 1);
    EXPECT_TRUE(small.err.contains("too small")) << small.err.constData();
    // Within the pixel limit, but not at 160 percent of its size.
    QImage large(7900, 7900, QImage::Format_Mono);
    large.fill(1);
    ASSERT_LE(7900LL * 7900, JpegPixelLimit);
    ASSERT_GT(std::int64_t(ScaledLength(7900, 160)) * ScaledLength(7900, 160), JpegPixelLimit);
    WriteImage("large.png", large, "PNG");
    const TRun big = Run({"--make", "large.png", "made.exe", "--scale", "160"});
    ExpectFailure(big, 1);
    EXPECT_TRUE(big.err.contains("too large")) << big.err.constData();
    EXPECT_FALSE(QFile::exists(PathOf("made.exe")));
}

TEST_F(CommandLine, JobsShowNoWindowWhateverPlatformIsAsked)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    const TRun run = Run({"--make", "picture.jpg", "made.exe"}, environment);
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(QFileInfo(PathOf("made.exe")).isFile());
}
