#pragma once
// The game this process plays.
//
// Ownership: the application makes one player session for the whole run and hands it to the
// main window, which loads the puzzle into it and keeps the changed game, and to the play
// window, which plays it. The session owns the puzzle's document (the game and its stored
// form), its pictures, whether the game changed and the game's record as it is played; it
// decides when the game is solved.

#include "engine/jigsaw/Joining.h"

#include <QObject>
#include <memory>

class TGameKeeper;
class TJpegPicture;
class TPuzzleDocument;

class TPlayerSession : public QObject
{
    Q_OBJECT
public:
    // No game yet: see Reset.
    TPlayerSession();
    ~TPlayerSession() override;

    // No game: 1 × 1 white pictures, an empty document, unchanged.
    void Reset();

    // The grid the game is played on, which joins are measured on; set when the game is
    // prepared.
    void SetJoinGrid(const TJoinGrid &grid) { m_joinGrid = grid; }
    // A piece was dropped or turned: the game changed. Emits PieceMoved, then Solved when every
    // piece is joined.
    void NotePieceMoved();
    // Every piece back on the palette; whether the game changed stays as it is.
    void ResetGame();
    // The clock moved on: a changed game's record takes the time played now and then.
    void NoteTimePlayed();

    // Starts keeping a record of the loaded game in the user's state folder as it is played
    // (see GameKeeper.h), for the puzzle in puzzlePath. When a record left by a run that did not
    // keep its game is found, the game goes on from it, counts as changed, and true is returned.
    bool KeepGameRecord(const QString &puzzlePath);
    // Writes what the record does not hold yet, now: before the process ends.
    void WriteGameRecordNow();
    // The game is left unchanged, or its changes were let go: its record goes.
    void DiscardGameRecord();

    TPuzzleDocument &Document() { return *m_document; }
    TJpegPicture &SourcePicture() { return *m_sourcePicture; }
    TJpegPicture &AlternativePicture() { return *m_alternativePicture; }
    // Since the game was loaded, or since this was last cleared.
    bool changed = false;

signals:
    void PieceMoved();
    void Solved();
    // Asks the window that plays the game to lay every piece back on the palette.
    void GameReset();

private:
    std::unique_ptr<TPuzzleDocument> m_document;
    std::unique_ptr<TJpegPicture> m_sourcePicture;
    std::unique_ptr<TJpegPicture> m_alternativePicture;
    TJoinGrid m_joinGrid;
    std::unique_ptr<TGameKeeper> m_keeper;
    int m_ticksSinceRecord = 0;
};
