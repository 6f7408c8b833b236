// Player mode in this process on real puzzles: preparing with progress, playing to the end with
// the mouse, the alternative picture, reset, and preparations that fail.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleSchema.h"
#include "support/JpegBytes.h"
#include "support/ModalAnswer.h"
#include "support/PlayWindowFixture.h"
#include "support/PlayerFixture.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/main/ApplicationWindows.h"
#include "windows/main/MainWindow.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/JigsawPlayWindow.h"
#include "windows/play/ToolsWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace PuzzleSchema;

namespace
{

bool ErrorBoxShown()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(window) && window->isVisible())
            return true;
    }
    return false;
}

// What the test saw while the game was played.
struct TSeen {
    bool solved = false;
    bool premiumShown = false;
    QImage premiumPicture;
    bool gameChanged = false;
    int onPaletteAfterReset = -1;
    int positionsAfterReset = -1;
    bool puzzlePageAfterReset = false;
    bool changedAfterReset = false;
};

int StoredPositions(const TPuzzleDocument &document)
{
    int count = 0;
    for (const TPiece &piece : document.Game().pieces)
        count += piece.position.has_value();
    return count;
}

} // namespace

class PlayerMode : public TExecutableFolderTest
{
protected:
    // The bytes of a puzzle executable made by the command-line maker.
    QByteArray Made(const QImage &alternative = {})
    {
        const QString path = PathOf("made.exe");
        EXPECT_TRUE(MakePuzzle(path, m_picture, alternative));
        return ReadBytes(path);
    }

    // Windows for a puzzle executable with this image, running as "tulips.exe" in the folder.
    std::unique_ptr<TPlayerWindows> Puzzle(const QByteArray &image)
    {
        ExeImage() = image;
        return std::make_unique<TPlayerWindows>(PathOf("tulips.exe"));
    }

    const QImage m_picture = PhotoLikePicture({280, 210});
};

TEST_F(PlayerMode, PuzzlePlayedToTheEndShowsTheAlternativePictureAndResetStartsAgain)
{
    const auto windows = Puzzle(Made(PhotoLikePicture({300, 200}).mirrored(true, false)));
    const QByteArray alternative = ReadSection(SectionAlternativeImage);
    TMainWindow &main = *windows->main;
    TJigsawPlayWindow &play = *windows->play;
    main.m_loadingProgress->reset();
    QSignalSpy progress(main.m_loadingProgress, &QProgressBar::valueChanged);

    TSeen seen;
    bool minimisedDuringGame = false;
    const auto driver = DriveGame(
        play,
        [&] {
            minimisedDuringGame = main.isMinimized();
            QSignalSpy solvedShown(&play, &TPlayWindowBase::SolvedPictureShown);
            SolveByDragging(play);
            if (solvedShown.isEmpty())
                solvedShown.wait(10000);
            seen.solved = play.m_desktop->IsSolved();
            seen.premiumShown = play.m_pages->currentWidget() == play.m_solvedPage;
            seen.premiumPicture = play.m_solvedPicture->Picture();
            seen.gameChanged = main.Player().changed;
            main.Player().changed = false;
            ResetThroughTools();
            seen.onPaletteAfterReset = static_cast<int>(play.m_desktop->PalettePieces().size());
            seen.positionsAfterReset = StoredPositions(main.Player().Document());
            seen.puzzlePageAfterReset = play.m_pages->currentWidget() == play.m_puzzlePage;
            seen.changedAfterReset = main.Player().changed;
            main.Player().changed = true;
        },
        ExitThroughTools);
    main.RunPlayerMode();

    ASSERT_TRUE(driver->ran);
    EXPECT_FALSE(driver->timedOut);
    QList<int> values;
    for (const QList<QVariant> &signal : progress)
        values.append(signal.at(0).toInt());
    EXPECT_EQ(values, (QList<int>{0, 10, 20, 50, 70}));
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Tulips"));
    EXPECT_EQ(play.windowTitle(), QStringLiteral("Tulips")) << "the game is named after its puzzle";
    EXPECT_TRUE(minimisedDuringGame);

    EXPECT_TRUE(seen.solved);
    EXPECT_TRUE(seen.premiumShown);
    EXPECT_EQ(seen.premiumPicture, DecodedJpeg(alternative));
    EXPECT_TRUE(seen.gameChanged);
    EXPECT_EQ(seen.onPaletteAfterReset, 49);
    EXPECT_EQ(seen.positionsAfterReset, 0);
    EXPECT_TRUE(seen.puzzlePageAfterReset);
    EXPECT_FALSE(seen.changedAfterReset);

    // After the game: the save question, in a window back to its normal state, and the changed
    // document (with the tools window's place) in the image.
    EXPECT_EQ(main.m_pages->currentWidget(), main.m_saveQuestionPage);
    EXPECT_FALSE(main.isMinimized());
    EXPECT_TRUE(main.Player().Document().Game().tools.left.present);
    EXPECT_EQ(ReadSection(SectionDocument), main.Player().Document().StoredText());
}

