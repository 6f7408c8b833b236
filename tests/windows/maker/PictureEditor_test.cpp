// The picture editor driven as a person drives it: what EditPicture returns and writes back,
// loading through the file dialog, pasting, copying, turning, and a picture of 0 × 0.
#include "engine/picture/JpegPicture.h"
#include "support/ModalAnswer.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/MainState.h"
#include "windows/common/MessageWindow.h"
#include "windows/common/WindowInstances.h"
#include "windows/maker/PictureEditor.h"
#include "windows/maker/PictureView.h"
#include "windows/maker/ScaleDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace
{

// Every pixel distinct, so a turned or scaled picture is told from the original.
QImage Numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, 77));
    return image;
}

QImage Displayed(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

class PictureEditor : public ::testing::Test
{
protected:
    PictureEditor() { QGuiApplication::clipboard()->setText(QStringLiteral("only text")); }

    // Opens an editor on picture the way its callers do, lets work act in the open window, and
    // closes it with Ok or Cancel.
    bool Edit(TJPEGImage &picture, const std::function<void(TF_picture_mgm &)> &work,
              bool ok = true)
    {
        AnswerModal<TF_picture_mgm>([&](TF_picture_mgm *editor) {
            work(*editor);
            QTest::mouseClick(ok ? editor->btn_ok : editor->btn_cancel, Qt::LeftButton);
        });
        return EditPictureInNewEditor(picture, QStringLiteral("Source picture"), nullptr);
    }

    // Answers the next confirmation question, keeping its text.
    void AnswerQuestion(bool yes)
    {
        AnswerModal<TFsure>([this, yes](TFsure *window) {
            asked << window->Label1->text();
            QTest::mouseClick(yes ? window->OKBtn : window->CancelBtn, Qt::LeftButton);
        });
    }

    static TJPEGImage PictureOf(const QImage &bitmap)
    {
        TJPEGImage picture;
        picture.Assign(bitmap);
        return picture;
    }

    TMainState state;
    TPublishedAs<TMainState> publishedState{MainState, &state};
    TDmsg message;
    TPublishedAs<TDmsg> publishedMessage{Dmsg, &message};
    TFsure sure;
    TPublishedAs<TFsure> publishedSure{Fsure, &sure};
    TD_scale_image scale;
    TPublishedAs<TD_scale_image> publishedScale{D_scale_image, &scale};
    QStringList asked;
};

TEST_F(PictureEditor, OkWithoutChangeIsFalseYetWritesTheShownPictureBack)
{
    TJPEGImage undecodable;
    undecodable.SetData("not a JPEG file");
    const TF_picture_mgm *seen = nullptr;
    EXPECT_FALSE(Edit(undecodable, [&](TF_picture_mgm &editor) {
        seen = state.CurrentEditor;
        EXPECT_EQ(seen, &editor);
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Source picture"));
        EXPECT_EQ(editor.Image1->size(), QSize(1, 1));
    }));
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(state.CurrentEditor, nullptr) << "the reference is cleared with the editor";
    EXPECT_EQ(undecodable.Width(), 1) << "the shown 1 x 1 picture replaced the caller's";
    EXPECT_EQ(undecodable.Height(), 1);
}

TEST_F(PictureEditor, OkAfterATurnIsTrueAndHandsBackTheTurnedPicture)
{
    TJPEGImage picture = PictureOf(Numbered(64, 48));
    EXPECT_TRUE(Edit(picture, [](TF_picture_mgm &editor) {
        QTest::mouseClick(editor.SB_r_r, Qt::LeftButton);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor is restored";
    }));
    EXPECT_EQ(picture.Width(), 48);
    EXPECT_EQ(picture.Height(), 64);
}

TEST_F(PictureEditor, TurnsThroughTheWindowMoveThePixelsAndCountAsChanges)
{
    const QImage original = Displayed(Numbered(640, 480));
    TJPEGImage picture = PictureOf(original);
    EXPECT_TRUE(Edit(picture, [&](TF_picture_mgm &editor) {
        QTest::mouseClick(editor.SB_r_r, Qt::LeftButton);
        const QImage turned = editor.Image1->Picture();
        ASSERT_EQ(turned.size(), QSize(480, 640));
        EXPECT_EQ(turned.pixel(479, 0), original.pixel(0, 0)) << "top-left lands top-right";
        EXPECT_EQ(turned.pixel(0, 639), original.pixel(639, 479));
        EXPECT_EQ(editor.Image1->size(), QSize(480, 640));
        QTest::mouseClick(editor.SB_r_l, Qt::LeftButton);
        EXPECT_EQ(editor.Image1->Picture(), original) << "turned back, the same pixels";
    })) << "turned and turned back is still a change";
}

TEST_F(PictureEditor, CancelAfterALoadLeavesTheCallersPictureAlone)
{
    TJPEGImage picture = PictureOf(Numbered(20, 10));
    const QByteArray before = picture.Data();
    EXPECT_FALSE(Edit(
        picture,
        [](TF_picture_mgm &editor) {
            editor.LoadPictureFile(QStringLiteral(TESSALUNE_FIXTURES "/moonlit_hills_280x210.jpg"));
            EXPECT_EQ(editor.Image1->size(), QSize(280, 210));
        },
        false));
    EXPECT_EQ(picture.Data(), before);
}

TEST_F(PictureEditor, LoadStartsInTheSourcesFolderAndAlwaysKeepsTheWorkingFolder)
{
    QTemporaryDir root;
    const QString start = root.filePath(QStringLiteral("program"));
    ASSERT_TRUE(QDir().mkpath(start));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(start));
    const QString sources = QDir::cleanPath(root.filePath(QStringLiteral("g_sources")));
    const QString picturePath = QDir(sources).filePath(QStringLiteral("hills.jpg"));

    TJPEGImage picture = PictureOf(Numbered(20, 10));
    EXPECT_FALSE(Edit(picture, [&](TF_picture_mgm &editor) {
        EXPECT_TRUE(QDir(sources).exists()) << "made when the editor is created";
        EXPECT_EQ(QDir(editor.OpenDialog1->directory()).canonicalPath(),
                  QDir(sources).canonicalPath());
        EXPECT_TRUE(editor.OpenDialog1->nameFilters().first().startsWith("All supported ("));
        // The dialog wanders to another folder and is cancelled.
        AnswerModal<QFileDialog>([&](QFileDialog *dialog) {
            QDir::setCurrent(root.path());
            dialog->reject();
        });
        QTest::mouseClick(editor.btn_load_from_file, Qt::LeftButton);
        EXPECT_EQ(QDir::currentPath(), start);
        EXPECT_EQ(editor.Image1->size(), QSize(20, 10)) << "nothing chosen, nothing changed";
    }));
    EXPECT_EQ(picture.Width(), 20) << "a cancelled load is no change";

    ASSERT_TRUE(QFile::copy(TESSALUNE_FIXTURES "/moonlit_hills_280x210.jpg", picturePath));
    EXPECT_TRUE(Edit(picture, [&](TF_picture_mgm &editor) {
        AnswerModal<QFileDialog>([&](QFileDialog *dialog) {
            QDir::setCurrent(root.path());
            // The name typed into the dialog's name box, then Open clicked.
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(picturePath);
            QTest::mouseClick(
                dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open),
                Qt::LeftButton);
        });
        QTest::mouseClick(editor.btn_load_from_file, Qt::LeftButton);
        EXPECT_EQ(QDir::currentPath(), start);
    }));
    EXPECT_EQ(picture.Width(), 280);
    QDir::setCurrent(before);
}

