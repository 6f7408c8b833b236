#include "engine/jigsaw/PaletteOrder.h"
#include "engine/jigsaw/PuzzleGame.h"
#include "support/DesktopFixture.h"
#include "support/ModalAnswer.h"
#include "windows/common/AboutWindow.h"
#include "windows/common/ClickableLabel.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/MessageWindow.h"
#include "windows/common/ProgramWindows.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/SortOrderBox.h"
#include "windows/play/ThumbnailFit.h"
#include "windows/play/ToolsWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <stdexcept>

namespace
{

// What the user saw while a modal window asked: the tools window must be out of the way.
struct TSeenDuringQuestion {
    bool toolsVisible = true;
    bool toolsMinimised = false;
};

class ToolsWindow : public ::testing::Test
{
protected:
    ToolsWindow()
    {
        m_about.SetUrlOpener([](const QUrl &) {});
        m_desktop.resize(800, 600);
        m_tools.show();
    }
    TToolsWindow::TGame Game()
    {
        TToolsWindow::TGame game;
        game.desktop = &m_desktop;
        game.backgrounds = &m_backgrounds;
        game.game = [this] { return &m_game; };
        game.closePlayWindow = [this] { ++m_playWindowCloses; };
        game.resetPuzzle = [this] { ++m_resets; };
        game.browsePuzzles = [this] {
            m_seen = {m_tools.isVisible(), m_tools.isMinimized()};
            ++m_browses;
        };
        return game;
    }

    // Answers the next confirmation with Yes or No and notes the tools window's state meanwhile.
    void AnswerQuestion(bool yes)
    {
        AnswerNextQuestion(yes, [this](TConfirmationWindow *question) {
            m_seen = {m_tools.isVisible(), m_tools.isMinimized()};
            m_askedText = question->m_questionLabel->text();
        });
    }

    bool RestoredToNormal() const
    {
        return m_tools.isVisible() && !(m_tools.windowState() & Qt::WindowMinimized);
    }

