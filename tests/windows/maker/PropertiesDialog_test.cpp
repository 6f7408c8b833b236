// The new-puzzle properties dialog: its first values, the piece count, the alternative picture's
// check box and button, what Ok and Cancel leave in the document and the flag, and the keyboard
// order.
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/Random.h"
#include "engine/picture/JpegPicture.h"
#include "support/MakerFixture.h"
#include "support/ModalAnswer.h"
#include "windows/maker/PropertiesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

using namespace PuzzleSchema;

class PropertiesTest : public MakerTest
{
protected:
    // One run answered by answer; the result and the flag afterwards.
    std::pair<bool, bool> Run(std::function<void(TD_puzzle_props *)> answer, bool use = false)
    {
        AnswerModal<TD_puzzle_props>(std::move(answer));
        const bool done = props->RunProperties(state.SourcePicture.get(), state.Document.get(),
                                               state.AlternativePicture.get(), use);
        return {done, use};
    }

    static void Ok(TD_puzzle_props *dialog) { QTest::mouseClick(dialog->SB_ok, Qt::LeftButton); }
};

TEST_F(PropertiesTest, StartsWithPuzzleSevenBySevenAndCountsThePieces)
{
    EXPECT_EQ(props->Edit_name->text(), "Puzzle");
    EXPECT_EQ(props->CB_width->currentText(), "7");
    EXPECT_EQ(props->CB_height->currentText(), "7");
    EXPECT_EQ(props->Label_size_js->text(), "( 49 pieces )");
    EXPECT_TRUE(props->CB_3D->isChecked());
    EXPECT_FALSE(props->CB_transform_solved->isChecked());
    EXPECT_FALSE(props->SB_premium_img->isEnabled());
    EXPECT_EQ(props->CB_width->count(), 9);
    EXPECT_EQ(props->CB_height->itemText(8), "15");

    Run([](TD_puzzle_props *dialog) {
        dialog->CB_width->setFocus();
        QTest::keyClick(dialog->CB_width, Qt::Key_End);
        dialog->CB_height->setFocus();
        QTest::keyClick(dialog->CB_height, Qt::Key_Down);
        QTest::keyClick(dialog->CB_height, Qt::Key_Down);
        EXPECT_EQ(dialog->Label_size_js->text(), "( 135 pieces )");
        Ok(dialog);
    });
    EXPECT_EQ(state.Document->GetAttr(KeyCols), "15");
    EXPECT_EQ(state.Document->GetAttr(KeyRows), "9");
    EXPECT_EQ(state.Document->FindChild(PiecesNode)->ChildCount(), 135);
}

TEST_F(PropertiesTest, LoadPictureFollowsTheCheckBox)
{
    QTest::mouseClick(props->CB_transform_solved, Qt::LeftButton);
    EXPECT_TRUE(props->SB_premium_img->isEnabled());
    QTest::mouseClick(props->CB_transform_solved, Qt::LeftButton);
    EXPECT_FALSE(props->SB_premium_img->isEnabled());
    EXPECT_EQ(props->CB_transform_solved->text(), "Show other picture when the puzzle is solved");
}

TEST_F(PropertiesTest, AlternativePictureCountsOnlyWhenLoadedInTheSameRun)
{
    bool done = false, use = false;
    // Ticked, but the editor was cancelled, or closed with Ok on a file that failed to load.
    for (const bool failedLoad : {false, true}) {
        NextEdit({});
        if (failedLoad)
            NextEditFailsToLoad();
        std::tie(done, use) = Run([](TD_puzzle_props *dialog) {
            QTest::mouseClick(dialog->CB_transform_solved, Qt::LeftButton);
            QTest::mouseClick(dialog->SB_premium_img, Qt::LeftButton);
            Ok(dialog);
        });
        EXPECT_TRUE(done);
        EXPECT_FALSE(use);
        EXPECT_FALSE(props->CB_transform_solved->isChecked());
        EXPECT_FALSE(props->SB_premium_img->isEnabled());
    }

    // Loaded: used.
    NextEdit(GradientPicture({30, 20}));
    std::tie(done, use) = Run([](TD_puzzle_props *dialog) {
        QTest::mouseClick(dialog->CB_transform_solved, Qt::LeftButton);
        QTest::mouseClick(dialog->SB_premium_img, Qt::LeftButton);
        Ok(dialog);
    });
    EXPECT_TRUE(use);
    EXPECT_EQ(PictureSize(*state.AlternativePicture), QSize(30, 20));

    // The next run's Ok without loading again: unticked, not used, the picture kept.
    std::tie(done, use) = Run([](TD_puzzle_props *dialog) {
        EXPECT_TRUE(dialog->CB_transform_solved->isChecked());
        Ok(dialog);
    });
    EXPECT_TRUE(done);
    EXPECT_FALSE(use);
    EXPECT_FALSE(props->CB_transform_solved->isChecked());
    EXPECT_EQ(PictureSize(*state.AlternativePicture), QSize(30, 20));
}

