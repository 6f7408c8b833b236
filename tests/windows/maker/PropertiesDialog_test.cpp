// The new-puzzle properties dialog: its first values, the piece count, the alternative picture's
// check box and button, what Ok and Cancel leave in the document and the flag, and the keyboard
// order.
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PieceQuality.h"
#include "engine/jigsaw/PieceTurns.h"
#include "engine/jigsaw/Random.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/Resampling.h"
#include "support/MakerFixture.h"
#include "support/ModalAnswer.h"
#include "support/TestPuzzles.h"
#include "windows/common/ShapeWidget.h"
#include "windows/maker/PropertiesDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTest>
#include <QToolButton>

using namespace PuzzleSchema;

class PropertiesTest : public MakerTest
{
protected:
    // One run answered by answer; the result and the flag afterwards.
    std::pair<bool, bool> Run(std::function<void(TPropertiesDialog *)> answer, bool use = false)
    {
        AnswerModal<TPropertiesDialog>(std::move(answer));
        const bool done =
            m_props->RunProperties(m_state.sourcePicture.get(), m_state.document.get(),
                                   m_state.alternativePicture.get(), use);
        return {done, use};
    }

    static void Ok(TPropertiesDialog *dialog)
    {
        QTest::mouseClick(dialog->m_okButton, Qt::LeftButton);
    }
};

TEST_F(PropertiesTest, StartsWithPuzzleSevenBySevenAndCountsThePieces)
{
    EXPECT_EQ(m_props->m_nameEdit->text(), "Puzzle");
    EXPECT_EQ(m_props->m_widthBox->currentText(), "7");
    EXPECT_EQ(m_props->m_heightBox->currentText(), "7");
    EXPECT_EQ(m_props->m_pieceCountLabel->text(), "( 49 pieces )");
    EXPECT_TRUE(m_props->m_bordersCheckBox->isChecked());
    EXPECT_FALSE(m_props->m_alternativeCheckBox->isChecked());
    EXPECT_FALSE(m_props->m_loadAlternativeButton->isEnabled());
    EXPECT_EQ(m_props->m_widthBox->itemText(0), "3");
    EXPECT_EQ(m_props->m_heightBox->itemText(m_props->m_heightBox->count() - 1), "100");

    Run([](TPropertiesDialog *dialog) {
        dialog->m_widthBox->setFocus();
        dialog->m_widthBox->setCurrentText("15");
        dialog->m_heightBox->setFocus();
        QTest::keyClick(dialog->m_heightBox, Qt::Key_Down);
        QTest::keyClick(dialog->m_heightBox, Qt::Key_Down);
        EXPECT_EQ(dialog->m_pieceCountLabel->text(), "( 135 pieces )");
        Ok(dialog);
    });
    EXPECT_EQ(StoredTree(*m_state.document)->GetAttr(KeyCols), "15");
    EXPECT_EQ(StoredTree(*m_state.document)->GetAttr(KeyRows), "9");
    EXPECT_EQ(StoredTree(*m_state.document)->FindChild(PiecesNode)->ChildCount(), 135);
}

TEST_F(PropertiesTest, LoadPictureFollowsTheCheckBox)
{
    QTest::mouseClick(m_props->m_alternativeCheckBox, Qt::LeftButton);
    EXPECT_TRUE(m_props->m_loadAlternativeButton->isEnabled());
    QTest::mouseClick(m_props->m_alternativeCheckBox, Qt::LeftButton);
    EXPECT_FALSE(m_props->m_loadAlternativeButton->isEnabled());
    EXPECT_EQ(m_props->m_alternativeCheckBox->text(),
              "Show other picture when the puzzle is solved");
}

