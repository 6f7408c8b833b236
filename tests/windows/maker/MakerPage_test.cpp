// The maker's wizard page: which steps react in each state, the thumbnail's worked sizes, the
// cancelled steps, and the payload Step 3 writes.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/picture/JpegPicture.h"
#include "platform/Platform.h"
#include "support/MakerFixture.h"
#include "support/ModalAnswer.h"
#include "support/TestFiles.h"
#include "windows/common/ClickableLabel.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/MakerMark.h"
#include "windows/common/ShapeWidget.h"
#include "windows/common/WindowLook.h"
#include "windows/common/WorkingFolderKeeper.h"
#include "windows/maker/MakerPage.h"
#include "windows/maker/PropertiesDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

using namespace PuzzleSchema;

namespace
{

// Stands in for the program's own bytes before the payload.
const QByteArray ProgramPart("\x7f"
                             "ELF maker bytes");

struct TStepView {
    std::vector<bool> reacting; // Label_1 .. Label_3_, in that order
    int darkBox;                // 1 to 3, 0 for none
    bool panelShown, sourceShown, alternativeShown;
};

TStepView ViewOf(const TMakerPage &page)
{
    TStepView view;
    for (const TClickableLabel *label :
         {page.Label_1, page.Label_1_, page.Label_2, page.Label_2_, page.Label_3, page.Label_3_})
        view.reacting.push_back(label->cursor().shape() == Qt::PointingHandCursor);
    view.darkBox = 0;
    const TShapeWidget *boxes[] = {page.Shape1, page.Shape2, page.Shape3};
    for (int i = 0; i < 3; ++i)
        if (boxes[i]->Brush().color() == WindowLook::Dark)
            view.darkBox = view.darkBox == 0 ? i + 1 : -1;
    view.panelShown = page.Panel_img->isVisibleTo(page.Panel_new);
    view.sourceShown = page.RB_src_picture->isVisibleTo(page.Panel_new);
    view.alternativeShown = page.RB_premium_picture->isVisibleTo(page.Panel_new);
    return view;
}

QRect Thumbnail(const TMakerPage &page)
{
    return page.Image_demo->geometry();
}

} // namespace

TEST_F(MakerTest, EachStepShowsItsBoxAndReactsOnlyOnTheStepsUpToIt)
{
    const TStepView expected[] = {
        {{true, true, false, false, false, false}, 1, false, false, false},
        {{true, true, true, true, false, false}, 2, true, true, false},
        {{true, true, true, true, true, true}, 3, true, true, true},
    };
    for (int step : {3, 1, 2, 3}) {
        page->SetStep(step);
        const TStepView view = ViewOf(*page);
        EXPECT_EQ(view.reacting, expected[step - 1].reacting) << step;
        EXPECT_EQ(view.darkBox, expected[step - 1].darkBox) << step;
        EXPECT_EQ(view.panelShown, expected[step - 1].panelShown) << step;
        EXPECT_EQ(view.sourceShown, expected[step - 1].sourceShown) << step;
        EXPECT_EQ(view.alternativeShown, expected[step - 1].alternativeShown) << step;
        EXPECT_EQ(state.Step, step);
    }
    page->SetStep(4);
    EXPECT_EQ(ViewOf(*page).reacting, std::vector<bool>(6, false));
    EXPECT_EQ(ViewOf(*page).darkBox, 0);
}

TEST_F(MakerTest, AtTheStartOnlyStepOneReactsToClicks)
{
    // For clicks that must open nothing.
    const TModalAnswerer<QDialog> watch([](QDialog *dialog) { dialog->reject(); });
    for (TClickableLabel *label : {page->Label_2, page->Label_2_, page->Label_3, page->Label_3_})
        QTest::mouseClick(label, Qt::LeftButton);
    QTest::mouseClick(page->Shape2, Qt::LeftButton);
    EXPECT_EQ(watch.Count(), 0);
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(state.Step, 1);
    QTest::mouseClick(page->Label_1_, Qt::LeftButton); // cancelled in the editor
    EXPECT_EQ(edits, 1);
}

