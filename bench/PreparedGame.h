#pragma once
// The play window's preparation without its modal loop: what RunGame does before showing it,
// so that benchmarks time the game's own work.

#include "windows/play/JigsawPlayWindow.h"

class TPuzzleDesktop;

class TPreparedGame : public TJigsawPlayWindow
{
public:
    void Prepare(TJpegPicture &picture, TPuzzleDocument &puzzle)
    {
        m_sourcePicture = &picture;
        m_document = &puzzle;
        BuildGame();
    }
    TPuzzleDesktop *Desktop() const { return m_desktop; }
};
