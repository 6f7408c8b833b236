// The start-up step as separate processes: copies of the built program in a temporary folder
// carry out the self-replacement, the "deltemp" clean-up and the read-only relocation. Every
// process started here, directly or by the program, is ended when its test ends.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleSchema.h"
#include "support/ProcessSupport.h"
#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace
{

constexpr int Deadline = 30000;

QByteArray BuiltProgram()
{
    return ReadBytes(QStringLiteral(TESSALUNE_EXE));
}

TEST(BuiltProgram, HoldsNoCompleteMarkerOfASectionName)
{
    const QByteArray program = BuiltProgram();
    ASSERT_FALSE(program.isEmpty());
    for (const char *name : {PuzzleSchema::SectionIsPuzzle, PuzzleSchema::SectionSourceImage,
                             PuzzleSchema::SectionAlternativeImage, PuzzleSchema::SectionDocument,
                             PuzzleSchema::SectionFileName}) {
        const QByteArray start = QByteArray("\x53\x4F\x21\x23") + name + '\xB6';
        const QByteArray end = QByteArray("\x45\x4F\x21\x23") + name;
        EXPECT_FALSE(program.contains(start)) << name;
        EXPECT_FALSE(program.contains(end)) << name;

        // The markers looked for are the ones the program writes.
        QByteArray puzzle = program;
        AppendSection(name, "data", puzzle);
        EXPECT_TRUE(puzzle.endsWith(start + "data" + end)) << name;
    }
}

class ProgramCopies : public TTemporaryFolderTest
{
protected:
    // A copy of the built program; `extra` is appended as a section that marks this copy.
    QByteArray WriteProgram(const QString &path, const QByteArray &extra = QByteArray())
    {
        QByteArray image = BuiltProgram();
        AppendSection("TEST_MARK", extra, image);
        EXPECT_TRUE(WriteExecutable(path, image)) << path.toStdString();
        return image;
    }

    pid_t Run(const QString &program, const QStringList &arguments = {},
              const QString &errorFile = QString())
    {
        return m_children.Start(program, arguments, ProgramEnvironment(m_folder.path()), errorFile);
    }

    ChildProcesses m_children;
};

// The test plays the initiator: it writes the replacement copy with a new image beside the
// target and starts it with the target's path. The copy overwrites the target and restarts it
// with "deltemp"; the restarted target deletes "temp0a0.exe".
class SelfReplacement : public ProgramCopies
{
protected:
    void ReplaceTargetThrough(const QString &copyName)
    {
        WriteProgram(m_target, "old");
        const QByteArray newImage = WriteProgram(PathOf(copyName), "new");

        const pid_t copyProcess = Run(PathOf(copyName), {m_target});
        ASSERT_GT(copyProcess, 0);
        EXPECT_EQ(m_children.WaitForExit(copyProcess, Deadline), 0) << "the copy ends by itself";
        ASSERT_TRUE(QTest::qWaitFor([&] { return ReadBytes(m_target) == newImage; }, Deadline));
        EXPECT_TRUE(QFileInfo(m_target).isExecutable());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !m_children.Running(m_target).empty(); }, Deadline))
            << "the target is restarted";
    }

    const QString m_target = PathOf(QStringLiteral("puzzle.exe"));
};

TEST_F(SelfReplacement, CopyReplacesTheTargetWhichDeletesTheCopy)
{
    ReplaceTargetThrough(QStringLiteral("temp0a0.exe"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(PathOf("temp0a0.exe")); }, Deadline));
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("puzzle.exe")});
}

TEST_F(SelfReplacement, CopyNameInAnyLetterCaseIsTheReplacementCopy)
{
    // "deltemp" removes "temp0a0.exe" only, so a copy spelt otherwise stays behind on a
    // case-sensitive filesystem; the replacement itself must happen.
    ReplaceTargetThrough(QStringLiteral("Temp0A0.EXE"));
}

