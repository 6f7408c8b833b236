// A person makes a puzzle with the mouse: from a plain start of the program, Step 1 loads a
// photograph file in the picture editor, Step 2 chooses 10 × 8 pieces with an alternative
// picture, Step 3 saves into "my_puzzles" and Yes starts the new puzzle as a process of its
// own, which runs its game.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/picture/JpegPicture.h"
#include "support/AppTestSupport.h"
#include "support/MakerFixture.h"
#include "support/ModalAnswer.h"
#include "support/ProcessSupport.h"
#include "windows/common/ClickableLabel.h"
#include "windows/main/ApplicationWindows.h"
#include "windows/main/MainWindow.h"
#include "windows/maker/PictureEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

using namespace PuzzleSchema;

namespace
{

constexpr int Deadline = 60000;

const QString Photo = QStringLiteral(TESSALUNE_FIXTURES "/moonlit_hills_280x210.jpg");

// In the open editor: "Load from file", the file chosen in its dialog, then Ok.
void LoadInEditor(TPictureEditor *editor, const QString &file)
{
    AnswerModal<QFileDialog>([file](QFileDialog *dialog) { ChooseFileInDialog(dialog, file); });
    QTest::mouseClick(editor->m_loadFromFileButton, Qt::LeftButton);
    QTest::mouseClick(editor->m_okButton, Qt::LeftButton);
}

void PressKey(QWidget *widget, Qt::Key key, int times)
{
    widget->setFocus();
    for (int i = 0; i < times; ++i)
        QTest::keyClick(widget, key);
}

} // namespace

class MakerEndToEnd : public TExecutableFolderTest
{
protected:
    // The person makes a first puzzle: nothing remembered from other tests' puzzles.
    bool m_firstStart = ForgetUserSettings();
};

TEST_F(MakerEndToEnd, PersonMakesAPuzzleWithTheMouseAndItsGameRuns)
{
    ASSERT_TRUE(QDir(m_folder.path()).mkpath("bin"));
    ASSERT_TRUE(Platform::SetWorkingFolder(PathOf("bin")));
    ExeImage() = ReadBytes(QStringLiteral(TESSALUNE_EXE));
    const QString solved = PathOf("solved.png");
    ASSERT_TRUE(GradientPicture({160, 120}).save(solved));
    ChildProcesses children;
    QString shownFolder;
    {
        TApplicationWindows windows;
        ASSERT_TRUE(QTest::qWaitFor(
            [] {
                return ProgramWindows().mainWindow->m_pages->currentWidget() ==
                       ProgramWindows().mainWindow->m_makerPage;
            },
            Deadline));
        TMakerPage &page = *ProgramWindows().mainWindow->m_makerPage;

        AnswerModal<TPictureEditor>([](TPictureEditor *editor) { LoadInEditor(editor, Photo); });
        QTest::mouseClick(page.m_step1Title, Qt::LeftButton);
        ASSERT_EQ(ProgramWindows().mainWindow->Maker().step, 2);
        EXPECT_EQ(page.m_thumbnailImage->geometry(), QRect(4, 12, 210, 157));

        AnswerModal<TPropertiesDialog>([&solved](TPropertiesDialog *dialog) {
            PressKey(dialog->m_widthBox, Qt::Key_Down, 3);
            PressKey(dialog->m_heightBox, Qt::Key_Down, 1);
            EXPECT_EQ(dialog->m_pieceCountLabel->text(), "( 80 pieces )");
            QTest::mouseClick(dialog->m_alternativeCheckBox, Qt::LeftButton);
            AnswerModal<TPictureEditor>(
                [&solved](TPictureEditor *editor) { LoadInEditor(editor, solved); });
            QTest::mouseClick(dialog->m_loadAlternativeButton, Qt::LeftButton);
            QTest::mouseClick(dialog->m_okButton, Qt::LeftButton);
        });
        QTest::mouseClick(page.m_step2Caption, Qt::LeftButton);
        ASSERT_EQ(ProgramWindows().mainWindow->Maker().step, 3);
        EXPECT_TRUE(page.m_alternativePictureRadio->isEnabled());

        AnswerModal<QFileDialog>([&shownFolder](QFileDialog *dialog) {
            shownFolder = dialog->directory().absolutePath();
            ChooseFileInDialog(dialog, "moonlit");
        });
        AnswerNextQuestion(true);
        QTest::mouseClick(page.m_step3Title, Qt::LeftButton);
        EXPECT_FALSE(ProgramWindows().mainWindow->isVisible()) << "the maker closes after Step 3";
    }
    // On Linux no ".exe" is added to the name the person typed.
    const QString puzzle = PathOf("my_puzzles/moonlit");
    EXPECT_EQ(QFileInfo(shownFolder).canonicalFilePath(),
              QFileInfo(PathOf("my_puzzles")).canonicalFilePath());

    // The new puzzle runs as a process of its own and keeps running its game.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !children.Running(puzzle).empty(); }, Deadline));
    const pid_t started = children.Running(puzzle).front();
    EXPECT_TRUE(children.WaitUntilApplicationBuilt(started, Deadline));
    EXPECT_FALSE(children.WaitForExit(started, 2000).has_value());

    const QByteArray bytes = ReadBytes(puzzle);
    EXPECT_TRUE(QFileInfo(puzzle).isExecutable());
    EXPECT_EQ(ReadSection(SectionIsPuzzle, bytes), "Y");
    TJpegPicture source, alternative;
    source.SetData(ReadSection(SectionSourceImage, bytes));
    alternative.SetData(ReadSection(SectionAlternativeImage, bytes));
    EXPECT_EQ(PictureSize(source), QSize(280, 210));
    EXPECT_EQ(PictureSize(alternative), QSize(160, 120));
    TKeyedNode document;
    document.LoadFromText(ReadSection(SectionDocument, bytes));
    EXPECT_EQ(document.GetAttr(KeyCols), "10");
    EXPECT_EQ(document.GetAttr(KeyRows), "8");
    EXPECT_EQ(document.GetAttr(KeyUseAlternative), "Y");
    EXPECT_EQ(document.GetAttr(KeyName), "Puzzle");
    ASSERT_NE(document.FindChild(PiecesNode), nullptr);
    EXPECT_EQ(document.FindChild(PiecesNode)->ChildCount(), 80);
}
