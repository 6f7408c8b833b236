#pragma once
// Player mode in this process: the main window running as a puzzle executable in a temporary
// folder, with the confirmation window and the play window published under their names, and
// the tools window's commands clicked as a player clicks them.

#include "support/AppTestSupport.h"
#include "windows/common/MakerSession.h"
#include "windows/common/PlayerSession.h"
#include "windows/common/ProgramWindows.h"

#include <QImage>
#include <QString>
#include <memory>

class TJigsawPlayWindow;
class TMainWindow;
class TConfirmationWindow;

// Makes the puzzle executable output with the built program's command-line maker: a 7 × 7
// puzzle named "Tulips" of picture, carrying the alternative picture when one is given. The
// pictures are written as JPEG files beside output. False when the maker failed.
bool MakePuzzle(const QString &output, const QImage &picture, const QImage &alternative = {});

// The image with the section name removed and appended again with data at its end.
QByteArray WithSectionReplaced(QByteArray image, const QByteArray &name, const QByteArray &data);

// The windows player mode needs, published under their program-wide names while this lives.
class TPlayerWindows
{
public:
    explicit TPlayerWindows(const QString &executablePath);
    ~TPlayerWindows();
    TPlayerWindows(const TPlayerWindows &) = delete;
    TPlayerWindows &operator=(const TPlayerWindows &) = delete;

    // The sessions the application would make, declared first: the windows use them.
    TMakerSession maker;
    TPlayerSession player;
    std::unique_ptr<TConfirmationWindow> sure;
    TPublishedAs<TConfirmationWindow> publishedSure;
    std::unique_ptr<TMainWindow> main;
    TPublishedAs<TMainWindow> publishedMain;
    std::unique_ptr<TJigsawPlayWindow> play;
    TPublishedAs<TJigsawPlayWindow> publishedPlay;
};

// "Exit" in the tools window, answered Yes: the game ends.
void ExitThroughTools();
// "Reset game" in the tools window, answered Yes.
void ResetThroughTools();