TEST_F(PictureEditor, APictureThatDoesNotLoadLeavesAnEmptyPictureEveryCommandSurvives)
{
    TJPEGImage picture = PictureOf(Numbered(20, 10));
    EXPECT_TRUE(Edit(picture, [&](TF_picture_mgm &editor) {
        editor.LoadPictureFile(QStringLiteral(TESSALUNE_FIXTURES "/no such picture.jpg"));
        EXPECT_TRUE(editor.Image1->Picture().isNull());
        EXPECT_EQ(editor.Image1->size(), QSize(0, 0));
        QTest::mouseClick(editor.SB_r_l, Qt::LeftButton);
        EXPECT_EQ(editor.Image1->size(), QSize(0, 0));
        // The scale dialog shows 0 × 0 at every position and offers no resampling.
        AnswerModal<TD_scale_image>([](TD_scale_image *dialog) {
            QTest::keyClick(dialog->TrB1, Qt::Key_End);
            EXPECT_EQ(dialog->Label_scale->text(), QStringLiteral("160"));
            EXPECT_FALSE(dialog->btn_apply->isEnabled());
            QTest::mouseClick(dialog->BtnClose, Qt::LeftButton);
        });
        QTest::mouseClick(editor.btn_scale, Qt::LeftButton);
        EXPECT_EQ(editor.Image1->size(), QSize(0, 0));
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        QTest::keyClick(&editor, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    }));
    EXPECT_TRUE(picture.Empty()) << "Ok writes the empty picture back";
}

TEST_F(PictureEditor, PasteNeedsAnImageAndAYes)
{
    const QImage pasted = Displayed(Numbered(30, 20));
    TJPEGImage picture = PictureOf(Numbered(20, 10));
    EXPECT_FALSE(Edit(picture, [&](TF_picture_mgm &editor) {
        QString shown;
        AnswerModal<TDmsg>([&](TDmsg *window) {
            shown = window->Label1->text();
            QTest::mouseClick(window->OKBtn, Qt::LeftButton);
        });
        QTest::mouseClick(editor.btn_paste, Qt::LeftButton);
        EXPECT_EQ(shown, QStringLiteral("Sorry, can't paste clipboard content as a picture."));
        EXPECT_TRUE(asked.isEmpty()) << "no question without an image";

        QGuiApplication::clipboard()->setImage(pasted);
        AnswerQuestion(false);
        QTest::mouseClick(editor.btn_paste, Qt::LeftButton);
        EXPECT_EQ(asked, QStringList{QStringLiteral("Paste from clipboard ?")});
        EXPECT_EQ(editor.Image1->size(), QSize(20, 10));
    })) << "neither the message nor No changed anything";

    EXPECT_TRUE(Edit(picture, [&](TF_picture_mgm &editor) {
        AnswerQuestion(true);
        QTest::mouseClick(editor.btn_paste, Qt::LeftButton);
        EXPECT_EQ(editor.Image1->Picture(), pasted);
    }));
}

TEST_F(PictureEditor, CtrlCWithAnyOtherModifiersCopiesAndCAloneDoesNothing)
{
    const QImage original = Displayed(Numbered(12, 9));
    TJPEGImage picture = PictureOf(original);
    QClipboard *clipboard = QGuiApplication::clipboard();
    EXPECT_FALSE(Edit(picture, [&](TF_picture_mgm &editor) {
        // Keys reach the window first whichever control has the focus.
        editor.btn_scale->setFocus();
        QTest::keyClick(editor.btn_scale, Qt::Key_C);
        EXPECT_TRUE(clipboard->image().isNull());
        QTest::keyClick(editor.btn_scale, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(Displayed(clipboard->image()), original);

        clipboard->setText(QStringLiteral("text"));
        QTest::keyClick(editor.ScrollBox1, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(Displayed(clipboard->image()), original);

        QTest::keyClick(&editor, Qt::Key_Escape);
        EXPECT_TRUE(editor.isVisible()) << "no other key does anything";
    }));
}

// Scrolling and live scaling repaint strips; at real size and shrunk, strips must meet the whole
// picture without seams.
TEST(PictureView, PaintedStripsMatchTheWholePaint)
{
    TPictureView view;
    view.SetPicture(Numbered(400, 300));
    for (const QSize shown : {QSize(400, 300), QSize(200, 150), QSize(37, 29)}) {
        if (shown == QSize(400, 300))
            view.ShowRealSize();
        else
            view.ShowStretched(shown);
        const QImage whole = view.grab().toImage();
        ASSERT_EQ(whole.size(), shown);
        for (const QRect strip : {QRect(0, 0, shown.width(), shown.height() / 3),
                                  QRect(0, shown.height() / 3, shown.width(), shown.height()),
                                  QRect(shown.width() / 3 + 1, 5, shown.width() / 2, 17)}) {
            const QRect painted = strip & view.rect();
            EXPECT_EQ(view.grab(painted).toImage(), whole.copy(painted))
                << shown.width() << "x" << shown.height() << " strip at " << painted.x() << ","
                << painted.y();
        }
    }
}

} // namespace
