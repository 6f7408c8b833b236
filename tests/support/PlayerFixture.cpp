#include "support/PlayerFixture.h"

#include "engine/container/ExecutablePayload.h"
#include "support/ModalAnswer.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/main/ApplicationWindows.h"
#include "windows/main/MainWindow.h"
#include "windows/play/JigsawPlayWindow.h"
#include "windows/play/ToolsWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

bool MakePuzzle(const QString &output, const QImage &picture, const QImage &alternative)
{
    const QDir folder = QFileInfo(output).dir();
    const QString picturePath = folder.filePath("tulips.jpg");
    QStringList arguments = {"--make", picturePath, output, "--name", "Tulips"};
    if (!picture.save(picturePath, "JPEG", 95))
        return false;
    if (!alternative.isNull()) {
        const QString alternativePath = folder.filePath("tulips_solved.jpg");
        if (!alternative.save(alternativePath, "JPEG", 95))
            return false;
        arguments << "--alternative" << alternativePath;
    }
    QProcess maker;
    maker.start(QStringLiteral(TESSALUNE_EXE), arguments);
    return maker.waitForFinished(60000) && maker.exitStatus() == QProcess::NormalExit &&
           maker.exitCode() == 0;
}

QByteArray WithSectionReplaced(QByteArray image, const QByteArray &name, const QByteArray &data)
{
    RemoveSection(name, image);
    AppendSection(name, data, image);
    return image;
}

TPlayerWindows::TPlayerWindows(const QString &executablePath)
    : sure(std::make_unique<TConfirmationWindow>()),
      publishedSure(ProgramWindows().confirmationWindow, sure.get()),
      main(std::make_unique<TMainWindow>(maker, player, executablePath)),
      publishedMain(ProgramWindows().mainWindow, main.get()),
      play(std::make_unique<TJigsawPlayWindow>()),
      publishedPlay(ProgramWindows().playWindow, play.get())
{
}

TPlayerWindows::~TPlayerWindows() = default;

void ExitThroughTools()
{
    AnswerNextQuestion(true);
    QTest::mouseClick(ProgramWindows().toolsWindow->m_exitButton, Qt::LeftButton);
}

void ResetThroughTools()
{
    AnswerNextQuestion(true);
    QTest::mouseClick(ProgramWindows().toolsWindow->m_resetButton, Qt::LeftButton);
}
