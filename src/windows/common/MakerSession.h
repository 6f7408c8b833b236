#pragma once
// What the maker's wizard gathers for the puzzle being made.
//
// Ownership: the application makes one maker session for the whole run and hands it to the main
// window, which gives it to the maker page. The session owns the source and alternative
// pictures, the puzzle document (the new game with its properties) and the wizard's choices.

#include <memory>

class TJpegPicture;
class TPuzzleDocument;

// A 1 × 1 white picture: what a session holds before a picture is chosen or loaded.
std::unique_ptr<TJpegPicture> BlankPicture();

class TMakerSession
{
public:
    // A new puzzle: see Reset.
    TMakerSession();
    ~TMakerSession();
    TMakerSession(const TMakerSession &) = delete;
    TMakerSession &operator=(const TMakerSession &) = delete;

    // Back to a new puzzle: 1 × 1 white pictures, an empty document, the first step.
    void Reset();

    // The wizard's step, 1 to 3, and whether a source picture has been chosen.
    int step = 1;
    bool sourceChosen = false;
    // The alternative picture is shown when the puzzle is solved.
    bool useAlternativePicture = false;
    // Never null.
    std::unique_ptr<TJpegPicture> sourcePicture;
    std::unique_ptr<TJpegPicture> alternativePicture;
    std::unique_ptr<TPuzzleDocument> document;
};
