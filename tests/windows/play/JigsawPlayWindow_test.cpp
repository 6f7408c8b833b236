// The jigsaw play window on real puzzles: preparing a game, restoring it, the tools window's
// placement, the first activation and the solved display.
#include "engine/container/DocumentValues.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PieceTurns.h"
#include "engine/jigsaw/PlayChecks.h"
#include "engine/jigsaw/PlayClock.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"
#include "support/JpegBytes.h"
#include "support/PlayWindowFixture.h"
#include "windows/common/PlayerSession.h"
#include "windows/common/ProgramWindows.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/JigsawPlayWindow.h"
#include "windows/play/ToolsWindow.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace PuzzleSchema;

namespace
{

// Counts the events of one type that reach any object.
class TEventCounter : public QObject
{
public:
    explicit TEventCounter(int type) : m_type(type) { qApp->installEventFilter(this); }
    ~TEventCounter() override { qApp->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++count;
        return false;
    }

private:
    int m_type;
};

// Records how the premium picture's bounds change during a solved display.
class TStepRecorder : public QObject
{
public:
    explicit TStepRecorder(TCentredPicture *image) : m_image(image)
    {
        image->installEventFilter(this);
    }
    int shrinks = 0;
    int grows = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Only the steps: while the picture fills its page it merely follows the page.
        if (event->type() == QEvent::Resize && !m_image->FillsPage()) {
            const auto *resize = static_cast<QResizeEvent *>(event);
            if (resize->size().width() < resize->oldSize().width())
                ++shrinks;
            else if (resize->size().width() > resize->oldSize().width())
                ++grows;
        }
        return false;
    }

private:
    TCentredPicture *m_image;
};

class PlayWindow : public ::testing::Test
{
protected:
    PlayWindow()
    {
        TPuzzleDocument made;
        MakeTestDocument(made, 7, 7);
        m_document.LoadFromText(made.StoredText());
        m_pictureBytes = JpegBytesOf(PhotoLikePicture({280, 210}));
    }
    ~PlayWindow() override { ProgramWindows().backgroundsDialog.Publish(nullptr); }

    // Runs the game, doing action while it shows; the progress values reported are kept.
    void Play(const std::function<void()> &action)
    {
        const auto driver = DriveGame(m_window, action);
        m_window.RunGame(Played(), [this](int percent) { m_progress.push_back(percent); });
        m_document.LoadFromText(m_session.Document().Text());
        EXPECT_TRUE(driver->ran);
        EXPECT_FALSE(driver->timedOut);
    }

    // The game the windows play, read from the stored document and the picture as the player
    // reads them.
    TPlayerSession &Played()
    {
        Load(m_session, m_document.SaveToText());
        return m_session;
    }

    void Load(TPlayerSession &session, const QByteArray &stored) const
    {
        session.Document() = TPuzzleDocument(stored);
        session.SourcePicture().SetData(m_pictureBytes);
    }

    TKeyedNode *Piece(int index) const { return m_document.FindChild(PiecesNode)->Child(index); }
    TPieceImage *ImageOf(int index) const { return m_window.m_desktop->ImageOfPiece(index); }

    // The stored form the tests write and read; kept from the played game after each game.
    TKeyedNode m_document;
    TPlayerSession m_session;
    QByteArray m_pictureBytes;
    std::vector<int> m_progress;
    TJigsawPlayWindow m_window;
};

} // namespace

