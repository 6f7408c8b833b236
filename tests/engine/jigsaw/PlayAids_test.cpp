// The engine's play aids: the move history, the clock and where lost pieces come back.

#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/LostPieces.h"
#include "engine/jigsaw/MoveHistory.h"
#include "engine/jigsaw/PlayClock.h"

#include <gtest/gtest.h>

TEST(MoveHistory, UndoRedoWalkTheStepsAndANewStepForgetsTheUndone)
{
    TMoveHistory history;
    history.Record({{0, std::nullopt, QPoint(10, 20)}});
    history.Record({{1, QPoint(0, 0), QPoint(0, 0)}}); // moved nothing: not kept
    history.Record({{0, QPoint(10, 20), QPoint(30, 40)}, {2, QPoint(1, 1), std::nullopt}});

    const auto undone = history.Undo();
    ASSERT_TRUE(undone);
    EXPECT_EQ((*undone)[0].to, QPoint(10, 20)) << "reversed";
    EXPECT_EQ((*undone)[1].to, QPoint(1, 1));
    EXPECT_EQ(history.Redo()->at(1).to, std::nullopt);
    EXPECT_FALSE(history.Redo());

    history.Undo();
    history.Record({{3, std::nullopt, QPoint(5, 5)}});
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Undo()->at(0).piece, 3);
    EXPECT_EQ(history.Undo()->at(0).piece, 0);
    EXPECT_FALSE(history.Undo());
}

TEST(PlayClock, CountsOnlyShownAndActiveTime)
{
    TPlayClock clock;
    clock.Start(5000, 0);
    clock.Tick(10000);
    EXPECT_EQ(clock.PlayedMs(), 15000);
    clock.SetHidden(true, 10000);
    clock.Tick(500000);
    EXPECT_EQ(clock.PlayedMs(), 15000) << "minimised";
    clock.SetHidden(false, 500000);
    clock.Tick(700000);
    EXPECT_EQ(clock.PlayedMs(), 15000 + TPlayClock::IdleLimitMs) << "idle after a minute";
    EXPECT_FALSE(clock.IsRunning(700000));
    clock.NoteActivity(700000);
    clock.Tick(701000);
    EXPECT_EQ(clock.PlayedMs(), 16000 + TPlayClock::IdleLimitMs);
}

TEST(PlayClock, TimesAreStoredAndTheBestKept)
{
    TPuzzleGame game;
    EXPECT_EQ(BestSeconds(game), 0);
    StoreSolveTime(game, 300);
    StoreSolveTime(game, 400);
    EXPECT_EQ(PlayedSeconds(game), 400);
    EXPECT_EQ(BestSeconds(game), 300);
    EXPECT_EQ(PlayedSeconds(TPuzzleDocument(QByteArray("<PUZZLE_DATA PLAYSECS=\"-7\"/>")).Game()),
              0);
    EXPECT_EQ(FormatPlayTime(65), "1:05");
    EXPECT_EQ(FormatPlayTime(3 * 3600 + 7), "3:00:07");
}

TEST(LostPieces, FreePlacesLieInTheAreaOnTheGridAndApartFromTakenOnes)
{
    const QRect area(100, 50, 400, 300);
    const QSize cell(80, 60);
    const QSize piece(100, 80);
    const QList<QPoint> taken{{160, 60}, {243, 118}}; // the second one off the grid
    const QList<QPoint> places = FreePlacesInArea(area, cell, piece, taken, 100);
    ASSERT_FALSE(places.isEmpty());
    for (const QPoint &place : places) {
        EXPECT_TRUE(area.contains(QRect(place, piece))) << place.x() << "," << place.y();
        EXPECT_EQ(place.x() % 80, 0);
        EXPECT_EQ(place.y() % 60, 0);
        EXPECT_NE(place, QPoint(160, 60));
        EXPECT_NE(place, QPoint(240, 120));
    }
    EXPECT_EQ(FreePlacesInArea(area, cell, piece, {}, 2).size(), 2);
}

TEST(PlayClock, UnknownNamesSurviveALoadAndASave)
{
    // What a newer player writes: the clock's names, and names no player knows yet.
    TKeyedNode document;
    document.LoadFromText("<PUZZLE_DATA PNAME=\"x\" PLAYSECS=\"75\" BESTSECS=\"60\" FUTURE=\"1\">"
                          "<PIECES><PIECE ROW=\"0\" COL=\"0\" SPIN=\"2\"></PIECE></PIECES>"
                          "<LATER A=\"b\"></LATER></PUZZLE_DATA>");
    TPuzzleDocument kept(document.SaveToText());
    EXPECT_EQ(kept.Text(), document.SaveToText());
    TKeyedNode reloaded;
    reloaded.LoadFromText(kept.Text());
    EXPECT_EQ(PlayedSeconds(kept.Game()), 75);
    EXPECT_EQ(reloaded.GetAttr("FUTURE"), "1");
    ASSERT_NE(reloaded.FindChild("LATER"), nullptr);
    EXPECT_EQ(reloaded.FindChild("PIECES")->Child(0)->GetAttr("SPIN"), "2");
}
