#include "player_support.h"

#include "app/ApplicationStart.h"
#include "app/main.h"
#include "app/sure.h"
#include "container/KelPigger.h"
#include "container/PuzzleDocument.h"
#include "jigsaw/puzzle_js.h"
#include "jigsaw/puzzle_js_support.h"
#include "tools/ModalAnswer.h"
#include "tools/tools.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>

TSections MadePuzzleSections(const QImage &picture, const QByteArray &alternative)
{
    using namespace PuzzleSchema;
    TKelPigger document;
    MakeTestDocument(document, 7, 7);
    TSections sections = {{SectionIsPuzzle, IsPuzzleValue},
                          {SectionSourceImage, JpegBytesOf(picture)}};
    if (!alternative.isNull()) {
        sections.append({SectionAlternativeImage, alternative});
        document.SetAttr(KeyUseAlternative, FlagYes);
    }
    sections.append({SectionDocument, document.SaveToText()});
    return sections;
}

TPlayerWindows::TPlayerWindows(const QString &executablePath)
    : sure(std::make_unique<TFsure>()), main(std::make_unique<TFmain>(executablePath)),
      play(std::make_unique<TD_puzzle_js>())
{
    Fsure = sure.get();
    Fmain = main.get();
    D_puzzle_js = play.get();
}

TPlayerWindows::~TPlayerWindows()
{
    D_puzzle_js = nullptr;
    play.reset();
    Fmain = nullptr;
    main.reset();
    Fsure = nullptr;
}

void AnswerNextQuestion(bool yes)
{
    AnswerModal<TFsure>([yes](TFsure *question) {
        QTest::mouseClick(yes ? question->OKBtn : question->CancelBtn, Qt::LeftButton);
    });
}

void ExitThroughTools()
{
    AnswerNextQuestion(true);
    QTest::mouseClick(F_tools->SB_exit, Qt::LeftButton);
}

void ResetThroughTools()
{
    AnswerNextQuestion(true);
    QTest::mouseClick(F_tools->SB_reset, Qt::LeftButton);
}
