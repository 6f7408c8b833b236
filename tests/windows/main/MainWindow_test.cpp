// The main window in this process: its pages, the start-mode decision, the start message, the
// save question and browsing for puzzles. The executable it runs as is a file in a temporary
// folder whose image is set here.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/picture/JpegPicture.h"
#include "support/AppTestSupport.h"
#include "support/ModalAnswer.h"
#include "windows/main/MainWindow.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace
{

// Stands in for the program's own bytes before the payload.
const QByteArray ProgramPart = QByteArray("\x7f"
                                          "ELF program bytes",
                                          18);

// Counts the start messages that reach a window.
class TStartMessageCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Type(WM_START_MODE))
            ++count;
        return false;
    }
};

} // namespace

class FmainTest : public TExecutableFolderTest
{
protected:
    void SetUp() override
    {
        TExecutableFolderTest::SetUp();
        // The working folder is the executable's folder, as the start-up step leaves it.
        Platform::SetWorkingFolder(folder.path());
    }

    // A main window running as the file name in the folder, whose image holds sections.
    std::unique_ptr<TFmain> MainWindow(const QString &name, const TSections &sections)
    {
        ExeImage() = WithSections(ProgramPart, sections);
        EXPECT_TRUE(WriteExecutable(PathOf(name), ExeImage()));
        return std::make_unique<TFmain>(PathOf(name));
    }

    // A main window whose start has already happened, as it is after a game.
    std::unique_ptr<TFmain> StartedMainWindow(const QString &name, const TSections &sections)
    {
        auto main = MainWindow(name, sections);
        main->FirstActivation = false;
        return main;
    }

    // A changed game's main window on its save page, after KeepChanges: waiting for YES or NO.
    static void AskToSave(TFmain &main)
    {
        main.GameChanged = true;
        main.PageControl1->setCurrentWidget(main.TabSheet_save);
        main.show();
        main.KeepChanges();
    }

    TStartMode ModeOf(const QString &name, const TSections &sections)
    {
        return MainWindow(name, sections)->DecideStartMode();
    }

    void CreateFile(const QString &name)
    {
        QFile file(PathOf(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
};

TEST_F(FmainTest, StartsOnTheLoadingPageWithEmptyState)
{
    auto main = MainWindow("puzzle.exe", {});
    EXPECT_EQ(main->PageControl1->currentWidget(), main->TabSheet_load);
    main->show();
    EXPECT_EQ(main->TabSheet_load->size(), QSize(738, 412));
    EXPECT_EQ(main->size(), QSize(746, 444));
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Tessalune"));
    EXPECT_EQ(main->Label2->text(), QStringLiteral("L O A D I N G..."));
    EXPECT_EQ(main->Label3->text(), QStringLiteral("S A V I N G..."));
    EXPECT_EQ(main->Label4->text(),
              QStringLiteral("The puzzle was changed. \r\nSave the changes?"));
    EXPECT_EQ(main->ProgressBar1->maximum(), 100);
    EXPECT_EQ(main->SourcePicture->Width(), 1);
    EXPECT_EQ(main->AlternativePicture->Height(), 1);
    EXPECT_EQ(main->Document->ChildCount(), 0);
    EXPECT_FALSE(main->GameChanged || main->SourceChosen || main->ThumbnailMode);
    EXPECT_TRUE(main->FirstActivation);
}

TEST_F(FmainTest, HandOverNameInAnyLetterCaseFinishesSaving)
{
    const TSections puzzle = {{PuzzleSchema::SectionIsPuzzle, "Y"}};
    EXPECT_EQ(ModeOf("tmp.exe", puzzle), TStartMode::FinishSaving);
    EXPECT_EQ(ModeOf("TMP.EXE", {}), TStartMode::FinishSaving);
    EXPECT_EQ(ModeOf("Tmp.Exe", {}), TStartMode::FinishSaving);
    EXPECT_NE(ModeOf("tmp.exe.old", {}), TStartMode::FinishSaving);
}

TEST_F(FmainTest, LeftoverHandOverCopyMeansCleanUp)
{
    const TSections puzzle = {{PuzzleSchema::SectionIsPuzzle, "Y"}};
    ASSERT_TRUE(QDir(folder.path()).mkdir("tmp.exe"));
    // A folder of that name is no leftover copy, or every start would end at once.
    EXPECT_EQ(ModeOf("puzzle.exe", puzzle), TStartMode::Player);
    ASSERT_TRUE(QDir(folder.path()).rmdir("tmp.exe"));
    CreateFile("tmp.exe");
    EXPECT_EQ(ModeOf("puzzle.exe", puzzle), TStartMode::CleanUp);
    EXPECT_EQ(ModeOf("maker", {}), TStartMode::CleanUp);
}

TEST_F(FmainTest, OnlyAnExactYMakesAPlayer)
{
    EXPECT_EQ(ModeOf("puzzle.exe", {{PuzzleSchema::SectionIsPuzzle, "Y"}}), TStartMode::Player);
    EXPECT_EQ(ModeOf("puzzle.exe", {{PuzzleSchema::SectionIsPuzzle, "y"}}), TStartMode::Maker);
    EXPECT_EQ(ModeOf("puzzle.exe", {{PuzzleSchema::SectionIsPuzzle, " Y"}}), TStartMode::Maker);
    EXPECT_EQ(ModeOf("puzzle.exe", {{"is_puzzle", "Y"}}), TStartMode::Player);
    EXPECT_EQ(ModeOf("maker", {}), TStartMode::Maker);
}

TEST_F(FmainTest, StartMessageIsPostedOnceAfterTheFirstActivation)
{
    auto main = MainWindow("maker", {});
    TStartMessageCounter counter;
    main->installEventFilter(&counter);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.count == 1; }, 5000));
    EXPECT_EQ(main->PageControl1->currentWidget(), main->TabSheet_new);