TEST_F(PlayWindow, GameIsPreparedWithProgressInOrderAndEveryCellOnThePalette)
{
    int piecesShown = -1;
    int onPalette = -1;
    bool puzzlePageShown = false;
    Play([&] {
        piecesShown = static_cast<int>(m_window.m_desktop->Images().size());
        onPalette = static_cast<int>(m_window.m_desktop->PalettePieces().size());
        puzzlePageShown = m_window.m_pages->currentWidget() == m_window.m_puzzlePage;
    });
    EXPECT_EQ(m_progress, (std::vector<int>{0, 10, 20, 50, 70}));
    EXPECT_EQ(piecesShown, 49);
    EXPECT_EQ(onPalette, 49);
    EXPECT_TRUE(puzzlePageShown);
    // 280 × 210 in 7 × 7 cells: 40 × 30, margin 12.
    EXPECT_EQ(m_window.Geometry().cellWidth, 40);
    EXPECT_EQ(m_window.Geometry().cellHeight, 30);
    EXPECT_EQ(m_window.Geometry().pieceWidth, 64);
    // Row-major: the desktop's pieces are the document's pieces in order.
    const TPuzzleGame stored = ReadPuzzleGame(m_document);
    for (int index = 0; index < 49; ++index)
        EXPECT_EQ(m_window.m_desktop->Pieces()[static_cast<std::size_t>(index)],
                  stored.pieces[static_cast<std::size_t>(index)]);
}

TEST_F(PlayWindow, StoredPositionsAreRestoredAndUnreadableOnesStayOnThePalette)
{
    Piece(0)->SetAttr(KeyPieceLeft, "400");
    Piece(0)->SetAttr(KeyPieceTop, "90");
    Piece(1)->SetAttr(KeyPieceLeft, "abc");
    Piece(1)->SetAttr(KeyPieceTop, "90");
    Piece(2)->SetAttr(KeyPieceLeft, "200");
    Piece(48)->SetAttr(KeyPieceLeft, "-40");
    Piece(48)->SetAttr(KeyPieceTop, "$20");
    Play([] {});
    EXPECT_EQ(m_window.m_desktop->DesktopPosition(ImageOf(0)), QPoint(400, 90));
    EXPECT_FALSE(ImageOf(0)->m_onPalette);
    EXPECT_TRUE(ImageOf(0)->IsVisible());
    EXPECT_TRUE(ImageOf(1)->m_onPalette);
    EXPECT_TRUE(ImageOf(2)->m_onPalette);
    // The platform conversion's rules: a sign, and "$" for hexadecimal.
    EXPECT_EQ(m_window.m_desktop->DesktopPosition(ImageOf(48)), QPoint(-40, 32));
    EXPECT_EQ(m_window.m_desktop->PalettePieces().size(), 47);
}

TEST_F(PlayWindow, MissingRecordsGiveFewerPiecesAndNoRecordsAreRefused)
{
    TKeyedNode *pieces = m_document.FindChild(PiecesNode);
    while (pieces->ChildCount() > 10)
        delete pieces->Child(pieces->ChildCount() - 1);
    Play([] {});
    EXPECT_EQ(m_window.m_desktop->Images().size(), 10u);

    TKeyedNode bare;
    bare.SetName(RootNode);
    bare.SetAttr(KeyCols, "7");
    bare.SetAttr(KeyRows, "7");
    TJigsawPlayWindow second;
    const auto driver = DriveGame(second, [] {});
    // A game of no pieces is not a game: refused before anything is cut or shown.
    TPlayerSession bareSession;
    Load(bareSession, bare.SaveToText());
    EXPECT_THROW(second.RunGame(bareSession, {}), EPuzzleRefused);
    EXPECT_FALSE(driver->ran);
    EXPECT_TRUE(second.m_desktop->Images().empty());
    EXPECT_EQ(bareSession.Document().StoredText(), bare.SaveToText());
}

TEST_F(PlayWindow, UnplayablePuzzlesFailBeforeTheWindowShows)
{
    const auto driver = DriveGame(m_window, [] {});
    m_document.SetAttr(KeyCols, "1000");
    EXPECT_ANY_THROW(m_window.RunGame(Played(), {}));
    m_document.SetAttr(KeyCols, "7");

    Played().SourcePicture().SetData("not a picture");
    EXPECT_THROW(m_window.RunGame(m_session, {}), EJPEGError);

    // A grid wider than the picture has pixels leaves cells of no width.
    Played().SourcePicture().Assign(PhotoLikePicture({3, 100}));
    EXPECT_ANY_THROW(m_window.RunGame(m_session, {}));
    EXPECT_FALSE(driver->ran);
    EXPECT_FALSE(m_window.isVisible());
}

