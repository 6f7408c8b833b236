#pragma once
// The process-wide puzzle state that the main window owns for the whole run and the maker's
// and player's windows read and write: the document, the pictures and the wizard's progress.

#include <QImage>
#include <memory>

class TF_picture_mgm;
class TJPEGImage;
class TKelPigger;

struct TMainState {
    TMainState();
    ~TMainState();
    TMainState(const TMainState &) = delete;
    TMainState &operator=(const TMainState &) = delete;

    bool GameChanged = false;
    bool SourceChosen = false;
    int Step = 1;
    bool UseAlternativePicture = false;
    std::unique_ptr<TJPEGImage> SourcePicture;
    std::unique_ptr<TJPEGImage> AlternativePicture;
    std::unique_ptr<QImage> BlankBitmap;
    // The open picture editor, not owned: set by whoever opens an editor and cleared when it is
    // released, so that the scale dialog can mark the editor's picture as changed.
    TF_picture_mgm *CurrentEditor = nullptr;
    std::unique_ptr<TKelPigger> Document;
};