TEST_F(PropertiesTest, AlternativePictureCountsOnlyWhenLoadedInTheSameRun)
{
    bool done = false, use = false;
    // Ticked, but the editor was cancelled, or closed with Ok on a file that failed to load.
    for (const bool failedLoad : {false, true}) {
        NextEdit({});
        if (failedLoad)
            NextEditFailsToLoad();
        std::tie(done, use) = Run([](TPropertiesDialog *dialog) {
            QTest::mouseClick(dialog->m_alternativeCheckBox, Qt::LeftButton);
            QTest::mouseClick(dialog->m_loadAlternativeButton, Qt::LeftButton);
            Ok(dialog);
        });
        EXPECT_TRUE(done);
        EXPECT_FALSE(use);
        EXPECT_FALSE(m_props->m_alternativeCheckBox->isChecked());
        EXPECT_FALSE(m_props->m_loadAlternativeButton->isEnabled());
    }

    // Loaded: used.
    NextEdit(GradientPicture({30, 20}));
    std::tie(done, use) = Run([](TPropertiesDialog *dialog) {
        QTest::mouseClick(dialog->m_alternativeCheckBox, Qt::LeftButton);
        QTest::mouseClick(dialog->m_loadAlternativeButton, Qt::LeftButton);
        Ok(dialog);
    });
    EXPECT_TRUE(use);
    EXPECT_EQ(PictureSize(*m_state.alternativePicture), QSize(30, 20));

    // The next run's Ok without loading again: unticked, not used, the picture kept.
    std::tie(done, use) = Run([](TPropertiesDialog *dialog) {
        EXPECT_TRUE(dialog->m_alternativeCheckBox->isChecked());
        Ok(dialog);
    });
    EXPECT_TRUE(done);
    EXPECT_FALSE(use);
    EXPECT_FALSE(m_props->m_alternativeCheckBox->isChecked());
    EXPECT_EQ(PictureSize(*m_state.alternativePicture), QSize(30, 20));
}

TEST_F(PropertiesTest, CancelLeavesTheDocumentAndTheFlagAlone)
{
    Run(Ok);
    const QByteArray before = m_state.document->StoredText();
    for (bool use : {false, true}) {
        const auto [done, after] = Run(
            [](TPropertiesDialog *dialog) {
                dialog->m_nameEdit->setText("Changed");
                QTest::mouseClick(dialog->m_cancelButton, Qt::LeftButton);
            },
            use);
        EXPECT_FALSE(done);
        EXPECT_EQ(after, use);
        EXPECT_EQ(m_state.document->StoredText(), before);
    }
    // The window's close button is a cancel too; the fields keep what was typed.
    const auto [done, after] = Run([](TPropertiesDialog *dialog) { dialog->close(); });
    EXPECT_FALSE(done);
    EXPECT_EQ(m_props->m_nameEdit->text(), "Changed");
}

TEST_F(PropertiesTest, TextsAreStoredTrimmedWithTheirInnerBlanks)
{
    Run([](TPropertiesDialog *dialog) {
        dialog->m_nameEdit->clear();
        QTest::keyClicks(dialog->m_nameEdit, "  Spring  tulips \t");
        dialog->m_authorEdit->setText(" Ann  Lee ");
        dialog->m_websiteEdit->setText("   ");
        QTest::mouseClick(dialog->m_bordersCheckBox, Qt::LeftButton);
        Ok(dialog);
    });
    EXPECT_EQ(StoredTree(*m_state.document)->Name(), RootNode);
    EXPECT_EQ(StoredTree(*m_state.document)->GetAttr(KeyName), "Spring  tulips");
    EXPECT_EQ(StoredTree(*m_state.document)->GetAttr(KeyAuthor), "Ann  Lee");
    EXPECT_FALSE(m_state.document->StoredText().contains(KeyWebsite));
    EXPECT_EQ(StoredTree(*m_state.document)->GetAttr(KeyBorders), "N");
}

TEST_F(PropertiesTest, EveryOkDrawsNewEdgesFromTheGenerator)
{
    std::uint32_t seed = 1;
    m_props->SetRandomSeeding([&seed](TRandomGenerator &random) { random.SetState(seed++); });
    Run(Ok);
    const QByteArray first = m_state.document->StoredText();
    Run(Ok);
    EXPECT_NE(m_state.document->StoredText(), first);
    seed = 1;
    Run(Ok);
    EXPECT_EQ(m_state.document->StoredText(), first) << "the edges come from the generator's state";
}

TEST_F(PropertiesTest, NoRunWithoutSourcePictureOrDocument)
{
    // For clicks that must open nothing.
    const TModalAnswerer<QDialog> watch([](QDialog *dialog) { dialog->reject(); });
    bool use = true;
    EXPECT_FALSE(m_props->RunProperties(nullptr, m_state.document.get(), nullptr, use));
    EXPECT_FALSE(m_props->RunProperties(m_state.sourcePicture.get(), nullptr, nullptr, use));
    EXPECT_TRUE(use);
    EXPECT_EQ(watch.Count(), 0);
}