    TPuzzleGame m_game;
    TConfirmationWindow m_sure;
    TPublishedAs<TConfirmationWindow> m_publishedSure{ProgramWindows().confirmationWindow, &m_sure};
    TAboutWindow m_about;
    TPublishedAs<TAboutWindow> m_publishedAbout{ProgramWindows().aboutWindow, &m_about};
    TPuzzleDesktop m_desktop;
    TBackgroundsDialog m_backgrounds{[this] { return &m_game; }};
    int m_playWindowCloses = 0;
    int m_resets = 0;
    int m_browses = 0;
    TToolsWindow m_tools{Game()};
    TSeenDuringQuestion m_seen;
    QString m_askedText;
};

TEST_F(ToolsWindow, IsATopmostToolWindowWithItsDesignedAndMinimumSizes)
{
    EXPECT_TRUE(m_tools.windowFlags() & Qt::Tool);
    EXPECT_TRUE(m_tools.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(m_tools.windowTitle(), QStringLiteral("Tools"));
    EXPECT_EQ(m_tools.size(), QSize(344, TToolsWindow::DefaultHeight)) << "every control shows";
    m_tools.resize(100, 100);
    EXPECT_EQ(m_tools.size(), QSize(303, 150));
}

// The designed size, and an older stored one, grow when shown until every control is seen.
TEST_F(ToolsWindow, ShownAtAnOlderSizeItGrowsToShowEveryControl)
{
    for (const QSize size : {QSize(344, 335), QSize(303, 150)}) {
        m_tools.hide();
        m_tools.resize(size);
        m_tools.show();
        EXPECT_EQ(m_tools.width(), size.width());
        for (const QWidget *control :
             m_tools.m_commandPanel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(m_tools.rect().contains(
                QRect(control->mapTo(&m_tools, QPoint(0, 0)), control->size())))
                << control->accessibleName().toStdString();
    }
}

// The readouts follow every change of the game at once: drops, undo, reset, zoom and laying out.
TEST(ToolsReadouts, ProgressAndZoomCountRightAfterUndoAndReset)
{
    TDesktopGame game(7, 7, QSize(560, 420), QSize(1000, 700));
    TToolsWindow::TGame served;
    served.desktop = &game.desktop;
    TToolsWindow tools(served);
    const QLocale locale;
    const auto progress = [&](int onDesktop, int percent) {
        return QStringLiteral("%1 of %2 on the table · %3 % joined")
            .arg(locale.toString(onDesktop), locale.toString(49), locale.toString(percent));
    };
    EXPECT_EQ(tools.m_progressLabel->text(), progress(0, 0));
    EXPECT_EQ(tools.m_zoomLabel->text(), QStringLiteral("Zoom 100 %"));
    for (const int piece : {0, 1}) {
        game.desktop.m_paletteScrollBar->setValue(
            static_cast<int>(game.desktop.PalettePieces().indexOf(piece)));
        game.desktop.LayoutPalette();
        game.DragTo(game.Image(piece), QPoint(400 + 80 * piece, 120));
    }
    // One join of 2 · 7 · 7 - 7 - 7 = 84 is 1 %.
    EXPECT_EQ(tools.m_progressLabel->text(), progress(2, 1));
    EXPECT_TRUE(tools.m_progressLabel->toolTip().contains(QStringLiteral("1 of 84")));
    game.desktop.Undo();
    EXPECT_EQ(tools.m_progressLabel->text(), progress(1, 0));
    game.desktop.ResetGame();
    EXPECT_EQ(tools.m_progressLabel->text(), progress(0, 0));
    game.desktop.ZoomOut();
    EXPECT_EQ(tools.m_zoomLabel->text(), QStringLiteral("Zoom 80 %"));

    tools.m_layOutButton->click();
    const int stayed = static_cast<int>(game.desktop.PalettePieces().size());
    ASSERT_GT(stayed, 0);
    EXPECT_TRUE(tools.m_layOutNote->text().contains(locale.toString(stayed)));
    EXPECT_EQ(tools.m_progressLabel->text(), progress(49 - stayed, 0));
}

TEST_F(ToolsWindow, ThumbnailAtMinimumSizeKeepsAFivePixelMarginAndTheRatio)
{
    QImage picture(640, 480, QImage::Format_RGB888);
    picture.fill(Qt::darkGreen);
    m_tools.ShowPuzzleThumbnail(picture);
    m_tools.resize(303, 150);
    QCoreApplication::processEvents();

    ASSERT_EQ(m_tools.m_thumbnailPanel->size(), QSize(303 - 119, 150));
    // Box 174 × 140 is relatively taller than 4 : 3: full width, height 130.5 truncated.
    EXPECT_EQ(m_tools.m_thumbnailLabel->geometry(), QRect(5, 10, 174, 130));

    m_tools.resize(600, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_tools.m_thumbnailLabel->geometry(),
              FitThumbnailBounds(m_tools.m_thumbnailPanel->size(), {640, 480}))
        << "resizing the panel refits the thumbnail";
}

TEST_F(ToolsWindow, SortSetsDirectionFromTheItemAndPassesItsIndexAsOrder)
{
    struct TCase {
        int item, direction;
    };
    for (const TCase c : {TCase{1, -1}, TCase{2, 1}, TCase{0, 1}, TCase{7, -1}, TCase{8, 1}}) {
        m_tools.m_sortOrderBox->setCurrentIndex(c.item);
        QTest::mouseClick(m_tools.m_sortButton, Qt::LeftButton);
        EXPECT_EQ(SortDirection(), c.direction) << c.item;
        EXPECT_EQ(m_desktop.SortOrder(), c.item) << c.item;
    }
    EXPECT_TRUE(RestoredToNormal()) << "Sort does not minimise the window";
}

TEST_F(ToolsWindow, CloseRequestIsRefusedUntilExitIsConfirmed)
{
    EXPECT_FALSE(m_tools.close());
    EXPECT_TRUE(m_tools.isVisible());
    EXPECT_FALSE(m_tools.ExitConfirmed());
}

TEST_F(ToolsWindow, ExitAnsweredNoRestoresTheWindowAndKeepsTheGame)
{
    AnswerQuestion(false);
    QTest::mouseClick(m_tools.m_exitButton, Qt::LeftButton);

    EXPECT_EQ(m_askedText, QStringLiteral("Exit the game?"));
    EXPECT_FALSE(m_seen.toolsVisible) << "the window must not cover its question";
    EXPECT_TRUE(m_seen.toolsMinimised);
    EXPECT_EQ(m_playWindowCloses, 0);
    EXPECT_FALSE(m_tools.ExitConfirmed());
    EXPECT_TRUE(RestoredToNormal());
}

TEST_F(ToolsWindow, ExitAnsweredYesClosesThePlayWindowAndHidesThisOneForGood)
{
    AnswerQuestion(true);
    QTest::mouseClick(m_tools.m_exitButton, Qt::LeftButton);

    EXPECT_EQ(m_playWindowCloses, 1);
    EXPECT_TRUE(m_tools.ExitConfirmed());
    EXPECT_FALSE(m_tools.isVisible());
    EXPECT_TRUE(m_tools.windowState() & Qt::WindowMinimized);
}

TEST_F(ToolsWindow, ResetRunsOnlyAfterYesAndRestoresEitherWay)
{
    AnswerQuestion(false);
    QTest::mouseClick(m_tools.m_resetButton, Qt::LeftButton);
    EXPECT_EQ(m_askedText, QStringLiteral("Are you sure you want to reset the game?"));
    EXPECT_EQ(m_resets, 0);
    EXPECT_TRUE(RestoredToNormal());

    AnswerQuestion(true);
    QTest::mouseClick(m_tools.m_resetButton, Qt::LeftButton);
    EXPECT_EQ(m_resets, 1);
    EXPECT_FALSE(m_seen.toolsVisible);
    EXPECT_TRUE(RestoredToNormal());
}

TEST_F(ToolsWindow, BrowseRunsOutOfTheWayOfItsFileDialog)
{
    QTest::mouseClick(m_tools.m_browseButton, Qt::LeftButton);
    EXPECT_EQ(m_browses, 1);
    EXPECT_FALSE(m_seen.toolsVisible);
    EXPECT_TRUE(m_seen.toolsMinimised);
    EXPECT_TRUE(RestoredToNormal());
}

TEST_F(ToolsWindow, FailingCommandIsReportedWithTheWindowBack)
{
    TToolsWindow::TGame game = Game();
    game.resetPuzzle = [] { throw std::runtime_error("reset failed"); };
    TToolsWindow failing(game);
    failing.show();
    AnswerNextQuestion(true);
    QString reported;
    bool restoredWhenReported = false;
    AcceptNextMessageBox([&](QMessageBox *box) {
        reported = box->text();
        restoredWhenReported =
            failing.isVisible() && !(failing.windowState() & Qt::WindowMinimized);
    });
    QTest::mouseClick(failing.m_resetButton, Qt::LeftButton);
    EXPECT_EQ(reported, QStringLiteral("reset failed"));
    EXPECT_TRUE(restoredWhenReported);
}

TEST_F(ToolsWindow, AboutShowsTheGamesTextsAndAnEmptyWebsiteWhenMissing)
{
    m_game.name = "Harbour at dusk";
    m_game.author = "Ana";
    QString name, author, website;
    bool toolsVisible = true;
    AnswerModal<TAboutWindow>([&](TAboutWindow *shown) {
        name = shown->m_nameLabel->text();
        author = shown->m_authorLabel->text();
        website = shown->m_websiteLink->text();
        toolsVisible = m_tools.isVisible();
        QTest::mouseClick(shown->m_okButton, Qt::LeftButton);
    });
    QTest::mouseClick(m_tools.m_aboutButton, Qt::LeftButton);

    EXPECT_EQ(name, QStringLiteral("Harbour at dusk"));
    EXPECT_EQ(author, QStringLiteral("Ana"));
    EXPECT_EQ(website, QStringLiteral("N/A")) << "an empty website shows as not available";
    EXPECT_FALSE(toolsVisible);
    EXPECT_TRUE(RestoredToNormal());
}

TEST_F(ToolsWindow, DesktopCommandAppliesTheDialogsChoiceAndCancelChangesNothing)
{
    const auto chooseTexture = [](TBackgroundsDialog *shown) {
        QTest::mouseClick(shown->m_textureRadio, Qt::LeftButton);
        QTest::mouseClick(shown->m_texturePreviews[2], Qt::LeftButton);
    };
    AnswerModal<TBackgroundsDialog>([&](TBackgroundsDialog *shown) {
        chooseTexture(shown);
        QTest::mouseClick(shown->m_cancelButton, Qt::LeftButton);
    });
    QTest::mouseClick(m_tools.m_desktopButton, Qt::LeftButton);
    EXPECT_FALSE(m_desktop.m_backgroundPicture->IsVisible());
    EXPECT_TRUE(RestoredToNormal());

    AnswerModal<TBackgroundsDialog>([&](TBackgroundsDialog *shown) {
        chooseTexture(shown);
        QTest::mouseClick(shown->m_okButton, Qt::LeftButton);
    });
    QTest::mouseClick(m_tools.m_desktopButton, Qt::LeftButton);
    EXPECT_TRUE(m_desktop.m_backgroundPicture->IsVisible());
    EXPECT_EQ(m_game.backgroundTexture, 3);

    m_game.backgroundColour = 0x604020; // #204060
    AnswerModal<TBackgroundsDialog>([](TBackgroundsDialog *shown) {
        QTest::mouseClick(shown->m_colourRadio, Qt::LeftButton);
        QTest::mouseClick(shown->m_okButton, Qt::LeftButton);
    });
    QTest::mouseClick(m_tools.m_desktopButton, Qt::LeftButton);
    EXPECT_FALSE(m_desktop.m_backgroundPicture->IsVisible());
    EXPECT_EQ(m_desktop.Canvas()->BackgroundColour(), QColor(0x20, 0x40, 0x60));
}

TEST(SortOrderBox, ListsNineOrdersDrawnOnlyAsGlyphsNeverHighlighted)
{
    QWidget parent;
    TSortOrderBox box(&parent);
    ASSERT_EQ(box.count(), 9);
    EXPECT_EQ(box.itemText(1), QStringLiteral("Top M"));
    EXPECT_EQ(box.itemText(8), QStringLiteral("Left F"));

    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 64, 24);
    option.palette.setColor(QPalette::Base, Qt::white);
    option.state = QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_Enabled;
    EXPECT_EQ(box.itemDelegate()->sizeHint(option, box.model()->index(0, 0)).height(), 24);

    QImage item(64, 24, QImage::Format_ARGB32);
    item.fill(Qt::red);
    {
        QPainter painter(&item);
        box.itemDelegate()->paint(&painter, option, box.model()->index(1, 0));
    }
    EXPECT_EQ(item.pixel(2, 2), qRgb(255, 255, 255)) << "erased in the window colour, selected";
    EXPECT_EQ(item.pixel(60, 20), qRgb(255, 255, 255));
    const QColor body = item.pixelColor(TSortOrderBox::GlyphLeft + 12, 12);
    EXPECT_GT(body.blue(), 150) << "the glyph sits 10 pixels in";
    EXPECT_LT(body.red(), 100);
}

// Whether the glyph covers the point (alpha above half).
bool Covers(const QImage &glyph, int x, int y)
{
    return qAlpha(glyph.pixel(x, y)) > 128;
}

TEST(SortGlyphs, EachOrderShowsItsEdgeOnItsSide)
{
    QWidget parent;
    TSortOrderBox box(&parent);
    for (int order = 0; order < 9; ++order) {
        EXPECT_EQ(box.Glyph(order).size(), QSize(24, 24)) << order;
        EXPECT_FALSE(Covers(box.Glyph(order), 0, 0)) << "transparent background " << order;
    }
    EXPECT_TRUE(Covers(box.Glyph(0), 6, 11)) << "None: dashes";
    EXPECT_FALSE(Covers(box.Glyph(0), 12, 12)) << "None: gap between the dashes";

    // Tabs reach outside the body (which spans 6.5 to 17.5), holes cut into it.
    const QPoint outside[] = {{12, 3}, {20, 12}, {12, 20}, {3, 12}};
    const QPoint cutIn[] = {{12, 8}, {16, 12}, {12, 16}, {8, 12}};
    for (int side = 0; side < 4; ++side) {
        const QImage &tab = box.Glyph(1 + 2 * side);
        const QImage &hole = box.Glyph(2 + 2 * side);
        EXPECT_TRUE(Covers(tab, outside[side].x(), outside[side].y())) << side;
        EXPECT_TRUE(Covers(tab, cutIn[side].x(), cutIn[side].y())) << side;
        EXPECT_FALSE(Covers(hole, outside[side].x(), outside[side].y())) << side;
        EXPECT_FALSE(Covers(hole, cutIn[side].x(), cutIn[side].y())) << side;
        EXPECT_TRUE(Covers(hole, 7, 7)) << side;
    }
}

} // namespace

TEST_F(ToolsWindow, PlayAidsAreReachableByTabAndNamedForScreenReaders)
{
    const QList<QWidget *> controls =
        m_tools.m_commandPanel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    ASSERT_GE(controls.size(), 16);
    for (const QWidget *control : controls) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
        EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus)
            << control->accessibleName().toStdString();
    }
    EXPECT_TRUE(m_tools.m_undoButton->toolTip().contains(QStringLiteral("Ctrl+Z")));
}