    // Activated again (as after a game), the window does not start again.
    main->PageControl1->setCurrentWidget(main->TabSheet_load);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    EXPECT_FALSE(QTest::qWaitFor([&] { return counter.count > 1; }, 50));
    EXPECT_EQ(main->PageControl1->currentWidget(), main->TabSheet_load);
}

TEST_F(FmainTest, LoadsPictureAndDocumentFromThePayload)
{
    const QByteArray picture = SamplePictureBytes();
    auto main = MainWindow("puzzle.exe", PuzzleSections(picture, SampleDocumentText()));
    main->LoadPuzzleFromPayload();
    EXPECT_EQ(main->SourcePicture->Data(), picture);
    EXPECT_EQ(main->SourcePicture->Width(), 40);
    EXPECT_EQ(main->Document->SaveToText(), SampleDocumentText());

    ExeImage() = WithSections(ProgramPart, PuzzleSections(picture, "<PUZZLE_DATA"));
    EXPECT_THROW(main->LoadPuzzleFromPayload(), EKelPiggerError);
}

TEST_F(FmainTest, UnchangedGameEndsWithoutTouchingTheImage)
{
    auto main = StartedMainWindow("puzzle.exe", PuzzleSections(SamplePictureBytes(), "<A/>"));
    const QByteArray before = ExeImage();
    main->show();
    main->KeepChanges();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(ExeImage(), before);
}

TEST_F(FmainTest, ChangedGameStoresTheDocumentLastAndAsks)
{
    const QByteArray picture = SamplePictureBytes();
    auto main = StartedMainWindow("puzzle.exe", PuzzleSections(picture, SampleDocumentText()));
    const QByteArray before = ReadBytes(PathOf("puzzle.exe"));
    main->LoadPuzzleFromPayload();
    main->Document->SetAttr(PuzzleSchema::KeyColor, "#FF0000");
    AskToSave(*main);

    QByteArray expected = before;
    RemoveSection(PuzzleSchema::SectionDocument, expected);
    AppendSection(PuzzleSchema::SectionDocument, main->Document->SaveToText(), expected);
    EXPECT_EQ(ExeImage(), expected);
    EXPECT_TRUE(main->isVisible());

    // NO ends without writing anything.
    QTest::mouseClick(main->SB_save_cancel, Qt::LeftButton);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(ReadBytes(PathOf("puzzle.exe")), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"puzzle.exe"});
}