TEST_F(MakerTest, CancelledStepOneStaysAtStepOneUntilAPictureWasChosenOnce)
{
    ChooseSource({});
    EXPECT_EQ(state.Step, 1);
    EXPECT_FALSE(page->Panel_img->isVisible());
    EXPECT_FALSE(state.SourceChosen);

    ChooseSource(GradientPicture({400, 200}));
    EXPECT_EQ(state.Step, 2);
    EXPECT_TRUE(page->Panel_img->isVisible());
    RunPropertiesWithOk();
    ASSERT_EQ(state.Step, 3);

    // Cancelled after an earlier success: back to step 2, the picture kept.
    ChooseSource({});
    EXPECT_EQ(state.Step, 2);
    EXPECT_EQ(PictureSize(*state.SourcePicture), QSize(400, 200));
    EXPECT_EQ(Thumbnail(*page), QRect(4, 38, 210, 105));

    // Ok on a file that failed to load leaves no picture to make a puzzle of: step 1 again.
    NextEditFailsToLoad();
    QTest::mouseClick(page->Label_1, Qt::LeftButton);
    EXPECT_EQ(state.Step, 1);
    EXPECT_FALSE(state.SourceChosen);
}

TEST_F(MakerTest, ThumbnailFitsThePanelWithTheWorkedSizes)
{
    const std::pair<QSize, QRect> cases[] = {
        {{400, 200}, {4, 38, 210, 105}},
        {{300, 600}, {65, 4, 87, 174}},
        {{1000, 333}, {4, 56, 210, 69}}, // 69.93 truncated
        {{210, 174}, {4, 4, 210, 174}},
    };
    for (const auto &[picture, thumbnail] : cases) {
        ChooseSource(GradientPicture(picture));
        EXPECT_EQ(Thumbnail(*page), thumbnail) << picture.width() << "x" << picture.height();
    }
}

TEST_F(MakerTest, FitImageGivesOneByOneForAnEmptyPictureOrBox)
{
    QLabel image;
    image.resize(16, 16);
    TMakerPage::FitImage(&image, 174, 210); // no picture at all
    EXPECT_EQ(image.size(), QSize(1, 1));
    image.setPixmap(QPixmap::fromImage(GradientPicture({40, 20})));
    image.resize(16, 16);
    TMakerPage::FitImage(&image, 0, 210);
    EXPECT_EQ(image.size(), QSize(1, 1));
    image.resize(16, 16);
    TMakerPage::FitImage(&image, 174, 210);
    EXPECT_EQ(image.size(), QSize(210, 105));
}

TEST_F(MakerTest, CancellingStepTwoSwitchesTheAlternativePictureOff)
{
    ChooseSource(GradientPicture({400, 200}));
    RunPropertiesWithOk(GradientPicture({300, 600}));
    ASSERT_EQ(state.Step, 3);
    ASSERT_TRUE(state.UseAlternativePicture);
    ASSERT_TRUE(page->RB_premium_picture->isEnabled());
    QTest::mouseClick(page->RB_premium_picture, Qt::LeftButton);
    ASSERT_TRUE(page->RB_premium_picture->isChecked());
    EXPECT_EQ(Thumbnail(*page), QRect(65, 4, 87, 174));

    AnswerModal<TD_puzzle_props>(
        [](TD_puzzle_props *dialog) { QTest::mouseClick(dialog->SB_cancel, Qt::LeftButton); });
    QTest::mouseClick(page->Label_2_, Qt::LeftButton);
    EXPECT_EQ(state.Step, 3);
    EXPECT_FALSE(state.UseAlternativePicture);
    EXPECT_TRUE(page->RB_src_picture->isChecked());
    EXPECT_FALSE(page->RB_premium_picture->isEnabled());
    EXPECT_EQ(Thumbnail(*page), QRect(4, 38, 210, 105));
}

class MakerStepThreeTest : public MakerTest
{
protected:
    void SetUp() override
    {
        MakerTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkpath("bin"));
        Platform::SetWorkingFolder(folder.filePath("bin"));
        ExeImage() = ProgramPart;
    }
    void TearDown() override
    {
        ExeImage().clear();
        MakerTest::TearDown();
    }

    // Step 3 saved as the file name, the question answered No.
    void SaveAs(const QString &path)
    {
        AnswerModal<QFileDialog>([this, path](QFileDialog *dialog) {
            shownFolder = dialog->directory().absolutePath();
            ChooseFileInDialog(dialog, path);
        });
        AnswerNextQuestion(false);
        QTest::mouseClick(page->Label_3, Qt::LeftButton);
    }

    const TWorkingFolderKeeper keeper;
    QTemporaryDir folder;
    QString shownFolder;
};