// The Keys list names every key, turning included, in a window that shows all of its lines.
TEST_F(ToolsWindow, KeysListIsShownWholeInAWindowThatFitsIt)
{
    TMessageWindow message;
    TPublishedAs<TMessageWindow> published{ProgramWindows().messageWindow, &message};
    QString shown;
    bool fits = false;
    AnswerModal<TMessageWindow>([&](TMessageWindow *window) {
        const QLabel *label = window->m_messageLabel;
        shown = label->text();
        const QRect screen = window->screen()->availableGeometry();
        fits = label->heightForWidth(label->width()) <= label->height() &&
               window->rect().contains(label->geometry()) &&
               !window->m_okButton->geometry().intersects(label->geometry()) &&
               screen.contains(window->frameGeometry());
        QTest::keyClick(window, Qt::Key_Return);
    });
    QTest::mouseClick(m_tools.m_keysButton, Qt::LeftButton);
    for (const char *key : {"Ctrl+E", "Ctrl+L", "F11", "Tab", "R,", "right button", "Shift+wheel"})
        EXPECT_TRUE(shown.contains(QLatin1String(key))) << key;
    EXPECT_TRUE(fits);
}

TEST_F(ToolsWindow, MoveJoinedIsOffByDefaultAndRemembered)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("Tessalune"), QStringLiteral("Tessalune")).clear();
    TToolsWindow fresh(Game());
    EXPECT_FALSE(fresh.m_moveJoinedBox->isChecked());
    EXPECT_FALSE(m_desktop.GroupMoves());
    fresh.m_moveJoinedBox->click();
    EXPECT_TRUE(m_desktop.GroupMoves());

    m_desktop.SetGroupMoves(false);
    TToolsWindow next(Game());
    EXPECT_TRUE(next.m_moveJoinedBox->isChecked()) << "remembered for the user";
    EXPECT_TRUE(m_desktop.GroupMoves());
    next.m_moveJoinedBox->click();
}

TEST_F(ToolsWindow, EdgePiecesToggleFiltersThePalette)
{
    m_tools.m_edgePiecesButton->click();
    EXPECT_TRUE(m_desktop.BorderPiecesOnly());
    m_tools.m_edgePiecesButton->click();
    EXPECT_FALSE(m_desktop.BorderPiecesOnly());
}
