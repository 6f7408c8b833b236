// The maker's wizard page: which steps react in each state, the thumbnail's worked sizes, the
// cancelled steps, and the payload Step 3 writes.
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleFile.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/picture/JpegPicture.h"
#include "platform/Platform.h"
#include "support/DropSupport.h"
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

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
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
    std::vector<bool> reacting; // step 1 title .. step 3 caption, in that order
    int darkBox;                // 1 to 3, 0 for none
    bool panelShown, sourceShown, alternativeShown;
};

TStepView ViewOf(const TMakerPage &page)
{
    TStepView view;
    for (const TClickableLabel *label :
         {page.m_step1Title, page.m_step1Caption, page.m_step2Title, page.m_step2Caption,
          page.m_step3Title, page.m_step3Caption})
        view.reacting.push_back(label->cursor().shape() == Qt::PointingHandCursor);
    view.darkBox = 0;
    const TShapeWidget *boxes[] = {page.m_step1Frame, page.m_step2Frame, page.m_step3Frame};
    for (int i = 0; i < 3; ++i)
        if (boxes[i]->Brush().color() == WindowLook::Dark)
            view.darkBox = view.darkBox == 0 ? i + 1 : -1;
    view.panelShown = page.m_thumbnailPanel->isVisibleTo(page.m_bannerPanel);
    view.sourceShown = page.m_sourcePictureRadio->isVisibleTo(page.m_bannerPanel);
    view.alternativeShown = page.m_alternativePictureRadio->isVisibleTo(page.m_bannerPanel);
    return view;
}

QRect Thumbnail(const TMakerPage &page)
{
    return page.m_thumbnailImage->geometry();
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
        m_page->SetStep(step);
        const TStepView view = ViewOf(*m_page);
        EXPECT_EQ(view.reacting, expected[step - 1].reacting) << step;
        EXPECT_EQ(view.darkBox, expected[step - 1].darkBox) << step;
        EXPECT_EQ(view.panelShown, expected[step - 1].panelShown) << step;
        EXPECT_EQ(view.sourceShown, expected[step - 1].sourceShown) << step;
        EXPECT_EQ(view.alternativeShown, expected[step - 1].alternativeShown) << step;
        EXPECT_EQ(m_state.step, step);
    }
    m_page->SetStep(4);
    EXPECT_EQ(ViewOf(*m_page).reacting, std::vector<bool>(6, false));
    EXPECT_EQ(ViewOf(*m_page).darkBox, 0);
}

TEST_F(MakerTest, AtTheStartOnlyStepOneReactsToClicks)
{
    // For clicks that must open nothing.
    const TModalAnswerer<QDialog> watch([](QDialog *dialog) { dialog->reject(); });
    for (TClickableLabel *label : {m_page->m_step2Title, m_page->m_step2Caption,
                                   m_page->m_step3Title, m_page->m_step3Caption})
        QTest::mouseClick(label, Qt::LeftButton);
    QTest::mouseClick(m_page->m_step2Frame, Qt::LeftButton);
    EXPECT_EQ(watch.Count(), 0);
    EXPECT_EQ(m_edits, 0);
    EXPECT_EQ(m_state.step, 1);
    QTest::mouseClick(m_page->m_step1Caption, Qt::LeftButton); // cancelled in the editor
    EXPECT_EQ(m_edits, 1);
}

