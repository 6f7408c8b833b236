// The jigsaw play window on real puzzles: preparing a game, restoring it, the tools window's
// placement, the first activation and the solved display.
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PlayChecks.h"
#include "engine/picture/JpegPicture.h"
#include "support/JpegBytes.h"
#include "support/PlayWindowFixture.h"
#include "windows/common/WindowInstances.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/JigsawPlayWindow.h"
#include "windows/play/ToolsWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QScreen>
#include <QStackedWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace PuzzleSchema;

namespace
{

// Counts the events of one type that reach any object.
class TEventCounter : public QObject
{
public:
    explicit TEventCounter(int type) : type(type) { qApp->installEventFilter(this); }
    ~TEventCounter() override { qApp->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == type)
            ++count;
        return false;
    }

private:
    int type;
};

// Records how the premium picture's bounds change during a solved display.
class TStepRecorder : public QObject
{
public:
    explicit TStepRecorder(TCentredPicture *image) : image(image)
    {
        image->installEventFilter(this);
    }
    int shrinks = 0;
    int grows = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Only the steps: while the picture fills its page it merely follows the page.
        if (event->type() == QEvent::Resize && !image->FillsPage()) {
            const auto *resize = static_cast<QResizeEvent *>(event);
            if (resize->size().width() < resize->oldSize().width())
                ++shrinks;
            else if (resize->size().width() > resize->oldSize().width())
                ++grows;
        }
        return false;
    }

private:
    TCentredPicture *image;
};

class PlayWindow : public ::testing::Test
{
protected:
    PlayWindow()
    {
        MakeTestDocument(document, 7, 7);
        QBuffer stream;
        stream.setData(JpegBytesOf(PhotoLikePicture({280, 210})));
        stream.open(QIODevice::ReadOnly);
        picture.LoadFromStream(stream);
    }
    ~PlayWindow() override { D_backgrounds = nullptr; }

    // Runs the game, doing action while it shows; the progress values reported are kept.
    void Play(const std::function<void()> &action)
    {
        const auto driver = DriveGame(window, action);
        window.RunGame(&picture, &document, [this](int percent) { progress.push_back(percent); });
        EXPECT_TRUE(driver->ran);
        EXPECT_FALSE(driver->timedOut);
    }

    TKelPigger *Piece(int index) const { return document.FindChild(PiecesNode)->Child(index); }
    TPieceImage *ImageOf(int index) const { return window.Odesktop->ImageOfRecord(Piece(index)); }

    TKelPigger document;
    TJPEGImage picture;
    std::vector<int> progress;
    TD_puzzle_js window;
};

} // namespace

TEST_F(PlayWindow, GameIsPreparedWithProgressInOrderAndEveryCellOnThePalette)
{
    int piecesShown = -1;
    int onPalette = -1;
    bool puzzlePageShown = false;
    Play([&] {
        piecesShown = static_cast<int>(window.Odesktop->Images().size());
        onPalette = static_cast<int>(window.Odesktop->PaletteRecords().size());
        puzzlePageShown = window.PageControl1->currentWidget() == window.TabSheet_puzzle;
    });
    EXPECT_EQ(progress, (std::vector<int>{0, 10, 20, 50, 70}));
    EXPECT_EQ(piecesShown, 49);
    EXPECT_EQ(onPalette, 49);
    EXPECT_TRUE(puzzlePageShown);
    // 280 × 210 in 7 × 7 cells: 40 × 30, margin 12.
    EXPECT_EQ(window.Geometry().cellWidth, 40);
    EXPECT_EQ(window.Geometry().cellHeight, 30);
    EXPECT_EQ(window.Geometry().pieceWidth, 64);
    // Row-major: the desktop's records are the document's pieces in order.
    for (int index = 0; index < 49; ++index)
        EXPECT_EQ(window.Odesktop->Records().at(index), Piece(index));
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
    EXPECT_EQ(window.Odesktop->DesktopPosition(ImageOf(0)), QPoint(400, 90));
    EXPECT_FALSE(ImageOf(0)->onPalette);
    EXPECT_TRUE(ImageOf(0)->IsVisible());
    EXPECT_TRUE(ImageOf(1)->onPalette);
    EXPECT_TRUE(ImageOf(2)->onPalette);
    // The platform conversion's rules: a sign, and "$" for hexadecimal.
    EXPECT_EQ(window.Odesktop->DesktopPosition(ImageOf(48)), QPoint(-40, 32));
    EXPECT_EQ(window.Odesktop->PaletteRecords().size(), 47);
}

