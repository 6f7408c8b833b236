#pragma once
// The puzzle document as the stored form of a game: the only code that turns the document's
// text into a TPuzzleGame and a game back into the document.
//
// Ownership: a TPuzzleDocument owns the tree it read (or made) and the game read from it. The
// game is the live state; Keep writes it back into the tree, changing only the values whose
// meaning changed, so that an unchanged game gives back the very bytes it was read from and the
// names and nodes this program does not know pass through untouched.

#include "engine/jigsaw/PuzzleGame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <memory>

class TKeyedNode;

// The game a document holds; an empty document gives a game without pieces.
TPuzzleGame ReadPuzzleGame(const TKeyedNode &document);
// Writes into document every value of game that differs from what document holds, in place;
// missing values are appended in the order a game is played: the header, the background, the
// tools window's place, the clock. Missing records are appended, surplus records removed.
void WritePuzzleGame(const TPuzzleGame &game, TKeyedNode &document);

class TPuzzleDocument
{
public:
    // No document: its game has no pieces.
    TPuzzleDocument();
    // Reads text as LoadPuzzleDocument does; throws EKeyedNodeError naming the cause (too large,
    // too many records, or where the text is broken).
    explicit TPuzzleDocument(QByteArrayView text);
    // A new document for a new game, written as the maker writes it: the header (PNAME, AUTHOR,
    // WEBSITE, COLS, ROWS, BRDRS; empty texts and borders on left absent), then the records.
    explicit TPuzzleDocument(const TPuzzleGame &game);
    ~TPuzzleDocument();
    TPuzzleDocument(TPuzzleDocument &&) noexcept;
    TPuzzleDocument &operator=(TPuzzleDocument &&) noexcept;

    // True when no text held an element.
    bool IsEmpty() const;
    TPuzzleGame &Game() { return m_game; }
    const TPuzzleGame &Game() const { return m_game; }
    // Writes the game into the stored form (see WritePuzzleGame); nothing when the game is as
    // it was last read or kept.
    void Keep();
    // The stored form as it stands, without keeping the game first.
    QByteArray StoredText() const;
    // Keep, then the text.
    QByteArray Text();
    // Nodes of the stored form: what the document takes in memory is counted from them.
    std::int64_t NodeCount() const;

private:
    std::unique_ptr<TKeyedNode> m_tree;
    TPuzzleGame m_game;
    // The game the stored form holds.
    TPuzzleGame m_kept;
};