// Digits typed in quick succession make one number; a pause starts the next.
TEST_F(PropertiesTest, TypedNumberChoosesThatSizeInTheList)
{
    Run([](TPropertiesDialog *dialog) {
        QComboBox *list = dialog->m_widthBox;
        list->setCurrentText(QStringLiteral("10"));
        QTest::keyClick(list, Qt::Key_3);
        EXPECT_EQ(list->currentText(), QStringLiteral("3"));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(list, QStringLiteral("35"));
        EXPECT_EQ(list->currentText(), QStringLiteral("35"));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClick(list, Qt::Key_5, Qt::KeypadModifier);
        EXPECT_EQ(list->currentText(), QStringLiteral("5"));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(list, QStringLiteral("100"));
        EXPECT_EQ(list->currentText(), QStringLiteral("100"));
        QTest::keyClicks(list, QStringLiteral("7"));
        EXPECT_EQ(list->currentText(), QStringLiteral("7")) << "no 1007 in the list: a new number";
        QTest::mouseClick(dialog->m_cancelButton, Qt::LeftButton);
    });
}

TEST_F(PropertiesTest, TabGoesThroughSizesAndPropertiesFirstThenTheTexts)
{
    Run([](TPropertiesDialog *dialog) {
        const QWidget *expected[] = {
            dialog->m_heightBox,      dialog->m_bordersCheckBox, dialog->m_alternativeCheckBox,
            dialog->m_turnedCheckBox, dialog->m_nameEdit,        dialog->m_authorEdit,
            dialog->m_websiteEdit};
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        dialog->m_widthBox->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([dialog] { return dialog->m_widthBox->hasFocus(); }));
        for (const QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), next);
        }
        QTest::mouseClick(dialog->m_cancelButton, Qt::LeftButton);
    });
}

TEST_F(PropertiesTest, BlurryPiecesAreNamedAndTheLargestSharpGridIsOffered)
{
    m_state.sourcePicture->Assign(GradientPicture({1000, 750}));
    Run([](TPropertiesDialog *dialog) {
        EXPECT_EQ(dialog->m_pieceSizeLabel->text(), "One piece: 142 × 107 pixels of the picture");
        EXPECT_TRUE(dialog->m_qualityWarning->text().isEmpty());
        EXPECT_FALSE(dialog->m_qualityFixButton->isVisible());
        dialog->m_widthBox->setCurrentText("100");
        dialog->m_heightBox->setCurrentText("100");
        EXPECT_LT(dialog->m_pieceCountLabel->geometry().right(),
                  dialog->m_sizeBox->geometry().right())
            << "( 10000 pieces ) stays inside the box";
        EXPECT_EQ(dialog->m_qualityWarning->text(),
                  "Pieces of 10 × 7 pixels will look blurry; up to 25 × 18 pieces stay sharp.");
        ASSERT_TRUE(dialog->m_qualityFixButton->isVisible());
        QTest::mouseClick(dialog->m_qualityFixButton, Qt::LeftButton);
        EXPECT_EQ(dialog->m_pieceCountLabel->text(), "( 450 pieces )");
        EXPECT_TRUE(dialog->m_qualityWarning->text().isEmpty());
        Ok(dialog);
    });
    EXPECT_EQ(StoredTree(*m_state.document)->GetAttr(KeyCols), "25");
}

