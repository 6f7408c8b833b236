// Copies of the built program as real processes: the picture export, the clean-up of a
// leftover hand-over copy, and the whole save hand-over from a changed game to the rewritten
// puzzle executable.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleSchema.h"
#include "support/AppTestSupport.h"
#include "windows/common/MakerSession.h"
#include "windows/common/PlayerSession.h"
#include "windows/main/MainWindow.h"

#include <QDir>
#include <QProcess>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <gtest/gtest.h>

namespace
{

// Long enough for a copy of the program to end on its own when it is going to.
constexpr int EndsWithinMs = 30000;
// A copy that is still running after this is taken to keep running.
constexpr int KeepsRunningMs = 2500;

} // namespace

class ProcessTest : public TExecutableFolderTest
{
protected:
    void SetUp() override
    {
        TExecutableFolderTest::SetUp();
        ASSERT_FALSE(m_program.isEmpty());
    }

    void TearDown() override
    {
        for (auto &process : m_processes) {
            process->kill();
            process->waitForFinished();
        }
        TExecutableFolderTest::TearDown();
    }

    QString WriteCopy(const QString &name, const TSections &sections)
    {
        const QString path = PathOf(name);
        QDir().mkpath(QFileInfo(path).path());
        EXPECT_TRUE(WriteExecutable(path, WithSections(m_program, sections))) << path.toStdString();
        return path;
    }

    QProcess &Start(const QString &path, const QStringList &arguments = {})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(m_folder.path());
        process->start(path, arguments);
        EXPECT_TRUE(process->waitForStarted()) << path.toStdString();
        m_processes.push_back(std::move(process));
        return *m_processes.back();
    }

    static bool EndedCleanly(QProcess &process)
    {
        return process.waitForFinished(EndsWithinMs) &&
               process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    // True when none of the processes ends within a while.
    static bool KeepRunning(const std::vector<QProcess *> &watched)
    {
        return !QTest::qWaitFor(
            [&] {
                return std::any_of(watched.begin(), watched.end(), [](const QProcess *process) {
                    return process->state() != QProcess::Running;
                });
            },
            KeepsRunningMs);
    }

    const QByteArray m_program = ReadBytes(QStringLiteral(TESSALUNE_EXE));
    const QByteArray m_picture = SamplePictureBytes();
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(ProcessTest, MaketnWritesThePictureBesideThePuzzleAndEnds)
{
    const QString puzzle = WriteCopy("tulips.exe", PuzzleSections(m_picture, SampleDocumentText()));
    EXPECT_TRUE(EndedCleanly(Start(puzzle, {"maketn"})));
    EXPECT_EQ(ReadBytes(PathOf("tulips.jpg")), m_picture);

    // A picture file that cannot be written is passed over; the program still ends.
    const QString blocked = WriteCopy("daisies", PuzzleSections(m_picture, SampleDocumentText()));
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("daisies.jpg"));
    EXPECT_TRUE(EndedCleanly(Start(blocked, {"maketn"})));
}

TEST_F(ProcessTest, MaketnInCapitalsOrSecondPlaceStartsNormally)
{
    const TSections sections = PuzzleSections(m_picture, SampleDocumentText());
    QProcess &capitals = Start(WriteCopy("capitals.exe", sections), {"MAKETN"});
    QProcess &second = Start(WriteCopy("second.exe", sections), {"x", "maketn"});
    EXPECT_TRUE(KeepRunning({&capitals, &second}));
    EXPECT_EQ(QDir(m_folder.path()).entryList({"*.jpg"}), QStringList());
}

TEST_F(ProcessTest, LeftoverHandOverCopyIsDeletedAndTheStartEnds)
{
    const QString puzzle = WriteCopy("tulips.exe", PuzzleSections(m_picture, SampleDocumentText()));
    const QByteArray before = ReadBytes(puzzle);
    ASSERT_TRUE(WriteExecutable(PathOf("tmp.exe"), "left over"));
    EXPECT_TRUE(EndedCleanly(Start(puzzle)));
    EXPECT_FALSE(QFileInfo::exists(PathOf("tmp.exe")));
    EXPECT_EQ(ReadBytes(puzzle), before);
    // The next start runs normally.
    EXPECT_TRUE(KeepRunning({&Start(puzzle)}));
}

TEST_F(ProcessTest, HandOverCopyWritesOnlyInsideItsOwnFolder)
{
    const TSections puzzle = PuzzleSections(m_picture, SampleDocumentText());
    const QList<QByteArray> refusedNames = {"../victim.exe", "sub/victim.exe", ".", "..", ""};
    std::vector<QProcess *> handOvers;
    for (int index = 0; index < refusedNames.size(); ++index) {
        TSections sections = puzzle;
        if (!refusedNames[index].isEmpty())
            sections.append({PuzzleSchema::SectionFileName, refusedNames[index]});
        handOvers.push_back(
            &Start(WriteCopy(QStringLiteral("case%1/tmp.exe").arg(index), sections)));
    }
    EXPECT_TRUE(KeepRunning(handOvers)) << "a refused hand-over stays on its saving page";
    for (int index = 0; index < refusedNames.size(); ++index)
        EXPECT_EQ(QDir(PathOf(QStringLiteral("case%1").arg(index)))
                      .entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList{"tmp.exe"});
    EXPECT_FALSE(QFileInfo::exists(PathOf("victim.exe")));
}

TEST_F(ProcessTest, ChangedGameIsSavedThroughTheHandOverCopy)
{
    const QString puzzle = WriteCopy("tulips.exe", PuzzleSections(m_picture, SampleDocumentText()));
    const QByteArray before = ReadBytes(puzzle);

    // The first process, the player after a changed game, runs here with the puzzle's image.
    ExeImage() = before;
    TMakerSession maker;
    TPlayerSession player;
    TMainWindow main(maker, player, puzzle);
    main.LoadPuzzleFromPayload();
    main.Player().Document().Game().backgroundColour = 0x0000FF; // #FF0000
    main.Player().Document().Game().pieces[3].position = QPoint(120, 0);
    main.Player().changed = true;
    main.m_firstActivation = false; // the game is over; the start is long past
    main.m_pages->setCurrentWidget(main.m_saveQuestionPage);
    main.show();
    main.KeepChanges();
    const QByteArray savedDocument = main.Player().Document().StoredText();
    QTest::mouseClick(main.m_saveYesButton, Qt::LeftButton);
    EXPECT_FALSE(main.isVisible());

    // "tmp.exe" rewrites the puzzle and restarts it, which deletes "tmp.exe" and ends. The
    // rewritten puzzle is the old one with the new document as its last section and no
    // "FILE_NAME".
    QByteArray expected = before;
    RemoveSection(PuzzleSchema::SectionDocument, expected);
    AppendSection(PuzzleSchema::SectionDocument, savedDocument, expected);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !QFileInfo::exists(PathOf("tmp.exe")) && ReadBytes(puzzle) == expected; },
        EndsWithinMs));
    EXPECT_TRUE(QFileInfo(puzzle).isExecutable());
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList{"tulips.exe"});
}