TEST_F(PlayWindow, ToolsWindowWithoutStoredPlaceGoesToTheTopRight)
{
    QRect placed;
    Play([&] {
        placed = QRect(ProgramWindows().toolsWindow->pos(), ProgramWindows().toolsWindow->size());
    });
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_EQ(placed.size(), QSize(TToolsWindow::DefaultWidth, TToolsWindow::DefaultHeight));
    EXPECT_EQ(placed.left(), screenWidth - TToolsWindow::DefaultWidth - 10);
    EXPECT_EQ(placed.top(), 10);
    // Closing the game stores the place.
    EXPECT_EQ(m_document.GetAttr(KeyToolsLeft), QByteArray::number(placed.left()));
    EXPECT_EQ(m_document.GetAttr(KeyToolsTop), "10");
    EXPECT_EQ(m_document.GetAttr(KeyToolsWidth), QByteArray::number(TToolsWindow::DefaultWidth));
    EXPECT_EQ(m_document.GetAttr(KeyToolsHeight), QByteArray::number(TToolsWindow::DefaultHeight));
}

TEST_F(PlayWindow, ToolsWindowTakesTheStoredPlaceAndKeepsWhatDoesNotConvert)
{
    m_document.SetAttr(KeyToolsLeft, "abc");
    m_document.SetAttr(KeyToolsTop, "33");
    m_document.SetAttr(KeyToolsWidth, "400");
    m_document.SetAttr(KeyToolsHeight, "x1");
    QRect placed;
    Play([&] {
        placed = QRect(ProgramWindows().toolsWindow->pos(), ProgramWindows().toolsWindow->size());
        ProgramWindows().toolsWindow->move(120, 140);
        ProgramWindows().toolsWindow->resize(320, 250);
    });
    // The designed place of the window: left 361, height 335.
    EXPECT_EQ(placed, QRect(361, 33, 400, TToolsWindow::DefaultHeight));
    EXPECT_EQ(m_document.GetAttr(KeyToolsLeft), "120");
    EXPECT_EQ(m_document.GetAttr(KeyToolsTop), "140");
    EXPECT_EQ(m_document.GetAttr(KeyToolsWidth), "320");
    EXPECT_EQ(m_document.GetAttr(KeyToolsHeight), "250");
}

TEST_F(PlayWindow, ToolsWindowIsKeptWithinReachOfTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QList<QList<QByteArray>> places = {{"100000", "-70000", "100000", "70000"},
                                             {"2147483647", "-2147483648", "", ""},
                                             {"-50", "5000", "320", "200"}};
    for (const QList<QByteArray> &place : places) {
        TKeyedNode stored;
        stored.LoadFromText(m_document.SaveToText());
        stored.SetAttr(KeyToolsLeft, place[0]);
        stored.SetAttr(KeyToolsTop, place[1]);
        stored.SetAttr(KeyToolsWidth, place[2]);
        stored.SetAttr(KeyToolsHeight, place[3]);
        TPlayerSession played;
        Load(played, stored.SaveToText());
        TJigsawPlayWindow game;
        QRect placed;
        const auto driver = DriveGame(game, [&] {
            placed =
                QRect(ProgramWindows().toolsWindow->pos(), ProgramWindows().toolsWindow->size());
        });
        game.RunGame(played, {});
        EXPECT_TRUE(driver->ran);
        EXPECT_TRUE(screen.contains(placed)) << place.join(' ').constData();
    }
}

TEST_F(PlayWindow, LaterActivationsPostNothingAndMakeNoSecondToolsWindow)
{
    const TEventCounter showTools(WM_SHOW_TOOLS);
    TToolsWindow *first = nullptr;
    int postedBeforeReactivation = 0;
    Play([&] {
        first = ProgramWindows().toolsWindow.Existing();
        postedBeforeReactivation = showTools.count;
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(&m_window, &activation);
        QApplication::sendEvent(&m_window, &activation);
        QCoreApplication::processEvents();
    });
    EXPECT_EQ(postedBeforeReactivation, 1);
    EXPECT_EQ(showTools.count, 1);
    EXPECT_EQ(ProgramWindows().toolsWindow.Existing(), first);
    EXPECT_EQ(m_window.findChildren<TToolsWindow *>().size(), 1);
}