TEST_F(MakerStepThreeTest, CancelledSaveDialogKeepsTheWizardAtStepThree)
{
    ChooseSource(GradientPicture({400, 200}));
    RunPropertiesWithOk();
    AnswerModal<QFileDialog>([this](QFileDialog *dialog) {
        shownFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    QTest::mouseClick(page->Label_3_, Qt::LeftButton);
    EXPECT_EQ(state.Step, 3);
    EXPECT_TRUE(host->isVisible());
    EXPECT_EQ(QFileInfo(shownFolder).canonicalFilePath(),
              QFileInfo(folder.filePath("my_puzzles")).canonicalFilePath());
    EXPECT_EQ(ExeImage(), ProgramPart);
}

TEST_F(MakerStepThreeTest, AlternativePictureIsWrittenOnlyWhenUsed)
{
    ChooseSource(GradientPicture({400, 200}));
    RunPropertiesWithOk();
    const QString plain = folder.filePath("plain.exe");
    SaveAs(plain);
    EXPECT_FALSE(host->isVisible()) << "either answer closes the maker";
    const QByteArray plainBytes = ReadBytes(plain);
    EXPECT_TRUE(plainBytes.startsWith(ProgramPart));
    EXPECT_TRUE(QFileInfo(plain).isExecutable());
    EXPECT_EQ(ReadSection(SectionIsPuzzle, plainBytes), "Y");
    EXPECT_EQ(ReadSection(SectionSourceImage, plainBytes), state.SourcePicture->Data());
    EXPECT_FALSE(plainBytes.contains("SO!#PRM_IMG"));
    TKelPigger document;
    document.LoadFromText(ReadSection(SectionDocument, plainBytes));
    EXPECT_FALSE(document.SaveToText().contains(KeyUseAlternative));
    EXPECT_EQ(document.SaveToText(), state.Document->SaveToText());

    host->show();
    RunPropertiesWithOk(GradientPicture({300, 600}));
    const QString withAlternative = folder.filePath("with_alternative.exe");
    SaveAs(withAlternative);
    const QByteArray bytes = ReadBytes(withAlternative);
    EXPECT_EQ(ReadSection(SectionAlternativeImage, bytes), state.AlternativePicture->Data());
    document.LoadFromText(ReadSection(SectionDocument, bytes));
    EXPECT_EQ(document.GetAttr(KeyUseAlternative), "Y");
    EXPECT_EQ(bytes.count("SO!#IS_PUZZLE"), 1);
    EXPECT_EQ(ExeImage(), ProgramPart) << "the process's own image never takes the sections";
}

TEST_F(MakerStepThreeTest, FailedWriteShowsTheErrorAndARetryWritesOneSetOfSections)
{
    ChooseSource(GradientPicture({400, 200}));
    RunPropertiesWithOk();
    QString message;
    AcceptNextMessageBox([&message](QMessageBox *box) { message = box->text(); });
    AnswerModal<QFileDialog>([this](QFileDialog *dialog) {
        // The folder went away while the dialog was open.
        ChooseFileInDialog(dialog, folder.filePath("gone/puzzle.exe"));
    });
    QTest::mouseClick(page->Label_3, Qt::LeftButton);
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(state.Step, 3);
    EXPECT_TRUE(host->isVisible());
    EXPECT_EQ(ExeImage(), ProgramPart);

    const QString retry = folder.filePath("retry.exe");
    SaveAs(retry);
    const QByteArray bytes = ReadBytes(retry);
    for (const char *name : {"SO!#IS_PUZZLE", "SO!#SRC_IMG", "SO!#PIG_TXT"})
        EXPECT_EQ(bytes.count(name), 1) << name;
}

TEST_F(MakerTest, CommandButtonsBrowseShowAboutAndExitAndTheVersionOpensTheAddress)
{
    QList<QUrl> opened;
    about->SetUrlOpener([&opened](const QUrl &url) { opened.append(url); });
    QTest::mouseClick(page->Label5, Qt::LeftButton);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(MakerMark::WebAddress())});
    EXPECT_TRUE(page->Label5->text().startsWith(TESSALUNE_VERSION));

    QSignalSpy browsing(page, &TMakerPage::BrowsePuzzlesRequested);
    QTest::mouseClick(page->SB_browse, Qt::LeftButton);
    EXPECT_EQ(browsing.count(), 1);

    bool aboutShown = false;
    AnswerModal<TFabout>([&aboutShown](TFabout *window) {
        aboutShown = window->Label_name->text() == "TESSALUNE";
        QTest::mouseClick(window->btn_ok, Qt::LeftButton);
    });
    QTest::mouseClick(page->SB_about, Qt::LeftButton);
    EXPECT_TRUE(aboutShown);
    EXPECT_TRUE(host->isVisible());

    QTest::mouseClick(page->SB_exit, Qt::LeftButton);
    EXPECT_FALSE(host->isVisible());
}
