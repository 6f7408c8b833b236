// The main window in this process: its pages, the start-mode decision, the start message, the
// save question and browsing for puzzles. The executable it runs as is a file in a temporary
// folder whose image is set here.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/picture/JpegPicture.h"
#include "support/AppTestSupport.h"
#include "support/ModalAnswer.h"
#include "windows/common/AboutWindow.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/MakerSession.h"
#include "windows/common/MessageWindow.h"
#include "windows/common/PlayerSession.h"
#include "windows/common/ProgramWindows.h"
#include "windows/main/ApplicationWindows.h"
#include "windows/main/MainWindow.h"
#include "windows/maker/PictureEditor.h"
#include "windows/maker/PropertiesDialog.h"
#include "windows/maker/ScaleDialog.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/JigsawPlayWindow.h"
#include "windows/play/ToolsWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QSet>
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
    TMakerSession m_maker;
    TPlayerSession m_player;

    void SetUp() override
    {
        TExecutableFolderTest::SetUp();
        // The working folder is the executable's folder, as the start-up step leaves it.
        Platform::SetWorkingFolder(m_folder.path());
    }

    // A main window running as the file name in the folder, whose image holds sections.
    std::unique_ptr<TMainWindow> MainWindow(const QString &name, const TSections &sections)
    {
        ExeImage() = WithSections(ProgramPart, sections);
        EXPECT_TRUE(WriteExecutable(PathOf(name), ExeImage()));
        return std::make_unique<TMainWindow>(m_maker, m_player, PathOf(name));
    }

    // A main window whose start has already happened, as it is after a game.
    std::unique_ptr<TMainWindow> StartedMainWindow(const QString &name, const TSections &sections)
    {
        auto main = MainWindow(name, sections);
        main->m_firstActivation = false;
        return main;
    }

    // A changed game's main window on its save page, after KeepChanges: waiting for YES or NO.
    static void AskToSave(TMainWindow &main)
    {
        main.Player().changed = true;
        main.m_pages->setCurrentWidget(main.m_saveQuestionPage);
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
    EXPECT_EQ(main->m_pages->currentWidget(), main->m_loadingPage);
    main->show();
    EXPECT_EQ(main->m_loadingPage->size(), QSize(738, 412));
    EXPECT_EQ(main->size(), QSize(746, 444));
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Tessalune"));
    EXPECT_EQ(main->m_loadingTitle->text(), QStringLiteral("L O A D I N G..."));
    EXPECT_EQ(main->m_savingTitle->text(), QStringLiteral("S A V I N G..."));
    EXPECT_EQ(main->m_saveQuestionLabel->text(),
              QStringLiteral("The puzzle was changed. \r\nSave the changes?"));
    EXPECT_EQ(main->m_loadingProgress->maximum(), 100);
    EXPECT_EQ(main->Player().SourcePicture().Width(), 1);
    EXPECT_EQ(main->Player().AlternativePicture().Height(), 1);
    EXPECT_TRUE(main->Player().Document().IsEmpty());
    EXPECT_FALSE(main->Player().changed || main->Maker().sourceChosen || main->m_thumbnailMode);
    EXPECT_TRUE(main->m_firstActivation);
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
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("tmp.exe"));
    // A folder of that name is no leftover copy, or every start would end at once.
    EXPECT_EQ(ModeOf("puzzle.exe", puzzle), TStartMode::Player);
    ASSERT_TRUE(QDir(m_folder.path()).rmdir("tmp.exe"));
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
    EXPECT_EQ(main->m_pages->currentWidget(), main->m_makerPage);

    // Activated again (as after a game), the window does not start again.
    main->m_pages->setCurrentWidget(main->m_loadingPage);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    EXPECT_FALSE(QTest::qWaitFor([&] { return counter.count > 1; }, 50));
    EXPECT_EQ(main->m_pages->currentWidget(), main->m_loadingPage);
}

TEST_F(FmainTest, LoadsPictureAndDocumentFromThePayload)
{
    const QByteArray picture = SamplePictureBytes();
    auto main = MainWindow("puzzle.exe", PuzzleSections(picture, SampleDocumentText()));
    main->LoadPuzzleFromPayload();
    EXPECT_EQ(main->Player().SourcePicture().Data(), picture);
    EXPECT_EQ(main->Player().SourcePicture().Width(), 40);
    EXPECT_EQ(main->Player().Document().StoredText(), SampleDocumentText());

    ExeImage() = WithSections(ProgramPart, PuzzleSections(picture, "<PUZZLE_DATA"));
    EXPECT_THROW(main->LoadPuzzleFromPayload(), EKeyedNodeError);
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
    main->Player().Document().Game().backgroundColour = 0x0000FF; // #FF0000
    AskToSave(*main);

    QByteArray expected = before;
    RemoveSection(PuzzleSchema::SectionDocument, expected);
    AppendSection(PuzzleSchema::SectionDocument, main->Player().Document().StoredText(), expected);
    EXPECT_EQ(ExeImage(), expected);
    EXPECT_TRUE(main->isVisible());

    // NO ends without writing anything.
    QTest::mouseClick(main->m_saveNoButton, Qt::LeftButton);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(ReadBytes(PathOf("puzzle.exe")), before);
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList{"puzzle.exe"});
}

