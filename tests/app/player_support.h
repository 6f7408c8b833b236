#pragma once
// Player mode in this process: the main window running as a puzzle executable in a temporary
// folder, with the confirmation window and the play window published under their names, and
// the tools window's commands clicked as a player clicks them.

#include "AppTestSupport.h"

#include <QImage>
#include <QString>
#include <memory>

class TD_puzzle_js;
class TFmain;
class TFsure;

// The sections of a puzzle made from picture with a 7 × 7 document as the maker makes it; an
// alternative picture adds "PRM_IMG" after "SRC_IMG".
TSections MadePuzzleSections(const QImage &picture, const QByteArray &alternative = {});

// The windows player mode needs, published under their program-wide names while this lives.
class TPlayerWindows
{
public:
    explicit TPlayerWindows(const QString &executablePath);
    ~TPlayerWindows();
    TPlayerWindows(const TPlayerWindows &) = delete;
    TPlayerWindows &operator=(const TPlayerWindows &) = delete;

    std::unique_ptr<TFsure> sure;
    std::unique_ptr<TFmain> main;
    std::unique_ptr<TD_puzzle_js> play;
};

// Answers the next confirmation with Yes or No.
void AnswerNextQuestion(bool yes);
// "Exit" in the tools window, answered Yes: the game ends.
void ExitThroughTools();
// "Reset game" in the tools window, answered Yes.
void ResetThroughTools();