TEST_F(MakerTest, CancelledStepOneStaysAtStepOneUntilAPictureWasChosenOnce)
{
    ChooseSource({});
    EXPECT_EQ(m_state.step, 1);
    EXPECT_FALSE(m_page->m_thumbnailPanel->isVisible());
    EXPECT_FALSE(m_state.sourceChosen);

    ChooseSource(GradientPicture({400, 200}));
    EXPECT_EQ(m_state.step, 2);
    EXPECT_TRUE(m_page->m_thumbnailPanel->isVisible());
    RunPropertiesWithOk();
    ASSERT_EQ(m_state.step, 3);

    // Cancelled after an earlier success: back to step 2, the picture kept.
    ChooseSource({});
    EXPECT_EQ(m_state.step, 2);
    EXPECT_EQ(PictureSize(*m_state.sourcePicture), QSize(400, 200));
    EXPECT_EQ(Thumbnail(*m_page), QRect(4, 38, 210, 105));

    // Ok on a file that failed to load leaves no picture to make a puzzle of: step 1 again.
    NextEditFailsToLoad();
    QTest::mouseClick(m_page->m_step1Title, Qt::LeftButton);
    EXPECT_EQ(m_state.step, 1);
    EXPECT_FALSE(m_state.sourceChosen);
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
        EXPECT_EQ(Thumbnail(*m_page), thumbnail) << picture.width() << "x" << picture.height();
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
    ASSERT_EQ(m_state.step, 3);
    ASSERT_TRUE(m_state.useAlternativePicture);
    ASSERT_TRUE(m_page->m_alternativePictureRadio->isEnabled());
    QTest::mouseClick(m_page->m_alternativePictureRadio, Qt::LeftButton);
    ASSERT_TRUE(m_page->m_alternativePictureRadio->isChecked());
    EXPECT_EQ(Thumbnail(*m_page), QRect(65, 4, 87, 174));

    AnswerModal<TPropertiesDialog>([](TPropertiesDialog *dialog) {
        QTest::mouseClick(dialog->m_cancelButton, Qt::LeftButton);
    });
    QTest::mouseClick(m_page->m_step2Caption, Qt::LeftButton);
    EXPECT_EQ(m_state.step, 3);
    EXPECT_FALSE(m_state.useAlternativePicture);
    EXPECT_TRUE(m_page->m_sourcePictureRadio->isChecked());
    EXPECT_FALSE(m_page->m_alternativePictureRadio->isEnabled());
    EXPECT_EQ(Thumbnail(*m_page), QRect(4, 38, 210, 105));
}

class MakerStepThreeTest : public MakerTest
{
protected:
    void SetUp() override
    {
        MakerTest::SetUp();
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QDir(m_folder.path()).mkpath("bin"));
        Platform::SetWorkingFolder(m_folder.filePath("bin"));
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
            m_shownFolder = dialog->directory().absolutePath();
            ChooseFileInDialog(dialog, path);
        });
        AnswerNextQuestion(false);
        QTest::mouseClick(m_page->m_step3Title, Qt::LeftButton);
    }

    const TWorkingFolderKeeper m_keeper;
    QTemporaryDir m_folder;
    QString m_shownFolder;
};

TEST_F(MakerStepThreeTest, CancelledSaveDialogKeepsTheWizardAtStepThree)
{
    ChooseSource(GradientPicture({400, 200}));
    RunPropertiesWithOk();
    AnswerModal<QFileDialog>([this](QFileDialog *dialog) {
        m_shownFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    QTest::mouseClick(m_page->m_step3Caption, Qt::LeftButton);
    EXPECT_EQ(m_state.step, 3);
    EXPECT_TRUE(m_host->isVisible());
    EXPECT_EQ(QFileInfo(m_shownFolder).canonicalFilePath(),
              QFileInfo(m_folder.filePath("my_puzzles")).canonicalFilePath());
    EXPECT_EQ(ExeImage(), ProgramPart);
}

TEST_F(MakerStepThreeTest, AlternativePictureIsWrittenOnlyWhenUsed)
{
    ChooseSource(GradientPicture({400, 200}));
    RunPropertiesWithOk();
    const QString plain = m_folder.filePath("plain.exe");
    SaveAs(plain);
    EXPECT_FALSE(m_host->isVisible()) << "either answer closes the maker";
    const QByteArray plainBytes = ReadBytes(plain);
    EXPECT_TRUE(plainBytes.startsWith(ProgramPart));
    EXPECT_TRUE(QFileInfo(plain).isExecutable());
    EXPECT_EQ(ReadSection(SectionIsPuzzle, plainBytes), "Y");
    EXPECT_EQ(ReadSection(SectionSourceImage, plainBytes), m_state.sourcePicture->Data());
    EXPECT_FALSE(plainBytes.contains("SO!#PRM_IMG"));
    TKeyedNode document;
    document.LoadFromText(ReadSection(SectionDocument, plainBytes));
    EXPECT_FALSE(document.SaveToText().contains(KeyUseAlternative));
    EXPECT_EQ(document.SaveToText(), m_state.document->StoredText());

    m_host->show();
    RunPropertiesWithOk(GradientPicture({300, 600}));
    const QString withAlternative = m_folder.filePath("with_alternative.exe");
    SaveAs(withAlternative);
    const QByteArray bytes = ReadBytes(withAlternative);
    EXPECT_EQ(ReadSection(SectionAlternativeImage, bytes), m_state.alternativePicture->Data());
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
        ChooseFileInDialog(dialog, m_folder.filePath("gone/puzzle.exe"));
    });
    QTest::mouseClick(m_page->m_step3Title, Qt::LeftButton);
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(m_state.step, 3);
    EXPECT_TRUE(m_host->isVisible());
    EXPECT_EQ(ExeImage(), ProgramPart);

    const QString retry = m_folder.filePath("retry.exe");
    SaveAs(retry);
    const QByteArray bytes = ReadBytes(retry);
    for (const char *name : {"SO!#IS_PUZZLE", "SO!#SRC_IMG", "SO!#PIG_TXT"})
        EXPECT_EQ(bytes.count(name), 1) << name;
}