TEST_F(FmainTest, SaveAnswerIsGivenWithEnterAndKeypadEnter)
{
    for (const auto &[key, modifiers] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                         std::pair{Qt::Key_Enter, Qt::KeypadModifier}}) {
        auto main = StartedMainWindow("puzzle.exe", PuzzleSections(SamplePictureBytes(), "<A/>"));
        AskToSave(*main);
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
        main->m_saveNoButton->setFocus();
        QTest::keyClick(main->m_saveNoButton, key, modifiers);
        EXPECT_FALSE(main->isVisible()) << key;
    }
}

TEST_F(FmainTest, HandOverCopyThatCannotBeWrittenOrStartedKeepsTheQuestion)
{
    auto main = StartedMainWindow("puzzle.exe", PuzzleSections(SamplePictureBytes(), "<A/>"));
    AskToSave(*main);
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("tmp.exe"));
    QString shownMessage;
    AcceptNextMessageBox([&](QMessageBox *box) { shownMessage = box->text(); });
    QTest::mouseClick(main->m_saveYesButton, Qt::LeftButton);
    EXPECT_FALSE(shownMessage.isEmpty());
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->m_pages->currentWidget(), main->m_saveQuestionPage);
    EXPECT_TRUE(QFileInfo(PathOf("tmp.exe")).isDir());
    // The name of the file to overwrite went into the written copy only: a retry adds no
    // second one.
    EXPECT_TRUE(ReadSection(PuzzleSchema::SectionFileName).isEmpty());

    // A copy that is written but cannot be started is not left behind either.
    ASSERT_TRUE(QDir(m_folder.path()).rmdir("tmp.exe"));
    shownMessage.clear();
    AcceptNextMessageBox([&](QMessageBox *box) { shownMessage = box->text(); });
    QTest::mouseClick(main->m_saveYesButton, Qt::LeftButton);
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
    QTest::mouseClick(main->m_saveYesButton, Qt::LeftButton);
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
        QTest::mouseClick(main->m_saveYesButton, Qt::LeftButton);
        QTest::mouseClick(main->m_saveNoButton, Qt::LeftButton);
    });
    QTest::mouseClick(main->m_saveYesButton, Qt::LeftButton);
    EXPECT_FALSE(QTest::qWaitFor([&] { return errorBoxes.Count() > 1; }, 300))
        << "one hand-over only";
    EXPECT_EQ(errorBoxes.Count(), 1);
    EXPECT_TRUE(main->isVisible()) << "NO came after YES had answered";
    // After the failure the question is open again.
    EXPECT_TRUE(main->m_saveYesButton->isEnabled());
    EXPECT_TRUE(main->m_saveNoButton->isEnabled());
}

TEST_F(FmainTest, BrowsingStartsInMadePuzzlesAndKeepsTheWorkingFolder)
{
    ASSERT_TRUE(QDir(m_folder.path()).mkpath("bin"));
    Platform::SetWorkingFolder(PathOf("bin"));
    const QString before = Platform::WorkingFolder();
    auto main = MainWindow("bin/maker", {});
    for (const bool fromCurrentFolder : {false, true}) {
        QString shownFolder;
        AnswerModal<QFileDialog>([&](QFileDialog *dialog) {
            shownFolder = dialog->directory().absolutePath();
            Platform::SetWorkingFolder(m_folder.path()); // as a dialog might do
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

TEST(ProgramWindowsLook, EveryWindowSaysWhatItIsAndShowsTheProgramsIcon)
{
    const TApplicationWindows windows;
    TToolsWindow tools{TToolsWindow::TGame{}};
    TBackgroundsDialog backgrounds([] { return nullptr; });
    TPictureEditor editor;
    editor.setWindowTitle(QStringLiteral("Source picture")); // its callers name it
    // Every window made, as a run that uses them all makes them.
    const QWidget *all[] = {ProgramWindows().mainWindow.Get(),
                            ProgramWindows().scaleDialog.Get(),
                            ProgramWindows().messageWindow.Get(),
                            ProgramWindows().confirmationWindow.Get(),
                            ProgramWindows().playWindow.Get(),
                            ProgramWindows().propertiesDialog.Get(),
                            ProgramWindows().aboutWindow.Get(),
                            &tools,
                            &backgrounds,
                            &editor};
    QSet<QString> titles;
    for (const QWidget *window : all) {
        const QString title = window->windowTitle();
        SCOPED_TRACE(title.toStdString());
        EXPECT_FALSE(title.isEmpty());
        EXPECT_FALSE(title.endsWith(u':'));
        EXPECT_FALSE(title.contains(u'_')) << "a name of the code, not of the window";
        EXPECT_FALSE(window->windowIcon().isNull());
        titles.insert(title);
    }
    EXPECT_EQ(titles.size(), qsizetype(std::size(all))) << "no two windows are called the same";
    EXPECT_EQ(QApplication::windowIcon().pixmap(QSize(32, 32)).size(), QSize(32, 32))
        << "the icon's pictures load";
}
