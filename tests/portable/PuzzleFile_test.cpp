// Puzzle files as files: which parameter asks to play one, what counts as a puzzle, and which
// program parts are portable.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleFile.h"
#include "engine/container/PuzzleSchema.h"
#include "platform/Platform.h"
#include "platform/PortableRuntime.h"
#include "support/TemporaryFolderTest.h"
#include "support/TestFiles.h"

#include <QDir>
#include <gtest/gtest.h>
#include <stdexcept>

using PuzzleFileTest = TTemporaryFolderTest;

TEST_F(PuzzleFileTest, OnlyAFileThatIsNotTheProgramsOwnParameterIsPlayed)
{
    const QString before = Platform::WorkingFolder();
    ASSERT_TRUE(Platform::SetWorkingFolder(m_folder.path()));
    for (const char *name : {"puzzle", "maketn", "deltemp"})
        ASSERT_TRUE(WriteBytes(PathOf(name), "x"));
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("a folder"));

    EXPECT_EQ(PuzzleFileParameter("/usr/bin/tessalune", "puzzle"), PathOf("puzzle"));
    EXPECT_EQ(PuzzleFileParameter("/usr/bin/tessalune", PathOf("puzzle")), PathOf("puzzle"));
    for (const char *own : {"maketn", "deltemp", "missing", "a folder", ""})
        EXPECT_TRUE(PuzzleFileParameter("/usr/bin/tessalune", own).isEmpty()) << own;
    // The replacement copy's parameter names the file it replaces, not a puzzle to play.
    EXPECT_TRUE(PuzzleFileParameter("/puzzles/TEMP0A0.exe", "puzzle").isEmpty());
    Platform::SetWorkingFolder(before);
}

TEST_F(PuzzleFileTest, APuzzleIsKnownByItsSectionsWhateverItsProgramPart)
{
    QByteArray foreign = "a program built for another machine";
    AppendSection(PuzzleSchema::SectionIsPuzzle, PuzzleSchema::IsPuzzleValue, foreign);
    ASSERT_TRUE(WriteBytes(PathOf("sent"), foreign));
    EXPECT_TRUE(IsPuzzleImage(ReadPuzzleFile(PathOf("sent"))));
    EXPECT_FALSE(IsPuzzleImage(ReadPuzzleFile(QStringLiteral(TESSALUNE_EXE))));
    EXPECT_THROW(ReadPuzzleFile(m_folder.path()), std::runtime_error);
    EXPECT_THROW(ReadPuzzleFile(PathOf("missing")), std::runtime_error);
}

TEST(PortableImage, OnlyTheStartStageFollowedByItsRuntime)
{
    const QByteArray portable = ReadBytes(TESSALUNE_PORTABLE_PROGRAM);
    EXPECT_TRUE(IsPortableImage(portable));
    EXPECT_FALSE(IsPortableImage(ReadBytes(TESSALUNE_EXE)));
    // Cut anywhere inside the runtime's mark, or at the stage's end, it is no longer one.
    const qsizetype stageEnd = qsizetype(
        PortableRuntime::StageEnd(reinterpret_cast<const unsigned char *>(portable.constData()),
                                  portable.size(), portable.size()));
    EXPECT_EQ(portable.mid(stageEnd, 8), "TSLRUN01");
    for (qsizetype keep = 0; keep < 8; ++keep)
        EXPECT_FALSE(IsPortableImage(portable.left(stageEnd + keep))) << keep;
    EXPECT_FALSE(IsPortableImage(QByteArray("\x7f"
                                            "ELF")));
}