TEST_F(SelfReplacement, CopyWithoutATargetEndsWithoutWriting)
{
    const QString copy = PathOf(QStringLiteral("temp0a0.exe"));
    WriteProgram(copy);
    const QString errors = PathOf(QStringLiteral("stderr.txt"));
    const pid_t copyProcess = Run(copy, {}, errors);
    EXPECT_EQ(m_children.WaitForExit(copyProcess, Deadline), 0);
    EXPECT_TRUE(ReadBytes(errors).contains("No file to replace")) << ReadBytes(errors).data();
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(SelfReplacement, TargetThatCannotBeStartedIsReported)
{
    if (!TmpfsMount::Available())
        GTEST_SKIP() << "cannot mount a filesystem without execution here";
    TmpfsMount noExec(PathOf(QStringLiteral("noexec")));
    ASSERT_TRUE(noExec.IsMounted());
    ASSERT_TRUE(noExec.MakeNoExec());
    const QString unstartable = PathOf(QStringLiteral("noexec/puzzle.exe"));
    WriteProgram(unstartable, "old");
    const QByteArray newImage = WriteProgram(PathOf(QStringLiteral("temp0a0.exe")), "new");

    const QString errors = PathOf(QStringLiteral("stderr.txt"));
    const pid_t copyProcess = Run(PathOf(QStringLiteral("temp0a0.exe")), {unstartable}, errors);
    EXPECT_EQ(m_children.WaitForExit(copyProcess, Deadline), 0);
    EXPECT_EQ(ReadBytes(unstartable), newImage) << "the replacement itself is done";
    EXPECT_TRUE(ReadBytes(errors).contains("Cannot start")) << ReadBytes(errors).data();
}

using Deltemp = ProgramCopies;

TEST_F(Deltemp, DeletesTheCopyOnlyWhenSpeltExactly)
{
    const QString program = PathOf(QStringLiteral("puzzle.exe"));
    WriteProgram(program);
    const QString copy = PathOf(QStringLiteral("temp0a0.exe"));
    WriteProgram(copy);

    const pid_t wrongCase = Run(program, {QStringLiteral("DelTemp")});
    ASSERT_TRUE(m_children.WaitUntilApplicationBuilt(wrongCase, Deadline));
    EXPECT_TRUE(QFile::exists(copy));

    // The start-up step is over before the application object is built.
    const pid_t exact = Run(program, {QStringLiteral("deltemp")});
    ASSERT_TRUE(m_children.WaitUntilApplicationBuilt(exact, Deadline));
    EXPECT_FALSE(QFile::exists(copy));
}

// A tmpfs holding the program ("the medium"), made read-only after the program is put there.
class ReadOnlyMedia : public ProgramCopies
{
protected:
    void SetUp() override
    {
        ProgramCopies::SetUp();
        if (!TmpfsMount::Available())
            GTEST_SKIP() << "cannot mount a read-only filesystem here";
        m_mount = std::make_unique<TmpfsMount>(PathOf(QStringLiteral("media")));
        ASSERT_TRUE(m_mount->IsMounted());
        m_image = WriteProgram(m_program, "medium");
        ASSERT_TRUE(m_mount->MakeReadOnly());
    }

    const QString m_program = PathOf(QStringLiteral("media/puzzle.exe"));
    const QString m_relocated = PathOf(QStringLiteral("data/puzzle.exe/puzzle.exe"));
    QByteArray m_image;
    std::unique_ptr<TmpfsMount> m_mount;
};

TEST_F(ReadOnlyMedia, FirstStartCopiesToTheDataFolderStartsTheCopyAndEnds)
{
    const pid_t original = Run(m_program);
    EXPECT_EQ(m_children.WaitForExit(original, Deadline), 0) << "ends at once after start-up";
    EXPECT_EQ(ReadBytes(m_relocated), m_image);
    EXPECT_TRUE(QFileInfo(m_relocated).isExecutable());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !m_children.Running(m_relocated).empty(); }, Deadline));
}

TEST_F(ReadOnlyMedia, LaterStartsRunTheExistingCopyWithItsSavedState)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(m_relocated).absolutePath()));
    const QByteArray saved = WriteProgram(m_relocated, "saved game");
    const pid_t original = Run(m_program);
    EXPECT_EQ(m_children.WaitForExit(original, Deadline), 0);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !m_children.Running(m_relocated).empty(); }, Deadline));
    EXPECT_EQ(ReadBytes(m_relocated), saved);
}

TEST_F(ReadOnlyMedia, CopyThatCannotBeWrittenLeavesTheProgramRunningInPlace)
{
    // The data folder is a file, so the copy's folder cannot be made.
    QFile blocker(PathOf(QStringLiteral("data")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString errors = PathOf(QStringLiteral("stderr.txt"));
    const pid_t original = Run(m_program, {}, errors);
    ASSERT_TRUE(m_children.WaitUntilApplicationBuilt(original, Deadline));
    EXPECT_FALSE(m_children.WaitForExit(original, 1500).has_value()) << "the program ended";
    EXPECT_TRUE(ReadBytes(errors).contains("read-only media")) << ReadBytes(errors).data();
}

} // namespace