TEST_F(MakerTest, CommandButtonsBrowseShowAboutAndExitAndTheVersionOpensTheAddress)
{
    QList<QUrl> opened;
    m_about->SetUrlOpener([&opened](const QUrl &url) { opened.append(url); });
    QTest::mouseClick(m_page->m_versionLabel, Qt::LeftButton);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(MakerMark::WebAddress())});
    EXPECT_TRUE(m_page->m_versionLabel->text().startsWith(TESSALUNE_VERSION));

    QSignalSpy browsing(m_page, &TMakerPage::BrowsePuzzlesRequested);
    QTest::mouseClick(m_page->m_browseButton, Qt::LeftButton);
    EXPECT_EQ(browsing.count(), 1);

    bool aboutShown = false;
    AnswerModal<TAboutWindow>([&aboutShown](TAboutWindow *window) {
        aboutShown = window->m_nameLabel->text() == "TESSALUNE";
        QTest::mouseClick(window->m_okButton, Qt::LeftButton);
    });
    QTest::mouseClick(m_page->m_aboutButton, Qt::LeftButton);
    EXPECT_TRUE(aboutShown);
    EXPECT_TRUE(m_host->isVisible());

    QTest::mouseClick(m_page->m_exitButton, Qt::LeftButton);
    EXPECT_FALSE(m_host->isVisible());
}

// The wizard's portable choice: the size it adds, remembered for the next puzzle, and a puzzle
// written with it carries the portable program part.
TEST_F(MakerStepThreeTest, PortableChoiceIsRememberedAndMakesAPortablePuzzle)
{
    ChooseSource(GradientPicture({400, 200}));
    RunPropertiesWithOk();
    TMakerPage portablePage(m_state, nullptr, TESSALUNE_PORTABLE_PROGRAM);
    ASSERT_TRUE(portablePage.m_portableCheckBox->isEnabled());
    EXPECT_TRUE(portablePage.m_portableCheckBox->text().contains(" MB)"));
    portablePage.m_portableCheckBox->setChecked(false);
    EXPECT_FALSE(IsPortableImage(portablePage.WritePuzzlePayload()));
    portablePage.m_portableCheckBox->setChecked(true);
    const QByteArray portable = portablePage.WritePuzzlePayload();
    EXPECT_TRUE(IsPortableImage(portable));
    EXPECT_TRUE(IsPuzzleImage(portable));
    EXPECT_EQ(ReadSection(SectionSourceImage, portable), m_state.sourcePicture->Data());

    EXPECT_TRUE(
        TMakerPage(m_state, nullptr, TESSALUNE_PORTABLE_PROGRAM).m_portableCheckBox->isChecked());
    portablePage.m_portableCheckBox->setChecked(false);
    EXPECT_FALSE(
        TMakerPage(m_state, nullptr, TESSALUNE_PORTABLE_PROGRAM).m_portableCheckBox->isChecked());
    // Without the portable part the choice cannot be made.
    const TMakerPage withoutPart(m_state, nullptr, QString());
    EXPECT_FALSE(withoutPart.m_portableCheckBox->isEnabled());
    EXPECT_FALSE(withoutPart.m_portableCheckBox->isChecked());
}