TEST_F(PlayWindow, FirstActivationAppliesTheStoredBackground)
{
    TBackgroundsDialog backgrounds([this] { return &m_session.Document().Game(); });
    ProgramWindows().backgroundsDialog.Publish(&backgrounds);
    m_document.SetAttr(KeyTexture, "2");
    bool textureShown = false;
    Play([&] { textureShown = m_window.m_desktop->m_backgroundPicture->IsVisible(); });
    EXPECT_TRUE(textureShown);

    m_document.DeleteAttr(KeyTexture);
    m_document.SetAttr(KeyColor, "#FF0000");
    // The first game's tools window serves the second too: hidden, it shows again only once the
    // second game's first activation has applied the background.
    ProgramWindows().toolsWindow->hide();
    TJigsawPlayWindow second;
    QColor colour;
    const auto driver = DriveGame(second, [&] {
        textureShown = second.m_desktop->m_backgroundPicture->IsVisible();
        colour = second.m_desktop->Canvas()->BackgroundColour();
    });
    second.RunGame(Played(), {});
    EXPECT_TRUE(driver->ran);
    EXPECT_FALSE(textureShown);
    EXPECT_EQ(colour, QColor(255, 0, 0));
}

TEST_F(PlayWindow, EscapeDoesNotEndTheGame)
{
    bool stillShown = false;
    Play([&] {
        QTest::keyClick(&m_window, Qt::Key_Escape);
        stillShown = m_window.isVisible();
    });
    EXPECT_TRUE(stillShown);
}

TEST(SolvedDisplay, PageOf1000By700ShrinksIn34StepsAndGrowsIn33)
{
    TJigsawPlayWindow window;
    window.resize(1000, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const TStepRecorder steps(window.m_solvedPicture);
    QImage alternative(1000, 700, QImage::Format_RGB888);
    alternative.fill(Qt::yellow);
    QSignalSpy shown(&window, &TPlayWindowBase::SolvedPictureShown);
    window.ShowSolvedPicture(PhotoLikePicture({1000, 700}), alternative);
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(steps.shrinks, 34);
    EXPECT_EQ(steps.grows, 33);
    EXPECT_EQ(window.m_pages->currentWidget(), window.m_solvedPage);
    EXPECT_EQ(window.m_solvedPicture->geometry(), QRect(0, 0, 1000, 700));
    EXPECT_EQ(window.m_solvedPicture->Picture(), alternative);
    // The page keeps being filled when the window changes size.
    window.resize(900, 650);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.m_solvedPicture->size(), QSize(900, 650));
}

