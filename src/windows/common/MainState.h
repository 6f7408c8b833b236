#pragma once
// The process-wide puzzle state that the main window owns for the whole run and the maker's
// and player's windows read and write: the document, the pictures and the wizard's progress.

#include <QImage>
#include <memory>

class TPictureEditor;
class TJpegPicture;
class TPuzzleDocument;

struct TMainState {
    TMainState();
    ~TMainState();
    TMainState(const TMainState &) = delete;
    TMainState &operator=(const TMainState &) = delete;

    bool gameChanged = false;
    bool sourceChosen = false;
    int step = 1;
    bool useAlternativePicture = false;
    std::unique_ptr<TJpegPicture> sourcePicture;
    std::unique_ptr<TJpegPicture> alternativePicture;
    std::unique_ptr<QImage> blankBitmap;
    // The open picture editor, not owned: set by whoever opens an editor and cleared when it is
    // released, so that the scale dialog can mark the editor's picture as changed.
    TPictureEditor *currentEditor = nullptr;
    std::unique_ptr<TPuzzleDocument> document;
};
