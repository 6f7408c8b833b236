// The scale view dialog moved by its keys: shown sizes rounded half to even, the apply button's
// state, Ok, Cancel and Reset, and the apply question answered both ways.
#include "engine/picture/JpegPicture.h"
#include "support/ModalAnswer.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/ProgramWindows.h"
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
    static void MoveTo(TScaleDialog &dialog, int position)
    {
        QTest::keyClick(dialog.m_scaleSlider, Qt::Key_Home);
        for (int p = dialog.m_scaleSlider->minimum(); p < position; ++p)
            QTest::keyClick(dialog.m_scaleSlider, Qt::Key_Right);
        ASSERT_EQ(dialog.m_scaleSlider->value(), position);
        ASSERT_EQ(dialog.m_scaleLabel->text(), QString::number(position));
    }

    // Runs the dialog on view; work acts in the open dialog and closes it.
    void Scale(TPictureView &view, const std::function<void(TScaleDialog &)> &work)
    {
        AnswerModal<TScaleDialog>([&](TScaleDialog *dialog) { work(*dialog); });
        m_scale.ScaleView(&view, true);
        EXPECT_FALSE(m_scale.isVisible());
    }

    void AnswerQuestion(bool yes)
    {
        AnswerModal<TConfirmationWindow>([this, yes](TConfirmationWindow *window) {
            m_asked << window->m_questionLabel->text();
            QTest::mouseClick(yes ? window->m_yesButton : window->m_noButton, Qt::LeftButton);
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

    TConfirmationWindow m_sure;
    TPublishedAs<TConfirmationWindow> m_publishedSure{ProgramWindows().confirmationWindow, &m_sure};
    TScaleDialog m_scale;
    TPublishedAs<TScaleDialog> m_publishedScale{ProgramWindows().scaleDialog, &m_scale};
    QStringList m_asked;
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
        Scale(view, [&](TScaleDialog &dialog) {
            EXPECT_FALSE(dialog.m_applyButton->isEnabled()) << "at 100";
            MoveTo(dialog, c.position);
            EXPECT_EQ(view.size(), c.shown) << c.position;
            EXPECT_EQ(dialog.m_applyButton->isEnabled(), !c.shown.isEmpty());
            QTest::mouseClick(dialog.m_closeButton, Qt::LeftButton);
        });
        EXPECT_EQ(view.size(), c.shown) << "Ok keeps the shown size";
        EXPECT_EQ(view.Picture().size(), c.real) << "and the picture";
    }
}

TEST_F(ScaleDialog, CancelAndResetGoBackToRealSize)
{
    TPictureView view;
    view.SetPicture(Picture(400, 300));
    Scale(view, [&](TScaleDialog &dialog) {
        MoveTo(dialog, 50);
        QTest::mouseClick(dialog.m_resetButton, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.m_scaleSlider->value(), 100);
        EXPECT_EQ(view.size(), QSize(400, 300));
        EXPECT_FALSE(view.IsStretched());
        MoveTo(dialog, 120);
        QTest::mouseClick(dialog.m_cancelButton, Qt::LeftButton);
    });
    EXPECT_EQ(view.size(), QSize(400, 300));
    EXPECT_EQ(m_scale.m_scaleLabel->text(), QStringLiteral("100"));
    m_scale.ScaleView(nullptr, true); // returns at once: no dialog to answer
}

TEST_F(ScaleDialog, ApplyAtHalfResamplesOnlyAfterYesAndMarksTheEditorsPicture)
{
    TJpegPicture picture;
    picture.Assign(Picture(400, 300));
    TPictureEditor editor;
    AnswerModal<TPictureEditor>([&](TPictureEditor *) {
        AnswerModal<TScaleDialog>([&](TScaleDialog *dialog) {
            MoveTo(*dialog, 50);
            AnswerQuestion(false);
            QTest::mouseClick(dialog->m_applyButton, Qt::LeftButton);
            EXPECT_TRUE(dialog->isVisible()) << "No leaves the dialog open";
            EXPECT_EQ(editor.m_pictureView->Picture().size(), QSize(400, 300));

            AnswerQuestion(true);
            QTest::mouseClick(dialog->m_applyButton, Qt::LeftButton);
        });
        QTest::mouseClick(editor.m_scaleButton, Qt::LeftButton);
        EXPECT_EQ(editor.m_pictureView->Picture().size(), QSize(200, 150));
        EXPECT_EQ(editor.m_pictureView->size(), QSize(200, 150));
        EXPECT_FALSE(editor.m_pictureView->IsStretched());
        EXPECT_EQ(m_scale.m_scaleSlider->value(), 100);
        QTest::mouseClick(editor.m_okButton, Qt::LeftButton);
    });
    EXPECT_TRUE(editor.EditPicture(picture, QStringLiteral("Source picture")))
        << "the applied scale marked the editor as changed";
    const QString question = QStringLiteral("Do you really want to set real image size 200 x 150?");
    EXPECT_EQ(m_asked, QStringList({question, question}));
    EXPECT_EQ(picture.Width(), 200);
}

TEST_F(ScaleDialog, OkAtHalfLeavesThePixelsWhole)
{
    const QImage original = Picture(400, 300);
    TJpegPicture picture;
    picture.Assign(original);
    AnswerModal<TPictureEditor>([&](TPictureEditor *editor) {
        AnswerModal<TScaleDialog>([&](TScaleDialog *dialog) {
            MoveTo(*dialog, 50);
            QTest::mouseClick(dialog->m_closeButton, Qt::LeftButton);
        });
        QTest::mouseClick(editor->m_scaleButton, Qt::LeftButton);
        EXPECT_EQ(editor->m_pictureView->size(), QSize(200, 150));
        QTest::mouseClick(editor->m_okButton, Qt::LeftButton);
    });
    EXPECT_FALSE(EditPictureInNewEditor(picture, QStringLiteral("Source picture"), nullptr));
    const QImage back = picture.ToBitmap();
    ASSERT_EQ(back.size(), QSize(400, 300));
    // Quality 90 keeps a smooth picture within a few levels.
    EXPECT_NEAR(qRed(back.pixel(300, 200)), 300 % 256, 6);
}

} // namespace