TEST_F(PlayerMode, SolvedPuzzleWithoutAlternativePictureShowsNothingMore)
{
    const QByteArray made = Made();
    const QByteArray blanks(" \r\n\t\x01  ");
    for (const QByteArray &image :
         {made, WithSectionReplaced(made, SectionAlternativeImage, blanks)}) {
        const auto windows = Puzzle(image);
        TJigsawPlayWindow &play = *windows->play;
        bool solved = false;
        bool puzzlePageShown = false;
        const auto driver = DriveGame(
            play,
            [&] {
                SolveByDragging(play);
                solved = play.m_desktop->IsSolved();
                puzzlePageShown = play.m_pages->currentWidget() == play.m_puzzlePage;
            },
            ExitThroughTools);
        windows->main->RunPlayerMode();
        ASSERT_TRUE(driver->ran);
        EXPECT_TRUE(solved);
        EXPECT_TRUE(puzzlePageShown);
        EXPECT_FALSE(ErrorBoxShown());
    }
}

TEST_F(PlayerMode, DropBackOnThePaletteChangesTheGame)
{
    const auto windows = Puzzle(Made());
    TJigsawPlayWindow &play = *windows->play;
    int onPalette = -1;
    const auto driver = DriveGame(
        play,
        [&] {
            TPuzzleDesktop &desktop = *play.m_desktop;
            TPieceImage *first = desktop.ImageOfPiece(desktop.PalettePieces().first());
            DragPiece(desktop, first, first->Position() + QPoint(5, 0));
            onPalette = static_cast<int>(desktop.PalettePieces().size());
        },
        ExitThroughTools);
    windows->main->RunPlayerMode();
    ASSERT_TRUE(driver->ran);
    EXPECT_EQ(onPalette, 49);
    EXPECT_TRUE(windows->main->Player().changed);
    EXPECT_EQ(windows->main->m_pages->currentWidget(), windows->main->m_saveQuestionPage);
}

TEST_F(PlayerMode, ResetWithoutDropsEndsWithoutAskingAndKeepsTheStoredGame)
{
    const QByteArray made = Made();
    ExeImage() = made;
    TKeyedNode saved;
    saved.LoadFromText(ReadSection(SectionDocument));
    saved.FindChild(PiecesNode)->Child(0)->SetAttr(KeyPieceLeft, "400");
    saved.FindChild(PiecesNode)->Child(0)->SetAttr(KeyPieceTop, "90");
    const auto windows = Puzzle(WithSectionReplaced(made, SectionDocument, saved.SaveToText()));
    const QByteArray image = ExeImage();
    TMainWindow &main = *windows->main;
    main.show();
    main.m_firstActivation = false;
    int positionsAfterReset = -1;
    const auto driver = DriveGame(
        *windows->play,
        [&] {
            ResetThroughTools();
            positionsAfterReset = StoredPositions(main.Player().Document());
        },
        ExitThroughTools);
    main.RunPlayerMode();
    ASSERT_TRUE(driver->ran);
    EXPECT_EQ(positionsAfterReset, 0);
    EXPECT_FALSE(main.Player().changed);
    EXPECT_FALSE(main.isVisible()) << "nothing changed: the program ends";
    EXPECT_EQ(ExeImage(), image);
}