TEST_F(PropertiesTest, CancelLeavesTheDocumentAndTheFlagAlone)
{
    Run(Ok);
    const QByteArray before = state.Document->SaveToText();
    for (bool use : {false, true}) {
        const auto [done, after] = Run(
            [](TD_puzzle_props *dialog) {
                dialog->Edit_name->setText("Changed");
                QTest::mouseClick(dialog->SB_cancel, Qt::LeftButton);
            },
            use);
        EXPECT_FALSE(done);
        EXPECT_EQ(after, use);
        EXPECT_EQ(state.Document->SaveToText(), before);
    }
    // The window's close button is a cancel too; the fields keep what was typed.
    const auto [done, after] = Run([](TD_puzzle_props *dialog) { dialog->close(); });
    EXPECT_FALSE(done);
    EXPECT_EQ(props->Edit_name->text(), "Changed");
}

TEST_F(PropertiesTest, TextsAreStoredTrimmedWithTheirInnerBlanks)
{
    Run([](TD_puzzle_props *dialog) {
        dialog->Edit_name->clear();
        QTest::keyClicks(dialog->Edit_name, "  Spring  tulips \t");
        dialog->Edit_author->setText(" Ann  Lee ");
        dialog->Edit_authors_website->setText("   ");
        QTest::mouseClick(dialog->CB_3D, Qt::LeftButton);
        Ok(dialog);
    });
    EXPECT_EQ(state.Document->Name(), RootNode);
    EXPECT_EQ(state.Document->GetAttr(KeyName), "Spring  tulips");
    EXPECT_EQ(state.Document->GetAttr(KeyAuthor), "Ann  Lee");
    EXPECT_FALSE(state.Document->SaveToText().contains(KeyWebsite));
    EXPECT_EQ(state.Document->GetAttr(KeyBorders), "N");
}

TEST_F(PropertiesTest, EveryOkDrawsNewEdgesFromTheGenerator)
{
    std::uint32_t seed = 1;
    props->SetRandomSeeding([&seed](TRandomGenerator &random) { random.SetState(seed++); });
    Run(Ok);
    const QByteArray first = state.Document->SaveToText();
    Run(Ok);
    EXPECT_NE(state.Document->SaveToText(), first);
    seed = 1;
    Run(Ok);
    EXPECT_EQ(state.Document->SaveToText(), first) << "the edges come from the generator's state";
}

TEST_F(PropertiesTest, NoRunWithoutSourcePictureOrDocument)
{
    // For clicks that must open nothing.
    const TModalAnswerer<QDialog> watch([](QDialog *dialog) { dialog->reject(); });
    bool use = true;
    EXPECT_FALSE(props->RunProperties(nullptr, state.Document.get(), nullptr, use));
    EXPECT_FALSE(props->RunProperties(state.SourcePicture.get(), nullptr, nullptr, use));
    EXPECT_TRUE(use);
    EXPECT_EQ(watch.Count(), 0);
}

TEST_F(PropertiesTest, TabGoesThroughSizesAndPropertiesFirstThenTheTexts)
{
    Run([](TD_puzzle_props *dialog) {
        const QWidget *expected[] = {dialog->CB_height,           dialog->CB_3D,
                                     dialog->CB_transform_solved, dialog->Edit_name,
                                     dialog->Edit_author,         dialog->Edit_authors_website};
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        dialog->CB_width->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([dialog] { return dialog->CB_width->hasFocus(); }));
        for (const QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), next);
        }
        QTest::mouseClick(dialog->SB_cancel, Qt::LeftButton);
    });
}