TEST(SolvedDisplay, PageOf30By30ShrinksOnceAndDoesNotGrow)
{
    TJigsawPlayWindow window;
    window.resize(30, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const TStepRecorder steps(window.m_solvedPicture);
    QSignalSpy shown(&window, &TPlayWindowBase::SolvedPictureShown);
    window.ShowSolvedPicture(PhotoLikePicture({30, 30}), PhotoLikePicture({20, 20}));
    ASSERT_TRUE(shown.wait(10000));
    EXPECT_EQ(steps.shrinks, 1);
    EXPECT_EQ(steps.grows, 0);
    EXPECT_EQ(window.m_solvedPicture->geometry(), QRect(0, 0, 30, 30));
}

TEST(MakingDocuments, TheMakersDocumentHoldsTheHeaderInOrder)
{
    TKeyedNode document;
    document.LoadFromText(
        TPuzzleDocument(MakePuzzleGame({9, 7, false, "Bridge", "", "web"})).StoredText());
    EXPECT_EQ(document.Name(), RootNode);
    EXPECT_EQ(document.AttrNames(),
              (QList<QByteArray>{KeyName, KeyWebsite, KeyCols, KeyRows, KeyBorders}));
    EXPECT_EQ(document.GetAttr(KeyRows), "9");
    EXPECT_EQ(document.GetAttr(KeyBorders), "N");
    EXPECT_EQ(document.FindChild(PiecesNode)->ChildCount(), 63);
}

TEST_F(PlayWindow, PositionsBeyondWhatTheDesktopCanHoldStayOnThePalette)
{
    Piece(0)->SetAttr(KeyPieceLeft, "2147483647");
    Piece(0)->SetAttr(KeyPieceTop, "90");
    Piece(1)->SetAttr(KeyPieceLeft, "400");
    Piece(1)->SetAttr(KeyPieceTop, "-2147483648");
    Piece(2)->SetAttr(KeyPieceLeft, "100000");
    Piece(2)->SetAttr(KeyPieceTop, "90");
    QSize canvasSize;
    Play([&] { canvasSize = m_window.m_desktop->Canvas()->size(); });
    EXPECT_TRUE(ImageOf(0)->m_onPalette);
    EXPECT_TRUE(ImageOf(1)->m_onPalette);
    EXPECT_FALSE(ImageOf(2)->m_onPalette);
    // The desktop scrolls as far as the farthest piece.
    EXPECT_GE(canvasSize.width(), 100000 + m_window.Geometry().pieceWidth);
}

TEST_F(PlayWindow, ClockRunsWhileShownAndTheSolveSavesItWithTheBestTime)
{
    m_document.SetAttr(KeyPlayedSeconds, "100");
    m_document.SetAttr(KeyBestSeconds, "5000");
    bool fullScreen = false;
    std::int64_t whileMinimised = -1;
    QString shown;
    Play([&] {
        QTest::qWait(1100);
        m_window.showMinimized();
        const std::int64_t minimisedAt = m_window.Clock().PlayedMs();
        QTest::qWait(1100);
        whileMinimised = m_window.Clock().PlayedMs() - minimisedAt;
        m_window.showMaximized();
        ProgramWindows().toolsWindow->m_fullScreenButton->click();
        fullScreen = m_window.isFullScreen();
        m_window.PuzzleSolved();
        shown = ProgramWindows().toolsWindow->m_clockLabel->text();
    });
    EXPECT_TRUE(fullScreen);
    EXPECT_LT(whileMinimised, 200);
    EXPECT_GE(TextToIntDef(m_document.GetAttr(KeyPlayedSeconds), 0), 101);
    EXPECT_EQ(m_document.GetAttr(KeyBestSeconds), m_document.GetAttr(KeyPlayedSeconds));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Solved in 1:4"))) << shown.toStdString();
}

// A saved game of a turned puzzle comes back as it was left: each piece shown in its stored
// turn, made from the piece cut upright.
TEST_F(PlayWindow, TurnedPuzzleRestoresEveryTurn)
{
    TKeyedNode *pieces = m_document.FindChild(PiecesNode);
    pieces->SetName(TurnedPiecesNode);
    for (int i = 0; i < pieces->ChildCount(); ++i)
        pieces->Child(i)->SetAttr(KeyTurn, QByteArray::number(i % 4));
    pieces->Child(5)->SetAttr(KeyPieceLeft, "400");
    pieces->Child(5)->SetAttr(KeyPieceTop, "90");
    Play([] {});
    ASSERT_TRUE(m_window.m_desktop->TurnedPieces());
    ASSERT_EQ(m_window.m_desktop->Images().size(), 49u);
    for (int i = 0; i < 49; ++i) {
        const TPieceImage *image = m_window.m_desktop->ImageOfPiece(i);
        EXPECT_EQ(image->Turn(), i % 4);
        EXPECT_EQ(image->Bounds().size(), QSize(64, 54)) << "the upright piece's bounds";
        EXPECT_EQ(image->Picture().size(),
                  TurnedImage(QImage(64, 54, QImage::Format_ARGB32), i).size());
    }
    EXPECT_EQ(m_window.m_desktop->DesktopPosition(m_window.m_desktop->ImageOfPiece(5)),
              QPoint(400, 90));
}
