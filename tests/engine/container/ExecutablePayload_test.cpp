// Payload sections on the executable image, the image written to files, the stream helpers
// and the start-up step's decisions, run inside the test process.
#include "engine/container/ExecutablePayload.h"
#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{

// Markers spelt out byte by byte, apart from the name, so this program's own bytes (which
// LoadExeImage reads) hold no complete marker.
QByteArray Start(const QByteArray &upperName)
{
    return QByteArray("\x53\x4F\x21\x23") + upperName + QByteArray(1, '\xB6');
}

QByteArray End(const QByteArray &upperName)
{
    return QByteArray("\x45\x4F\x21\x23") + upperName;
}

QByteArray Section(const QByteArray &upperName, const QByteArray &data)
{
    return Start(upperName) + data + End(upperName);
}

// Every test starts with an empty image and the working folder as it found it.
class ExeImageTest : public TTemporaryFolderTest
{
protected:
    void SetUp() override
    {
        TTemporaryFolderTest::SetUp();
        ExeImage().clear();
    }
    void TearDown() override
    {
        ExeImage().clear();
        TTemporaryFolderTest::TearDown();
    }

    const QByteArray m_base = QByteArray("program bytes \0 with a zero", 27);
};

using Sections = ExeImageTest;

TEST_F(Sections, AddedSectionFollowsTheProgramsOwnBytesAndReadsCaseInsensitively)
{
    AddSection("A", "x");
    const QString written = PathOf(QStringLiteral("puzzle.exe"));
    SaveExeAs(written);

    const QByteArray own = ReadBytes(QCoreApplication::applicationFilePath());
    ASSERT_FALSE(own.isEmpty());
    EXPECT_EQ(ReadBytes(written), own + Start("A") + "x" + End("A"));
    EXPECT_EQ(ReadSection("a"), "x");
}

TEST_F(Sections, NamesAreUpperCasedInAsciiOnly)
{
    QByteArray image = m_base;
    AppendSection("pig_txt\xe4", "doc", image);
    EXPECT_EQ(image, m_base + Section("PIG_TXT\xe4", "doc"))
        << "bytes above 0x7F are not letters to change";
    ExeImage() = image;
    EXPECT_EQ(ReadSection("Pig_Txt\xe4"), "doc");
    EXPECT_TRUE(ReadSection("PIG_TXT\xc4").isEmpty());
}

TEST_F(Sections, DataIsBinaryAndEndsAtTheFirstEndMarker)
{
    const QByteArray binary("\x00\xB6\xFF\x80so!#A\xB6", 10);
    ExeImage() = m_base + Section("A", binary);
    EXPECT_EQ(ReadSection("A"), binary);

    ExeImage() = m_base + Section("A", "abc" + End("A") + "def");
    EXPECT_EQ(ReadSection("A"), "abc");
}

TEST_F(Sections, MissingOrMisplacedMarkersReadEmpty)
{
    ExeImage() = m_base + Start("A") + "data";
    EXPECT_TRUE(ReadSection("A").isEmpty()) << "no end marker";

    ExeImage() = m_base + End("A") + Section("A", "data");
    EXPECT_TRUE(ReadSection("A").isEmpty()) << "first end marker before the data";

    ExeImage() = m_base + Section("A", "data");
    EXPECT_TRUE(ReadSection("B").isEmpty());
    EXPECT_TRUE(ReadSection("AB").isEmpty()) << "a longer name is another section";
    EXPECT_EQ(ReadSection("A"), "data");
}

TEST_F(Sections, ReadingLoadsTheImageOnlyWhenEmpty)
{
    EXPECT_TRUE(ReadSection("NO_SUCH_SECTION").isEmpty());
    EXPECT_EQ(ExeImage(), ReadBytes(QCoreApplication::applicationFilePath()));

    ExeImage() = m_base + Section("A", "in memory");
    EXPECT_EQ(ReadSection("A"), "in memory");
}

TEST_F(Sections, TwoSectionsOfOneName)
{
    ExeImage() = m_base;
    AddSection("A", "first");
    AddSection("A", "second");
    AddSection("B", "other");
    EXPECT_EQ(ReadSection("A"), "first");

    ReplaceSection("A", "new");
    EXPECT_EQ(ExeImage(),
              m_base + Section("A", "second") + Section("B", "other") + Section("A", "new"));
    EXPECT_EQ(ReadSection("A"), "second");
}

TEST_F(Sections, ReplaceOfAnAbsentNameOrAnUnreadImageChangesNothing)
{
    ReplaceSection("A", "data");
    EXPECT_TRUE(ExeImage().isEmpty()) << "the image is not read for a replacement";

    ExeImage() = m_base + Section("A", "data");
    ReplaceSection("B", "other");
    ReplaceSection("", "other");
    EXPECT_EQ(ExeImage(), m_base + Section("A", "data"));
}

TEST_F(Sections, DeleteRemovesMarkersAndDataOfThePresentSectionOnly)
{
    ExeImage() = m_base + Section("A", "a") + Section("B", "b");
    DeleteSection("C");
    EXPECT_EQ(ExeImage(), m_base + Section("A", "a") + Section("B", "b"));

    DeleteSection("a");
    EXPECT_EQ(ExeImage(), m_base + Section("B", "b"));
    EXPECT_TRUE(ReadSection("A").isEmpty());
}