TEST_F(FmainTest, HandOverCopyThatCannotBeWrittenOrStartedKeepsTheQuestion)
{
    auto main = StartedMainWindow("puzzle.exe", PuzzleSections(SamplePictureBytes(), "<A/>"));
    AskToSave(*main);
    ASSERT_TRUE(QDir(folder.path()).mkdir("tmp.exe"));
    QString shownMessage;
    AcceptNextMessageBox([&](QMessageBox *box) { shownMessage = box->text(); });
    QTest::mouseClick(main->SB_save_ok, Qt::LeftButton);
    EXPECT_FALSE(shownMessage.isEmpty());
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->PageControl1->currentWidget(), main->TabSheet_save);
    EXPECT_TRUE(QFileInfo(PathOf("tmp.exe")).isDir());
    // The name of the file to overwrite went into the written copy only: a retry adds no
    // second one.
    EXPECT_TRUE(ReadSection(PuzzleSchema::SectionFileName).isEmpty());

    // A copy that is written but cannot be started is not left behind either.
    ASSERT_TRUE(QDir(folder.path()).rmdir("tmp.exe"));
    shownMessage.clear();
    AcceptNextMessageBox([&](QMessageBox *box) { shownMessage = box->text(); });
    QTest::mouseClick(main->SB_save_ok, Qt::LeftButton);
    EXPECT_FALSE(shownMessage.isEmpty());
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(QFileInfo::exists(PathOf("tmp.exe")));
}

// Another puzzle's save left in the folder by a stopped hand-over copy is finished before YES
// writes its own copy over it.
TEST_F(FmainTest, YesFinishesAnotherPuzzlesPendingSaveFirst)
{
    const QByteArray other =
        WithSections(ProgramPart, PuzzleSections(SamplePictureBytes(), "<A/>"));
    ASSERT_TRUE(WriteExecutable(PathOf("other.exe"), other));
    QByteArray otherSaved = WithSections(ProgramPart, PuzzleSections(SamplePictureBytes(), "<B/>"));
    const QByteArray otherExpected = otherSaved;
    AppendSection(PuzzleSchema::SectionFileName, "other.exe", otherSaved);
    ASSERT_TRUE(WriteExecutable(PathOf("tmp.exe"), otherSaved));

    auto main = StartedMainWindow("puzzle.exe", PuzzleSections(SamplePictureBytes(), "<C/>"));
    AskToSave(*main);
    AcceptNextMessageBox([](QMessageBox *) {}); // these bytes cannot be started as a copy
    QTest::mouseClick(main->SB_save_ok, Qt::LeftButton);
    EXPECT_EQ(ReadBytes(PathOf("other.exe")), otherExpected);
}

TEST_F(FmainTest, AnswerIsGivenOnceYesIsPressed)
{
    auto main = StartedMainWindow("puzzle.exe", PuzzleSections(SamplePictureBytes(), "<A/>"));
    AskToSave(*main);
    // The copy of these bytes cannot be started: each hand-over that runs to its end reports it.
    const TModalAnswerer<QMessageBox> errorBoxes([](QMessageBox *box) { box->accept(); });
    // A second YES and a NO arrive while the first YES waits before starting its copy.
    QTimer::singleShot(50, main.get(), [&] {
        QTest::mouseClick(main->SB_save_ok, Qt::LeftButton);
        QTest::mouseClick(main->SB_save_cancel, Qt::LeftButton);
    });
    QTest::mouseClick(main->SB_save_ok, Qt::LeftButton);
    EXPECT_FALSE(QTest::qWaitFor([&] { return errorBoxes.Count() > 1; }, 300))
        << "one hand-over only";
    EXPECT_EQ(errorBoxes.Count(), 1);
    EXPECT_TRUE(main->isVisible()) << "NO came after YES had answered";
    // After the failure the question is open again.
    EXPECT_TRUE(main->SB_save_ok->isEnabled());
    EXPECT_TRUE(main->SB_save_cancel->isEnabled());
}

TEST_F(FmainTest, BrowsingStartsInMadePuzzlesAndKeepsTheWorkingFolder)
{
    ASSERT_TRUE(QDir(folder.path()).mkpath("bin"));
    Platform::SetWorkingFolder(PathOf("bin"));
    const QString before = Platform::WorkingFolder();
    auto main = MainWindow("bin/maker", {});
    for (const bool fromCurrentFolder : {false, true}) {
        QString shownFolder;
        AnswerModal<QFileDialog>([&](QFileDialog *dialog) {
            shownFolder = dialog->directory().absolutePath();
            Platform::SetWorkingFolder(folder.path()); // as a dialog might do
            dialog->reject();
        });
        main->BrowsePuzzles(fromCurrentFolder);
        EXPECT_EQ(Platform::WorkingFolder(), before);
        EXPECT_EQ(QFileInfo(shownFolder).canonicalFilePath(),
                  QFileInfo(fromCurrentFolder ? PathOf("bin") : PathOf("my_puzzles"))
                      .canonicalFilePath());
    }
    EXPECT_TRUE(QFileInfo(PathOf("my_puzzles")).isDir());
}