// `tessalune PUZZLE` on a file someone was sent: not executable, its program part built for
// another machine. The game is saved into that file's own bytes: no hand-over copy, the program
// part and the file's permissions as they were.
TEST_F(PlayerMode, OpenedPuzzleFileIsSavedIntoItsOwnBytes)
{
    const QByteArray programPart = "a program built for another machine\n";
    QByteArray sent = programPart;
    const QByteArray made = Made();
    for (const char *name : {SectionIsPuzzle, SectionSourceImage, SectionDocument})
        AppendSection(name, ReadSection(name, made), sent);
    const QString path = PathOf("received puzzle");
    ASSERT_TRUE(WriteBytes(path, sent));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    const QFile::Permissions permissions = QFile::permissions(path);
    OpenPuzzleFile(path);
    ExeImage().clear();
    const auto windows = std::make_unique<TPlayerWindows>(PlayedFilePath());
    TMainWindow &main = *windows->main;
    const auto driver = DriveGame(
        *windows->play, [&] { main.Player().changed = true; }, ExitThroughTools);
    main.RunPlayerMode();
    ASSERT_TRUE(driver->ran);
    ASSERT_EQ(main.m_pages->currentWidget(), main.m_saveQuestionPage);
    QTest::mouseClick(main.m_saveYesButton, Qt::LeftButton);
    OpenPuzzleFile(QString());

    const QByteArray saved = ReadBytes(path);
    EXPECT_TRUE(saved.startsWith(programPart));
    EXPECT_EQ(ReadSection(SectionDocument, saved), main.Player().Document().StoredText());
    EXPECT_NE(ReadSection(SectionDocument, saved), ReadSection(SectionDocument, sent));
    EXPECT_EQ(ReadSection(SectionSourceImage, saved), ReadSection(SectionSourceImage, made));
    EXPECT_EQ(QFile::permissions(path), permissions);
    EXPECT_FALSE(QFileInfo::exists(PathOf("tmp.exe")));
    EXPECT_FALSE(main.isVisible()) << "the save ends the game";
}

// A file chosen or dropped to play is read, never executed, unless it holds a puzzle.
TEST_F(PlayerMode, FileToPlayThatHoldsNoPuzzleIsRefusedNotRun)
{
    const auto windows = Puzzle(Made());
    const QString script = PathOf("not a puzzle");
    ASSERT_TRUE(WriteExecutable(script, "#!/bin/sh\ntouch \"$0.ran\"\n"));
    EXPECT_THROW(windows->main->PlayPuzzleFile(script), std::runtime_error);
    QTest::qWait(500);
    EXPECT_FALSE(QFileInfo::exists(script + ".ran"));
}

TEST_F(PlayerMode, BrowseMyPuzzlesStartsInTheWorkingFolderAndKeepsIt)
{
    const auto windows = Puzzle(Made());
    ASSERT_TRUE(QDir(m_folder.path()).mkpath("bin"));
    ASSERT_TRUE(Platform::SetWorkingFolder(PathOf("bin")));
    const QString before = Platform::WorkingFolder();
    QString shownFolder;
    const auto driver = DriveGame(
        *windows->play,
        [&] {
            AnswerModal<QFileDialog>([&](QFileDialog *dialog) {
                shownFolder = dialog->directory().absolutePath();
                dialog->reject();
            });
            QTest::mouseClick(ProgramWindows().toolsWindow->m_browseButton, Qt::LeftButton);
        },
        ExitThroughTools);
    windows->main->RunPlayerMode();
    ASSERT_TRUE(driver->ran);
    EXPECT_EQ(QFileInfo(shownFolder).canonicalFilePath(), QFileInfo(before).canonicalFilePath());
    EXPECT_EQ(Platform::WorkingFolder(), before);
    EXPECT_TRUE(QFileInfo(PathOf("my_puzzles")).isDir());
}