TEST_F(Sections, RemoveNeedsBothMarkersInOrder)
{
    const QByteArray startOnly = m_base + Start("A") + "data";
    QByteArray image = startOnly;
    RemoveSection("A", image);
    EXPECT_EQ(image, startOnly);

    const QByteArray endFirst = m_base + End("A") + "middle" + Start("A") + "data";
    image = endFirst;
    RemoveSection("A", image);
    EXPECT_EQ(image, endFirst);
}

TEST_F(Sections, EmptyNameAddsNothing)
{
    AddSection("", "data");
    EXPECT_TRUE(ExeImage().isEmpty());
    QByteArray image = m_base;
    AppendSection("", "data", image);
    EXPECT_EQ(image, m_base);
}

using ImageFiles = ExeImageTest;

TEST_F(ImageFiles, EmptyImageWritesNothing)
{
    const QString path = PathOf(QStringLiteral("nothing.exe"));
    WriteImageToFile(QByteArray(), path);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ImageFiles, RelativeNameIsResolvedInTheProgramsFolder)
{
    QDir::setCurrent(m_folder.path());
    const QString name = QStringLiteral("exemod_relative_name_test.exe");
    const QString expected = QCoreApplication::applicationDirPath() + u'/' + name;
    WriteImageToFile("image", name);
    EXPECT_EQ(ReadBytes(expected), "image");
    EXPECT_FALSE(QFile::exists(PathOf(name)));
    QFile::remove(expected);
}

// The start-up step on a stand-in executable in a temporary folder. The relocation itself
// (which starts a copy of the program) and the replacement copy run in the process tests.
class StartupStep : public TTemporaryFolderTest
{
protected:
    void SetUp() override
    {
        TTemporaryFolderTest::SetUp();
        m_context.executablePath = PathOf(QStringLiteral("puzzle.exe"));
        m_context.relocationFlag = 'L';
        Touch(m_context.executablePath);
        Touch(ReplacementCopy());
    }

    static void Touch(const QString &path) { ASSERT_TRUE(WriteBytes(path, "bytes")); }
    QString ReplacementCopy() const { return PathOf(QStringLiteral("temp0a0.exe")); }
    void MakeReadOnly(const QString &path)
    {
        ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0555), 0);
    }

    StartupContext m_context;
};

TEST_F(StartupStep, WorkingFolderBecomesTheProgramsFolder)
{
    RunStartupStep(m_context);
    EXPECT_EQ(QDir::currentPath(), QDir(m_folder.path()).canonicalPath());
    EXPECT_TRUE(QFile::exists(ReplacementCopy())) << "nothing asked to delete it";
}

TEST_F(StartupStep, DeltempDeletesTheReplacementCopyAndThenFindsNoneToDelete)
{
    MakeReadOnly(ReplacementCopy());
    m_context.relocationFlag = 0; // matters only on read-only media
    m_context.parameters = QStringList{QStringLiteral("deltemp")};
    RunStartupStep(m_context);
    EXPECT_FALSE(QFile::exists(ReplacementCopy()));
    RunStartupStep(m_context); // returns although there is nothing to delete
}

TEST_F(StartupStep, DeltempOnlyExactlyAndFirst)
{
    for (const QStringList &parameters :
         {QStringList{QStringLiteral("DelTemp")}, QStringList{QStringLiteral("DELTEMP")},
          QStringList{QStringLiteral("x"), QStringLiteral("deltemp")}}) {
        m_context.parameters = parameters;
        RunStartupStep(m_context);
        EXPECT_TRUE(QFile::exists(ReplacementCopy())) << parameters.join(u' ').toStdString();
    }
}

TEST_F(StartupStep, ReadOnlyProgramThatCanBeMadeWritableRunsInPlace)
{
    MakeReadOnly(m_context.executablePath);
    m_context.parameters = QStringList{QStringLiteral("deltemp")};
    RunStartupStep(m_context);
    EXPECT_FALSE(Platform::IsReadOnly(m_context.executablePath));
    EXPECT_FALSE(QFile::exists(ReplacementCopy())) << "the later steps still run";
}

TEST_F(StartupStep, RelocationFlagZeroOnReadOnlyMediaEndsTheStep)
{
    MakeReadOnly(m_context.executablePath);
    m_context.relocationFlag = 0;
    m_context.parameters = QStringList{QStringLiteral("deltemp")};
    RunStartupStep(m_context);
    EXPECT_TRUE(Platform::IsReadOnly(m_context.executablePath)) << "not flipped";
    EXPECT_TRUE(QFile::exists(ReplacementCopy())) << "\"deltemp\" skipped";
    EXPECT_EQ(QDir::currentPath(), QDir(m_folder.path()).canonicalPath());
}

TEST(StartupContextOfThisProcess, ProgramParametersAndFlag)
{
    char program[] = "program";
    char first[] = "deltemp";
    char second[] = "\xc3\xa4";
    char *argv[] = {program, first, second, nullptr};
    const StartupContext context = CurrentStartupContext(3, argv);
    EXPECT_EQ(context.executablePath, QCoreApplication::applicationFilePath());
    EXPECT_EQ(context.parameters, (QStringList{QStringLiteral("deltemp"), QStringLiteral("ä")}));
    EXPECT_EQ(context.relocationFlag, 'L');
    char notText[] = "caf\xE9.exe";
    char *refused[] = {program, first, notText, nullptr};
    EXPECT_THROW(CurrentStartupContext(3, refused), std::runtime_error);
}

} // namespace
