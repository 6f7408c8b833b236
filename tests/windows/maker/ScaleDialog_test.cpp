// The scale view dialog moved by its keys: shown sizes rounded half to even, the apply button's
// state, Ok, Cancel and Reset, and the apply question answered both ways.
#include "engine/picture/JpegPicture.h"
#include "support/ModalAnswer.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/MainState.h"
#include "windows/common/WindowInstances.h"
#include "windows/maker/PictureEditor.h"
#include "windows/maker/PictureView.h"
#include "windows/maker/ScaleDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

class ScaleDialog : public ::testing::Test
{
protected:
    // Moves the slider to position as the keyboard does: to the far left, then step by step.
    static void MoveTo(TD_scale_image &dialog, int position)
    {
        QTest::keyClick(dialog.TrB1, Qt::Key_Home);
        for (int p = dialog.TrB1->minimum(); p < position; ++p)
            QTest::keyClick(dialog.TrB1, Qt::Key_Right);
        ASSERT_EQ(dialog.TrB1->value(), position);
        ASSERT_EQ(dialog.Label_scale->text(), QString::number(position));
    }

    // Runs the dialog on view; work acts in the open dialog and closes it.
    void Scale(TPictureView &view, const std::function<void(TD_scale_image &)> &work)
    {
        AnswerModal<TD_scale_image>([&](TD_scale_image *dialog) { work(*dialog); });
        scale.ScaleView(&view, true);
        EXPECT_FALSE(scale.isVisible());
    }

    void AnswerQuestion(bool yes)
    {
        AnswerModal<TFsure>([this, yes](TFsure *window) {
            asked << window->Label1->text();
            QTest::mouseClick(yes ? window->OKBtn : window->CancelBtn, Qt::LeftButton);
        });
    }

    static QImage Picture(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, qRgb(x % 256, y % 256, 40));
        return image;
    }

    TMainState state;
    TPublishedAs<TMainState> publishedState{MainState, &state};
    TFsure sure;
    TPublishedAs<TFsure> publishedSure{Fsure, &sure};
    TD_scale_image scale;
    TPublishedAs<TD_scale_image> publishedScale{D_scale_image, &scale};
    QStringList asked;
};

TEST_F(ScaleDialog, ShownSizesRoundHalfToEvenAndApplyIsOfferedAwayFromRealSize)
{
    struct TCase {
        QSize real;
        int position;
        QSize shown;
    };
    const TCase cases[] = {{{400, 300}, 25, {100, 75}},
                           {{400, 300}, 160, {640, 480}},
                           {{400, 300}, 10, {40, 30}},
                           {{5, 5}, 10, {0, 0}},
                           {{5, 5}, 30, {2, 2}}};
    for (const TCase &c : cases) {
        TPictureView view;
        view.SetPicture(Picture(c.real.width(), c.real.height()));
        Scale(view, [&](TD_scale_image &dialog) {
            EXPECT_FALSE(dialog.btn_apply->isEnabled()) << "at 100";
            MoveTo(dialog, c.position);
            EXPECT_EQ(view.size(), c.shown) << c.position;
            EXPECT_EQ(dialog.btn_apply->isEnabled(), !c.shown.isEmpty());
            QTest::mouseClick(dialog.BtnClose, Qt::LeftButton);
        });
        EXPECT_EQ(view.size(), c.shown) << "Ok keeps the shown size";
        EXPECT_EQ(view.Picture().size(), c.real) << "and the picture";
    }
}

TEST_F(ScaleDialog, CancelAndResetGoBackToRealSize)
{
    TPictureView view;
    view.SetPicture(Picture(400, 300));
    Scale(view, [&](TD_scale_image &dialog) {
        MoveTo(dialog, 50);
        QTest::mouseClick(dialog.btn_reset, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.TrB1->value(), 100);
        EXPECT_EQ(view.size(), QSize(400, 300));
        EXPECT_FALSE(view.IsStretched());
        MoveTo(dialog, 120);
        QTest::mouseClick(dialog.btn_cancel, Qt::LeftButton);
    });
    EXPECT_EQ(view.size(), QSize(400, 300));
    EXPECT_EQ(scale.Label_scale->text(), QStringLiteral("100"));
    scale.ScaleView(nullptr, true); // returns at once: no dialog to answer
}

TEST_F(ScaleDialog, ApplyAtHalfResamplesOnlyAfterYesAndMarksTheOpenEditor)
{
    TJPEGImage picture;
    picture.Assign(Picture(400, 300));
    TOpenPictureEditor open(nullptr);
    TF_picture_mgm &editor = open.Editor();
    AnswerModal<TF_picture_mgm>([&](TF_picture_mgm *) {
        AnswerModal<TD_scale_image>([&](TD_scale_image *dialog) {
            MoveTo(*dialog, 50);
            AnswerQuestion(false);
            QTest::mouseClick(dialog->btn_apply, Qt::LeftButton);
            EXPECT_TRUE(dialog->isVisible()) << "No leaves the dialog open";
            EXPECT_EQ(editor.Image1->Picture().size(), QSize(400, 300));

            AnswerQuestion(true);
            QTest::mouseClick(dialog->btn_apply, Qt::LeftButton);
        });
        QTest::mouseClick(editor.btn_scale, Qt::LeftButton);
        EXPECT_EQ(editor.Image1->Picture().size(), QSize(200, 150));
        EXPECT_EQ(editor.Image1->size(), QSize(200, 150));
        EXPECT_FALSE(editor.Image1->IsStretched());
        EXPECT_EQ(scale.TrB1->value(), 100);
        QTest::mouseClick(editor.btn_ok, Qt::LeftButton);
    });
    EXPECT_TRUE(editor.EditPicture(picture, QStringLiteral("Source picture")))
        << "the applied scale marked the editor as changed";
    const QString question = QStringLiteral("Do you really want to set real image size 200 x 150?");
    EXPECT_EQ(asked, QStringList({question, question}));
    EXPECT_EQ(picture.Width(), 200);
}

TEST_F(ScaleDialog, OkAtHalfLeavesThePixelsWhole)
{
    const QImage original = Picture(400, 300);
    TJPEGImage picture;
    picture.Assign(original);
    AnswerModal<TF_picture_mgm>([&](TF_picture_mgm *editor) {
        AnswerModal<TD_scale_image>([&](TD_scale_image *dialog) {
            MoveTo(*dialog, 50);
            QTest::mouseClick(dialog->BtnClose, Qt::LeftButton);
        });
        QTest::mouseClick(editor->btn_scale, Qt::LeftButton);
        EXPECT_EQ(editor->Image1->size(), QSize(200, 150));
        QTest::mouseClick(editor->btn_ok, Qt::LeftButton);
    });
    EXPECT_FALSE(EditPictureInNewEditor(picture, QStringLiteral("Source picture"), nullptr));
    const QImage back = picture.ToBitmap();
    ASSERT_EQ(back.size(), QSize(400, 300));
    // Quality 90 keeps a smooth picture within a few levels.
    EXPECT_NEAR(qRed(back.pixel(300, 200)), 300 % 256, 6);
}

} // namespace