// A puzzle that cannot be played says why in the error box; the sequence ends without showing
// the game. Every refusal comes before the picture is decoded or cut.
TEST_F(PlayerMode, FailedPreparationsSayWhyAndEndTheSequence)
{
    const QByteArray made = Made();
    ExeImage() = made;
    TKeyedNode wide;
    wide.LoadFromText(ReadSection(SectionDocument));
    wide.SetAttr(KeyCols, "500");
    // A name of megabytes: the caption shows its start only.
    wide.SetAttr(KeyName, QByteArray(1 << 20, 'N'));
    TKeyedNode finest;
    finest.LoadFromText(ReadSection(SectionDocument));
    finest.SetAttr(KeyCols, "100");
    finest.SetAttr(KeyRows, "100");
    QByteArray hugePicture = ReadSection(SectionSourceImage);
    const qsizetype sof = hugePicture.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (int offset : {5, 7}) { // 9000 × 9000 pixels in the header
        hugePicture[sof + offset] = static_cast<char>(9000 >> 8);
        hugePicture[sof + offset + 1] = static_cast<char>(9000 & 255);
    }
    const QList<QPair<QByteArray, QString>> cases = {
        {WithSectionReplaced(made, SectionSourceImage, "not a JPEG file"), "JPEG"},
        {WithSectionReplaced(made, SectionDocument,
                             "<PUZZLE_DATA COLS=\"7\"><PIECES></PUZZLE_DATA>"),
         "Unclosed tag"},
        {WithSectionReplaced(made, SectionDocument, wide.SaveToText()), "cannot be cut"},
        {WithSectionReplaced(made, SectionDocument, ""), "has no document"},
        {WithSectionReplaced(made, SectionDocument, "<PUZZLE_DATA COLS=\"7\" ROWS=\"7\"/>"),
         "has no pieces"},
        {WithSectionReplaced(WithSectionReplaced(made, SectionDocument, finest.SaveToText()),
                             SectionSourceImage, hugePicture),
         "MiB"},
    };
    for (const auto &[image, reason] : cases) {
        SCOPED_TRACE(reason.toStdString());
        const auto windows = Puzzle(image);
        const auto driver = DriveGame(*windows->play, [] {});
        QString shown;
        AnswerModal<QMessageBox>([&shown](QMessageBox *box) {
            shown = box->text();
            box->accept();
        });
        windows->main->RunPlayerMode();
        EXPECT_FALSE(driver->ran);
        EXPECT_FALSE(windows->play->isVisible());
        EXPECT_EQ(windows->main->m_pages->currentWidget(), windows->main->m_loadingPage);
        EXPECT_TRUE(shown.contains(reason)) << shown.toStdString();
        EXPECT_LE(windows->main->windowTitle().size(), 256);
    }
}

// A changed game left without an answer (the save page closed by the window manager) comes back
// at the next start, changed; NO lets it go for good, so the start after plays the stored game.
TEST_F(PlayerMode, LeftGameComesBackUntilNoLetsItGo)
{
    const QByteArray made = Made();
    ASSERT_TRUE(WriteBytes(PathOf("tulips.exe"), made));
    // How each game started: changed or not, and how many pieces lay on the desktop.
    struct TStart {
        bool changed = false;
        int laid = -1;
    };
    const auto play = [&](const std::function<void(TMainWindow &)> &answer) {
        const auto windows = Puzzle(made);
        TMainWindow &main = *windows->main;
        TStart start;
        const auto driver = DriveGame(
            *windows->play,
            [&] {
                start.changed = main.Player().changed;
                start.laid = StoredPositions(main.Player().Document());
                TPuzzleDesktop &desktop = *windows->play->m_desktop;
                if (start.laid == 0)
                    DragPiece(desktop, desktop.ImageOfPiece(desktop.PalettePieces().first()),
                              QPoint(300, 100));
            },
            ExitThroughTools);
        main.RunPlayerMode();
        EXPECT_TRUE(driver->ran);
        answer(main);
        return start;
    };
    const auto leave = [](TMainWindow &main) { main.Player().WriteGameRecordNow(); };
    const auto answerNo = [](TMainWindow &main) { main.m_saveNoButton->click(); };

    EXPECT_FALSE(play(leave).changed);
    const TStart restored = play(answerNo);
    EXPECT_TRUE(restored.changed);
    EXPECT_EQ(restored.laid, 1);
    const TStart afterNo = play(leave);
    EXPECT_FALSE(afterNo.changed);
    EXPECT_EQ(afterNo.laid, 0);
}
