// The maker's Step 3 and the command line's --make write puzzles the one way: for the same
// pictures, properties and generator state they write the same file. A puzzle written over a
// puzzle that is running leaves the running one alone and the new file whole.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/Random.h"
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/JpegPicture.h"
#include "platform/Platform.h"
#include "support/MakerFixture.h"
#include "support/ModalAnswer.h"
#include "support/ProcessSupport.h"
#include "support/TestFiles.h"
#include "windows/common/ClickableLabel.h"
#include "windows/common/WorkingFolderKeeper.h"
#include "windows/maker/MakerPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace PuzzleSchema;

namespace
{

constexpr std::uint32_t Seed = 20261207;
constexpr int Deadline = 60000;

const QString Photo = QStringLiteral(TESSALUNE_FIXTURES "/moonlit_hills_280x210.jpg");

} // namespace

class MakerAgreementTest : public MakerTest
{
protected:
    void SetUp() override
    {
        MakerTest::SetUp();
        ASSERT_TRUE(m_folder.isValid());
        ExeImage() = ReadBytes(QStringLiteral(TESSALUNE_EXE));
        ASSERT_FALSE(ExeImage().isEmpty());
        // One folder down: the maker makes its folders beside the working folder's, which must
        // lie inside the temporary one.
        ASSERT_TRUE(QDir(m_folder.path()).mkdir(QStringLiteral("bin")));
        Platform::SetWorkingFolder(m_folder.filePath(QStringLiteral("bin")));
        m_alternativePath = m_folder.filePath("solved.png");
        ASSERT_TRUE(GradientPicture({120, 90}).save(m_alternativePath));
    }
    void TearDown() override
    {
        ExeImage().clear();
        MakerTest::TearDown();
    }

    // The wizard's three steps: the photo as the editor loads it, 10 × 8 with a name, author,
    // website and the alternative picture, the generator at Seed; saved as path (replacing
    // the file there when asked) and not run.
    void MakeWithWizard(const QString &path, bool replacing = false)
    {
        ChooseSource(LoadGraphicAsBitmap(Photo));
        m_props->SetRandomSeeding([](TRandomGenerator &random) { random.SetState(Seed); });
        NextEdit(LoadGraphicAsBitmap(m_alternativePath));
        AnswerModal<TPropertiesDialog>([](TPropertiesDialog *dialog) {
            dialog->m_widthBox->setCurrentText("10");
            dialog->m_heightBox->setCurrentText("8");
            dialog->m_nameEdit->setText("Moonlit hills");
            dialog->m_authorEdit->setText("A. Painter");
            dialog->m_websiteEdit->setText("painter.example");
            QTest::mouseClick(dialog->m_alternativeCheckBox, Qt::LeftButton);
            QTest::mouseClick(dialog->m_loadAlternativeButton, Qt::LeftButton);
            QTest::mouseClick(dialog->m_okButton, Qt::LeftButton);
        });
        QTest::mouseClick(m_page->m_step2Title, Qt::LeftButton);
        ASSERT_EQ(m_state.step, 3);
        AnswerModal<QFileDialog>([path](QFileDialog *dialog) { ChooseFileInDialog(dialog, path); });
        if (replacing)
            AnswerModal<QMessageBox>([](QMessageBox *box) {
                QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            });
        AnswerNextQuestion(false);
        QTest::mouseClick(m_page->m_step3Title, Qt::LeftButton);
    }

    bool MakeWithCommandLine(const QString &path)
    {
        QProcess maker;
        maker.start(QStringLiteral(TESSALUNE_EXE),
                    {"--make", Photo, path, "--cols", "10", "--rows", "8", "--name",
                     "Moonlit hills", "--author", "A. Painter", "--website", "painter.example",
                     "--alternative", m_alternativePath, "--seed", QString::number(Seed)});
        return maker.waitForFinished(Deadline) && maker.exitStatus() == QProcess::NormalExit &&
               maker.exitCode() == 0;
    }

    const TWorkingFolderKeeper m_keeper;
    QTemporaryDir m_folder;
    QString m_alternativePath;
};

TEST_F(MakerAgreementTest, WizardAndCommandLineWriteTheSamePuzzle)
{
    const QString fromWizard = m_folder.filePath("wizard.exe");
    const QString fromCommandLine = m_folder.filePath("command_line.exe");
    MakeWithWizard(fromWizard);
    ASSERT_TRUE(MakeWithCommandLine(fromCommandLine));
    const QByteArray wizard = ReadBytes(fromWizard);
    const QByteArray commandLine = ReadBytes(fromCommandLine);
    for (const char *name :
         {SectionIsPuzzle, SectionSourceImage, SectionAlternativeImage, SectionDocument})
        EXPECT_EQ(ReadSection(name, wizard), ReadSection(name, commandLine)) << name;
    EXPECT_EQ(wizard, commandLine);
    TKeyedNode document;
    document.LoadFromText(ReadSection(SectionDocument, wizard));
    EXPECT_EQ(document.GetAttr(KeyCols), "10");
    EXPECT_EQ(document.GetAttr(KeyUseAlternative), "Y");
}

TEST_F(MakerAgreementTest, PuzzleWrittenOverARunningPuzzleLeavesThatOneRunning)
{
    const QString target = m_folder.filePath("running.exe");
    ASSERT_TRUE(MakeWithCommandLine(target));
    ChildProcesses children;
    const pid_t running = children.Start(target, {}, ProgramEnvironment(m_folder.path()));
    ASSERT_GT(running, 0);
    ASSERT_TRUE(children.WaitUntilApplicationBuilt(running, Deadline));

    MakeWithWizard(target, true);
    EXPECT_FALSE(children.WaitForExit(running, 1000).has_value())
        << "the running puzzle keeps running on its own copy";
    const QByteArray written = ReadBytes(target);
    EXPECT_TRUE(written.startsWith(ExeImage()));
    EXPECT_EQ(ReadSection(SectionSourceImage, written), m_state.sourcePicture->Data());
    EXPECT_TRUE(QFileInfo(target).isExecutable());
}