TEST_F(MakerTest, ADroppedPictureStartsStepOneWithItAndADroppedPuzzleGoesToThePlayer)
{
    EXPECT_FALSE(DropFiles(m_page, {QUrl(QStringLiteral("https://example.org/a.jpg"))}));
    EXPECT_FALSE(
        DropFiles(m_page, {QUrl::fromLocalFile("/p/a.jpg"), QUrl::fromLocalFile("/p/b.jpg")}));
    EXPECT_EQ(m_edits, 0);

    NextEdit(GradientPicture({40, 30}));
    EXPECT_TRUE(DropFiles(m_page, {QUrl::fromLocalFile(QStringLiteral("/pictures/sunset.jpg"))}));
    EXPECT_EQ(m_startFile, QStringLiteral("/pictures/sunset.jpg"));
    EXPECT_EQ(m_state.step, 2);

    QSignalSpy puzzles(m_page, &TMakerPage::PuzzleFileDropped);
    EXPECT_TRUE(DropFiles(m_page, {QUrl::fromLocalFile(QStringLiteral("/made/Sunset.EXE"))}));
    // Puzzles made or sent on Linux need no ending at all.
    EXPECT_TRUE(DropFiles(m_page, {QUrl::fromLocalFile(QStringLiteral("/made/sunset-puzzle"))}));
    ASSERT_EQ(puzzles.count(), 2);
    EXPECT_EQ(puzzles.at(0).first().toString(), QStringLiteral("/made/Sunset.EXE"));
    EXPECT_EQ(puzzles.at(1).first().toString(), QStringLiteral("/made/sunset-puzzle"));
    EXPECT_EQ(m_edits, 1) << "a puzzle is not a picture to edit";
}

TEST_F(MakerStepThreeTest, TheKeyboardAloneMakesAPuzzleAndTheQuestionNamesTheFile)
{
    m_host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_host.get()));
    // Keys go where the page's window has its focus.
    const auto pressOnFocus = [this](Qt::Key key) {
        QWidget *focused = m_host->focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, key);
    };
    m_page->m_versionLabel->setFocus();
    std::vector<QWidget *> tabStops;
    for (int i = 0; i < 5; ++i) {
        pressOnFocus(Qt::Key_Tab);
        tabStops.push_back(m_host->focusWidget());
    }
    EXPECT_EQ(tabStops, (std::vector<QWidget *>{m_page->m_browseButton, m_page->m_aboutButton,
                                                m_page->m_exitButton, m_page->m_webPageCheckBox,
                                                m_page->m_step1Title}));

    NextEdit(GradientPicture({40, 30}));
    pressOnFocus(Qt::Key_Return);
    ASSERT_EQ(m_state.step, 2);
    EXPECT_EQ(m_host->focusWidget(), m_page->m_step2Title) << "the next step waits for Enter";

    AnswerModal<TPropertiesDialog>([](TPropertiesDialog *dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    pressOnFocus(Qt::Key_Space);
    ASSERT_EQ(m_state.step, 3);

    const QString path = m_folder.filePath("by keyboard.exe");
    AnswerModal<QFileDialog>([&path](QFileDialog *dialog) { ChooseFileInDialog(dialog, path); });
    QString question;
    AnswerModal<TConfirmationWindow>([&question](TConfirmationWindow *window) {
        question = window->m_questionLabel->text();
        QTest::keyClick(window, Qt::Key_Escape);
    });
    pressOnFocus(Qt::Key_Return);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(question.remove(QChar(0x200B)).contains(QDir::toNativeSeparators(path)))
        << question.toStdString();
    EXPECT_FALSE(m_host->isVisible());
}

TEST_F(MakerStepThreeTest, TheNextSaveOffersTheFolderOfTheLastPuzzle)
{
    ChooseSource(GradientPicture({40, 30}));
    RunPropertiesWithOk();
    ASSERT_TRUE(QDir(m_folder.path()).mkpath("elsewhere"));
    SaveAs(m_folder.filePath("elsewhere/first.exe"));
    AnswerModal<QFileDialog>([this](QFileDialog *dialog) {
        m_shownFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_FALSE(m_page->SaveNewPuzzle());
    EXPECT_EQ(QFileInfo(m_shownFolder).canonicalFilePath(),
              QFileInfo(m_folder.filePath("elsewhere")).canonicalFilePath());
}

// The wizard's web page choice: remembered for the next puzzle, and Step 3 then writes the page
// beside the puzzle, holding the stored picture as it is.
TEST_F(MakerStepThreeTest, WebPageChoiceIsRememberedAndWritesThePageBesideThePuzzle)
{
    ChooseSource(GradientPicture({400, 200}));
    RunPropertiesWithOk();
    m_page->m_webPageCheckBox->setChecked(true);
    EXPECT_TRUE(TMakerPage(m_state, nullptr).m_webPageCheckBox->isChecked());
    SaveAs(m_folder.filePath("shared.exe"));
    const QByteArray page = ReadBytes(m_folder.filePath("shared.html"));
    EXPECT_TRUE(page.contains(m_state.sourcePicture->Data().toBase64()));
    m_page->m_webPageCheckBox->setChecked(false);
    EXPECT_FALSE(TMakerPage(m_state, nullptr).m_webPageCheckBox->isChecked());
}