TEST_F(PropertiesTest, PiecesTooLargeForTheScreenAreScaledInOneClick)
{
    m_state.sourcePicture->Assign(GradientPicture({3000, 2400}));
    Run([this](TPropertiesDialog *dialog) {
        // Judged against the pixels the screen really has, at any scale.
        const QSize screen =
            dialog->screen()->availableGeometry().size() * dialog->screen()->devicePixelRatio();
        EXPECT_EQ(dialog->screen()->devicePixelRatio(),
                  qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
        const TPieceQuality before = JudgePieceQuality({3000, 2400}, 7, 7, screen);
        ASSERT_TRUE(before.tooLarge);
        EXPECT_EQ(dialog->m_qualityFixButton->text(),
                  QString("Scale picture to %1%").arg(before.comfortableScalePercent));
        QTest::mouseClick(dialog->m_qualityFixButton, Qt::LeftButton);
        EXPECT_EQ(m_state.sourcePicture->Width(),
                  ScaledLength(3000, before.comfortableScalePercent));
        EXPECT_FALSE(dialog->m_qualityFixButton->isVisible());
        Ok(dialog);
    });
}

TEST_F(PropertiesTest, AtTwiceTheScaleTooLargePiecesAreJudgedInDevicePixels)
{
    QProcess scaled;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    scaled.setProcessEnvironment(environment);
    scaled.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=PropertiesTest.PiecesTooLarge*")});
    ASSERT_TRUE(scaled.waitForFinished(60000));
    const QByteArray output = scaled.readAllStandardOutput();
    EXPECT_EQ(scaled.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST_F(PropertiesTest, TurnedPiecesAreStoredOnlyWhenChosen)
{
    Run([](TPropertiesDialog *dialog) {
        dialog->m_turnedCheckBox->setChecked(true);
        Ok(dialog);
    });
    EXPECT_TRUE(m_state.document->Game().turnedPieces);
    Run([](TPropertiesDialog *dialog) {
        dialog->m_turnedCheckBox->setChecked(false);
        Ok(dialog);
    });
    EXPECT_FALSE(m_state.document->Game().turnedPieces);
    EXPECT_EQ(StoredTree(*m_state.document)->FindChild(PiecesNode)->ChildCount(), 49);
}

TEST_F(PropertiesTest, KeyboardReachesEveryCommandEnterIsOkAndEscCancels)
{
    NextEdit(GradientPicture({30, 20}));
    const auto [done, use] = Run([this](TPropertiesDialog *dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
        dialog->m_alternativeCheckBox->setFocus();
        press(Qt::Key_Space);
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), dialog->m_loadAlternativeButton);
        press(Qt::Key_Return);
        EXPECT_EQ(m_edits, 1) << "Enter on \"Load picture\" loads";
        dialog->m_websiteEdit->setFocus();
        for (const QWidget *next : {static_cast<QWidget *>(dialog->m_okButton),
                                    static_cast<QWidget *>(dialog->m_cancelButton)}) {
            press(Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), next);
        }
        dialog->m_authorEdit->setFocus();
        QTest::keyClicks(dialog->m_authorEdit, QStringLiteral("Ada"));
        press(Qt::Key_Return);
    });
    EXPECT_TRUE(done);
    EXPECT_TRUE(use);
    EXPECT_EQ(StoredTree(*m_state.document)->GetAttr(KeyAuthor), "Ada");

    const QByteArray before = m_state.document->StoredText();
    EXPECT_FALSE(
        Run([](TPropertiesDialog *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }).first);
    EXPECT_EQ(m_state.document->StoredText(), before);
}

namespace
{

// What a dialog shows of the remembered choices: author|website|across|down|borders|turned.
QString RememberedShown(const TPropertiesDialog &dialog)
{
    return QStringList{dialog.m_authorEdit->text(),
                       dialog.m_websiteEdit->text(),
                       dialog.m_widthBox->currentText(),
                       dialog.m_heightBox->currentText(),
                       dialog.m_bordersCheckBox->isChecked() ? "1" : "0",
                       dialog.m_turnedCheckBox->isChecked() ? "1" : "0"}
        .join('|');
}

const char RememberedVariable[] = "TESSALUNE_TEST_REMEMBERED";

} // namespace

// Run alone it is a first start; run by the test below in a process of its own, it is the
// user's next start.
TEST(RememberedChoices, ANewDialogStartsWithThem)
{
    const bool nextStart = qEnvironmentVariableIsSet(RememberedVariable);
    if (!nextStart)
        ForgetUserSettings();
    const TPropertiesDialog dialog;
    EXPECT_EQ(RememberedShown(dialog),
              nextStart ? qEnvironmentVariable(RememberedVariable) : QStringLiteral("||7|7|1|0"));
    EXPECT_EQ(dialog.m_nameEdit->text(), QStringLiteral("Puzzle")) << "each puzzle its own name";
}

TEST_F(PropertiesTest, OkRemembersTheChoicesForTheNextStart)
{
    Run([](TPropertiesDialog *dialog) {
        dialog->m_authorEdit->setText(QStringLiteral(" Ada L. "));
        dialog->m_websiteEdit->setText(QStringLiteral("https://ada.example"));
        dialog->m_widthBox->setCurrentText(QStringLiteral("11"));
        dialog->m_heightBox->setCurrentText(QStringLiteral("9"));
        dialog->m_bordersCheckBox->setChecked(false);
        dialog->m_turnedCheckBox->setChecked(true);
        Ok(dialog);
    });
    const QString expected = QStringLiteral("Ada L.|https://ada.example|11|9|0|1");
    QProcess next;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(RememberedVariable, expected);
    next.setProcessEnvironment(environment);
    next.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--gtest_filter=RememberedChoices.*")});
    ASSERT_TRUE(next.waitForFinished(60000));
    const QByteArray output = next.readAllStandardOutput();
    EXPECT_EQ(next.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}