TEST_F(PlayWindow, MissingRecordsGiveFewerPiecesAndNoRecordsAreRefused)
{
    TKelPigger *pieces = document.FindChild(PiecesNode);
    while (pieces->ChildCount() > 10)
        delete pieces->Child(pieces->ChildCount() - 1);
    Play([] {});
    EXPECT_EQ(window.Odesktop->Images().size(), 10u);

    TKelPigger bare;
    bare.SetName(RootNode);
    bare.SetAttr(KeyCols, "7");
    bare.SetAttr(KeyRows, "7");
    TD_puzzle_js second;
    const auto driver = DriveGame(second, [] {});
    // A game of no pieces is not a game: refused before anything is cut or shown.
    EXPECT_THROW(second.RunGame(&picture, &bare, {}), EPuzzleRefused);
    EXPECT_FALSE(driver->ran);
    EXPECT_TRUE(second.Odesktop->Images().empty());
    EXPECT_EQ(bare.FindChild(PiecesNode), nullptr);
}

TEST_F(PlayWindow, UnplayablePuzzlesFailBeforeTheWindowShows)
{
    const auto driver = DriveGame(window, [] {});
    document.SetAttr(KeyCols, "1000");
    EXPECT_ANY_THROW(window.RunGame(&picture, &document, {}));
    document.SetAttr(KeyCols, "7");

    TJPEGImage broken;
    QBuffer stream;
    stream.setData("not a picture");
    stream.open(QIODevice::ReadOnly);
    broken.LoadFromStream(stream);
    EXPECT_THROW(window.RunGame(&broken, &document, {}), EJPEGError);

    // A grid wider than the picture has pixels leaves cells of no width.
    TJPEGImage narrow;
    narrow.Assign(PhotoLikePicture({3, 100}));
    EXPECT_ANY_THROW(window.RunGame(&narrow, &document, {}));
    EXPECT_FALSE(driver->ran);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(PlayWindow, ToolsWindowWithoutStoredPlaceGoesToTheTopRight)
{
    QRect placed;
    Play([&] { placed = QRect(F_tools->pos(), F_tools->size()); });
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_EQ(placed.size(), QSize(TF_tools::DefaultWidth, TF_tools::DefaultHeight));
    EXPECT_EQ(placed.left(), screenWidth - TF_tools::DefaultWidth - 10);
    EXPECT_EQ(placed.top(), 10);
    // Closing the game stores the place.
    EXPECT_EQ(document.GetAttr(KeyToolsLeft), QByteArray::number(placed.left()));
    EXPECT_EQ(document.GetAttr(KeyToolsTop), "10");
    EXPECT_EQ(document.GetAttr(KeyToolsWidth), QByteArray::number(TF_tools::DefaultWidth));
    EXPECT_EQ(document.GetAttr(KeyToolsHeight), QByteArray::number(TF_tools::DefaultHeight));
}

TEST_F(PlayWindow, ToolsWindowTakesTheStoredPlaceAndKeepsWhatDoesNotConvert)
{
    document.SetAttr(KeyToolsLeft, "abc");
    document.SetAttr(KeyToolsTop, "33");
    document.SetAttr(KeyToolsWidth, "400");
    document.SetAttr(KeyToolsHeight, "x1");
    QRect placed;
    Play([&] {
        placed = QRect(F_tools->pos(), F_tools->size());
        F_tools->move(120, 140);
        F_tools->resize(320, 250);
    });
    // The designed place of the window: left 361, height 335.
    EXPECT_EQ(placed, QRect(361, 33, 400, TF_tools::DefaultHeight));
    EXPECT_EQ(document.GetAttr(KeyToolsLeft), "120");
    EXPECT_EQ(document.GetAttr(KeyToolsTop), "140");
    EXPECT_EQ(document.GetAttr(KeyToolsWidth), "320");
    EXPECT_EQ(document.GetAttr(KeyToolsHeight), "250");
}

TEST_F(PlayWindow, ToolsWindowIsKeptWithinReachOfTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QList<QList<QByteArray>> places = {{"100000", "-70000", "100000", "70000"},
                                             {"2147483647", "-2147483648", "", ""},
                                             {"-50", "5000", "320", "200"}};
    for (const QList<QByteArray> &place : places) {
        TKelPigger stored;
        MakeTestDocument(stored, 7, 7);
        stored.SetAttr(KeyToolsLeft, place[0]);
        stored.SetAttr(KeyToolsTop, place[1]);
        stored.SetAttr(KeyToolsWidth, place[2]);
        stored.SetAttr(KeyToolsHeight, place[3]);
        TD_puzzle_js game;
        QRect placed;
        const auto driver =
            DriveGame(game, [&] { placed = QRect(F_tools->pos(), F_tools->size()); });
        game.RunGame(&picture, &stored, {});
        EXPECT_TRUE(driver->ran);
        EXPECT_TRUE(screen.contains(placed)) << place.join(' ').constData();
    }
}

TEST_F(PlayWindow, LaterActivationsPostNothingAndMakeNoSecondToolsWindow)
{
    const TEventCounter showTools(WM_SHOW_TOOLS);
    TF_tools *first = nullptr;
    int postedBeforeReactivation = 0;
    Play([&] {
        first = F_tools;
        postedBeforeReactivation = showTools.count;
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(&window, &activation);
        QApplication::sendEvent(&window, &activation);
        QCoreApplication::processEvents();
    });
    EXPECT_EQ(postedBeforeReactivation, 1);
    EXPECT_EQ(showTools.count, 1);
    EXPECT_EQ(F_tools, first);
    EXPECT_EQ(window.findChildren<TF_tools *>().size(), 1);
}

TEST_F(PlayWindow, FirstActivationAppliesTheStoredBackground)
{
    TD_backgrounds backgrounds([this] { return &document; });
    D_backgrounds = &backgrounds;
    document.SetAttr(KeyTexture, "2");
    bool textureShown = false;
    Play([&] { textureShown = window.Odesktop->Image_bg->IsVisible(); });
    EXPECT_TRUE(textureShown);

    document.DeleteAttr(KeyTexture);
    document.SetAttr(KeyColor, "#FF0000");
    TD_puzzle_js second;
    QColor colour;
    const auto driver = DriveGame(second, [&] {
        textureShown = second.Odesktop->Image_bg->IsVisible();
        colour = second.Odesktop->Canvas()->BackgroundColour();
    });
    second.RunGame(&picture, &document, {});
    EXPECT_TRUE(driver->ran);
    EXPECT_FALSE(textureShown);
    EXPECT_EQ(colour, QColor(255, 0, 0));
}

TEST_F(PlayWindow, EscapeDoesNotEndTheGame)
{
    bool stillShown = false;
    Play([&] {
        QTest::keyClick(&window, Qt::Key_Escape);
        stillShown = window.isVisible();
    });
    EXPECT_TRUE(stillShown);
}

TEST(SolvedDisplay, PageOf1000By700ShrinksIn34StepsAndGrowsIn33)
{
    TD_puzzle_js window;
    window.resize(1000, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const TStepRecorder steps(window.Image_premium);
    QImage alternative(1000, 700, QImage::Format_RGB888);
    alternative.fill(Qt::yellow);
    window.ShowSolvedPicture(PhotoLikePicture({1000, 700}), alternative);
    EXPECT_EQ(steps.shrinks, 34);
    EXPECT_EQ(steps.grows, 33);
    EXPECT_EQ(window.PageControl1->currentWidget(), window.TabSheet_premium);
    EXPECT_EQ(window.Image_premium->geometry(), QRect(0, 0, 1000, 700));
    EXPECT_EQ(window.Image_premium->Picture(), alternative);
    // The page keeps being filled when the window changes size.
    window.resize(900, 650);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Image_premium->size(), QSize(900, 650));
}

TEST(SolvedDisplay, PageOf30By30ShrinksOnceAndDoesNotGrow)
{
    TD_puzzle_js window;
    window.resize(30, 30);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const TStepRecorder steps(window.Image_premium);
    window.ShowSolvedPicture(PhotoLikePicture({30, 30}), PhotoLikePicture({20, 20}));
    EXPECT_EQ(steps.shrinks, 1);
    EXPECT_EQ(steps.grows, 0);
    EXPECT_EQ(window.Image_premium->geometry(), QRect(0, 0, 30, 30));
}

TEST(MakingDocuments, PlayWindowMakesTheMakersDocument)
{
    TD_puzzle_js window;
    TKelPigger document;
    document.SetAttr(KeyTexture, "3");
    EXPECT_TRUE(window.MakePuzzleDocument(document, 9, 7, false, "Bridge", "", "web"));
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
    Play([&] { canvasSize = window.Odesktop->Canvas()->size(); });
    EXPECT_TRUE(ImageOf(0)->onPalette);
    EXPECT_TRUE(ImageOf(1)->onPalette);
    EXPECT_FALSE(ImageOf(2)->onPalette);
    // The desktop scrolls as far as the farthest piece.
    EXPECT_GE(canvasSize.width(), 100000 + window.Geometry().pieceWidth);
}
