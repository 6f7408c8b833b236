// The picture editor driven as a person drives it: what EditPicture returns and writes back,
// loading through the file dialog, pasting, copying, turning, and a picture of 0 × 0.
#include "engine/picture/JpegPicture.h"
#include "support/DropSupport.h"
#include "support/ModalAnswer.h"
#include "support/TestFiles.h"
#include "support/UserSettingsSupport.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/MessageWindow.h"
#include "windows/common/ProgramWindows.h"
#include "windows/maker/PictureEditor.h"
#include "windows/maker/PictureView.h"
#include "windows/maker/ScaleDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <QtEndian>
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
    PictureEditor()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("only text"));
        ForgetUserSettings();
    }

    // Opens an editor on picture the way its callers do, lets work act in the open window, and
    // closes it with Ok or Cancel.
    bool Edit(TJpegPicture &picture, const std::function<void(TPictureEditor &)> &work,
              bool ok = true, const TEditedPicture &edited = {})
    {
        AnswerModal<TPictureEditor>([&](TPictureEditor *editor) {
            work(*editor);
            QTest::mouseClick(ok ? editor->m_okButton : editor->m_cancelButton, Qt::LeftButton);
        });
        return EditPictureInNewEditor(picture, QStringLiteral("Source picture"), nullptr, {},
                                      edited);
    }

    // Answers the next confirmation question, keeping its text.
    void AnswerQuestion(bool yes)
    {
        AnswerModal<TConfirmationWindow>([this, yes](TConfirmationWindow *window) {
            m_asked << window->m_questionLabel->text();
            QTest::mouseClick(yes ? window->m_yesButton : window->m_noButton, Qt::LeftButton);
        });
    }

    static TJpegPicture PictureOf(const QImage &bitmap)
    {
        TJpegPicture picture;
        picture.Assign(bitmap);
        return picture;
    }

    TMessageWindow m_message;
    TPublishedAs<TMessageWindow> m_publishedMessage{ProgramWindows().messageWindow, &m_message};
    TConfirmationWindow m_sure;
    TPublishedAs<TConfirmationWindow> m_publishedSure{ProgramWindows().confirmationWindow, &m_sure};
    TScaleDialog m_scale;
    TPublishedAs<TScaleDialog> m_publishedScale{ProgramWindows().scaleDialog, &m_scale};
    QStringList m_asked;
};

TEST_F(PictureEditor, OkWithoutChangeIsFalseYetWritesTheShownPictureBack)
{
    TJpegPicture undecodable;
    undecodable.SetData("not a JPEG file");
    EXPECT_FALSE(Edit(undecodable, [&](TPictureEditor &editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Source picture"));
        EXPECT_EQ(editor.m_pictureView->size(), QSize(1, 1));
    }));
    EXPECT_EQ(undecodable.Width(), 1) << "the shown 1 x 1 picture replaced the caller's";
    EXPECT_EQ(undecodable.Height(), 1);
}

TEST_F(PictureEditor, OkAfterATurnIsTrueAndHandsBackTheTurnedPicture)
{
    TJpegPicture picture = PictureOf(Numbered(64, 48));
    EXPECT_TRUE(Edit(picture, [](TPictureEditor &editor) {
        QTest::mouseClick(editor.m_rotateRightButton, Qt::LeftButton);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor is restored";
    }));
    EXPECT_EQ(picture.Width(), 48);
    EXPECT_EQ(picture.Height(), 64);
}

TEST_F(PictureEditor, TurnsThroughTheWindowMoveThePixelsAndCountAsChanges)
{
    const QImage original = Displayed(Numbered(640, 480));
    TJpegPicture picture = PictureOf(original);
    EXPECT_TRUE(Edit(picture, [&](TPictureEditor &editor) {
        editor.m_fitCheckBox->setChecked(false); // the real size follows the turn
        QTest::mouseClick(editor.m_rotateRightButton, Qt::LeftButton);
        const QImage turned = editor.m_pictureView->Picture();
        ASSERT_EQ(turned.size(), QSize(480, 640));
        EXPECT_EQ(turned.pixel(479, 0), original.pixel(0, 0)) << "top-left lands top-right";
        EXPECT_EQ(turned.pixel(0, 639), original.pixel(639, 479));
        EXPECT_EQ(editor.m_pictureView->size(), QSize(480, 640));
        QTest::mouseClick(editor.m_rotateLeftButton, Qt::LeftButton);
        EXPECT_EQ(editor.m_pictureView->Picture(), original) << "turned back, the same pixels";
    })) << "turned and turned back is still a change";
}

TEST_F(PictureEditor, CancelAfterALoadLeavesTheCallersPictureAlone)
{
    TJpegPicture picture = PictureOf(Numbered(20, 10));
    const QByteArray before = picture.Data();
    EXPECT_FALSE(Edit(
        picture,
        [](TPictureEditor &editor) {
            editor.LoadPictureFile(QStringLiteral(TESSALUNE_FIXTURES "/moonlit_hills_280x210.jpg"));
            EXPECT_EQ(editor.m_pictureView->size(), QSize(280, 210));
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

    TJpegPicture picture = PictureOf(Numbered(20, 10));
    EXPECT_FALSE(Edit(picture, [&](TPictureEditor &editor) {
        EXPECT_TRUE(QDir(sources).exists()) << "made when the editor is created";
        EXPECT_EQ(QDir(editor.m_openDialog->directory()).canonicalPath(),
                  QDir(sources).canonicalPath());
        EXPECT_TRUE(editor.m_openDialog->nameFilters().first().startsWith("All supported ("));
        // The dialog wanders to another folder and is cancelled.
        AnswerModal<QFileDialog>([&](QFileDialog *dialog) {
            QDir::setCurrent(root.path());
            dialog->reject();
        });
        QTest::mouseClick(editor.m_loadFromFileButton, Qt::LeftButton);
        EXPECT_EQ(QDir::currentPath(), start);
        EXPECT_EQ(editor.m_pictureView->size(), QSize(20, 10)) << "nothing chosen, nothing changed";
    }));
    EXPECT_EQ(picture.Width(), 20) << "a cancelled load is no change";

    ASSERT_TRUE(QFile::copy(TESSALUNE_FIXTURES "/moonlit_hills_280x210.jpg", picturePath));
    EXPECT_TRUE(Edit(picture, [&](TPictureEditor &editor) {
        AnswerModal<QFileDialog>([&](QFileDialog *dialog) {
            QDir::setCurrent(root.path());
            // The name typed into the dialog's name box, then Open clicked.
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(picturePath);
            QTest::mouseClick(
                dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open),
                Qt::LeftButton);
        });
        QTest::mouseClick(editor.m_loadFromFileButton, Qt::LeftButton);
        EXPECT_EQ(QDir::currentPath(), start);
    }));
    EXPECT_EQ(picture.Width(), 280);
    QDir::setCurrent(before);
}

// The list of names completing a typed one belongs to the file dialog: it goes with it, and
// does not stay on the screen to take the next Enter.
TEST_F(PictureEditor, NameCompletionListClosesWithTheFileDialog)
{
    TJpegPicture picture = PictureOf(Numbered(20, 10));
    QPointer<QWidget> completions;
    EXPECT_FALSE(Edit(
        picture,
        [&](TPictureEditor &editor) {
            editor.m_openDialog->setDirectory(QStringLiteral(TESSALUNE_FIXTURES));
            AnswerModal<QFileDialog>([&](QFileDialog *dialog) {
                auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                QTest::keyClicks(name, QStringLiteral("moonlit"));
                ASSERT_TRUE(QTest::qWaitFor(
                    [&] { return name->completer() && name->completer()->popup()->isVisible(); }));
                completions = name->completer()->popup();
                dialog->reject();
            });
            QTest::mouseClick(editor.m_loadFromFileButton, Qt::LeftButton);
            ASSERT_TRUE(completions);
            EXPECT_FALSE(completions->isVisible());
        },
        false));
}

TEST_F(PictureEditor, APictureThatDoesNotLoadLeavesAnEmptyPictureEveryCommandSurvives)
{
    TJpegPicture picture = PictureOf(Numbered(20, 10));
    EXPECT_TRUE(Edit(picture, [&](TPictureEditor &editor) {
        QString shown;
        AnswerModal<TMessageWindow>([&](TMessageWindow *window) {
            shown = window->m_messageLabel->text();
            QTest::mouseClick(window->m_okButton, Qt::LeftButton);
        });
        editor.LoadPictureFile(QStringLiteral(TESSALUNE_FIXTURES "/no such picture.jpg"));
        EXPECT_EQ(shown, QStringLiteral("The picture file was not found."));
        EXPECT_TRUE(editor.m_pictureView->Picture().isNull());
        EXPECT_EQ(editor.m_pictureView->size(), QSize(0, 0));
        QTest::mouseClick(editor.m_rotateLeftButton, Qt::LeftButton);
        EXPECT_EQ(editor.m_pictureView->size(), QSize(0, 0));
        // The scale dialog shows 0 × 0 at every position and offers no resampling.
        AnswerModal<TScaleDialog>([](TScaleDialog *dialog) {
            QTest::keyClick(dialog->m_scaleSlider, Qt::Key_End);
            EXPECT_EQ(dialog->m_scaleLabel->text(), QStringLiteral("160"));
            EXPECT_FALSE(dialog->m_applyButton->isEnabled());
            QTest::mouseClick(dialog->m_closeButton, Qt::LeftButton);
        });
        QTest::mouseClick(editor.m_scaleButton, Qt::LeftButton);
        EXPECT_EQ(editor.m_pictureView->size(), QSize(0, 0));
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        QTest::keyClick(&editor, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    }));
    EXPECT_TRUE(picture.Empty()) << "Ok writes the empty picture back";
}

TEST_F(PictureEditor, PasteNeedsAnImageAndAYes)
{
    const QImage pasted = Displayed(Numbered(30, 20));
    TJpegPicture picture = PictureOf(Numbered(20, 10));
    EXPECT_FALSE(Edit(picture, [&](TPictureEditor &editor) {
        QString shown;
        AnswerModal<TMessageWindow>([&](TMessageWindow *window) {
            shown = window->m_messageLabel->text();
            QTest::mouseClick(window->m_okButton, Qt::LeftButton);
        });
        QTest::mouseClick(editor.m_pasteButton, Qt::LeftButton);
        EXPECT_EQ(shown, QStringLiteral("Sorry, can't paste clipboard content as a picture."));
        EXPECT_TRUE(m_asked.isEmpty()) << "no question without an image";

        QGuiApplication::clipboard()->setImage(pasted);
        AnswerQuestion(false);
        QTest::mouseClick(editor.m_pasteButton, Qt::LeftButton);
        EXPECT_EQ(m_asked, QStringList{QStringLiteral("Paste from clipboard ?")});
        EXPECT_EQ(editor.m_pictureView->size(), QSize(20, 10));
    })) << "neither the message nor No changed anything";

    EXPECT_TRUE(Edit(picture, [&](TPictureEditor &editor) {
        AnswerQuestion(true);
        QTest::mouseClick(editor.m_pasteButton, Qt::LeftButton);
        EXPECT_EQ(editor.m_pictureView->Picture(), pasted);
    }));
}

TEST_F(PictureEditor, CtrlCWithAnyOtherModifiersCopiesAndCAloneDoesNothing)
{
    const QImage original = Displayed(Numbered(12, 9));
    TJpegPicture picture = PictureOf(original);
    QClipboard *clipboard = QGuiApplication::clipboard();
    EXPECT_FALSE(Edit(picture, [&](TPictureEditor &editor) {
        // Keys reach the window first whichever control has the focus.
        editor.m_scaleButton->setFocus();
        QTest::keyClick(editor.m_scaleButton, Qt::Key_C);
        EXPECT_TRUE(clipboard->image().isNull());
        QTest::keyClick(editor.m_scaleButton, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(Displayed(clipboard->image()), original);

        clipboard->setText(QStringLiteral("text"));
        QTest::keyClick(editor.m_pictureScroll, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(Displayed(clipboard->image()), original);

        QTest::keyClick(editor.m_scaleButton, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(Displayed(editor.m_pictureView->Picture()), original) << "only Ctrl+C is a key";
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

TEST_F(PictureEditor, APhonePhotoShowsUprightAndIsStoredUpright)
{
    // 30 × 20 with orientation 6: shown, turned and stored as 20 × 30, turning from there.
    TJpegPicture picture = PictureOf(Numbered(20, 10));
    EXPECT_TRUE(Edit(picture, [&](TPictureEditor &editor) {
        editor.LoadPictureFile(QStringLiteral(TESSALUNE_FIXTURES "/exif_orientation_6.jpg"));
        EXPECT_EQ(editor.m_pictureView->Picture().size(), QSize(20, 30));
        QTest::mouseClick(editor.m_rotateRightButton, Qt::LeftButton);
        QTest::mouseClick(editor.m_rotateLeftButton, Qt::LeftButton);
    }));
    EXPECT_EQ(QSize(picture.Width(), picture.Height()), QSize(20, 30));
    EXPECT_GT(qRed(picture.ToBitmap().pixel(17, 3)), 200) << "the red corner at the top right";
}

TEST_F(PictureEditor, ARefusalNamesThePictureBeingEdited)
{
    // A bitmap header declaring 20000 × 20000 pixels.
    QByteArray huge = ReadBytes(FixturePath("bitfields_24bit.bmp"));
    qToLittleEndian<qint32>(20000, huge.data() + 18);
    qToLittleEndian<qint32>(20000, huge.data() + 22);
    QTemporaryDir folder;
    const QString path = folder.filePath("huge.bmp");
    ASSERT_TRUE(WriteBytes(path, huge));
    TJpegPicture alternative;
    const TEditedPicture edited{QStringLiteral("The alternative picture"), nullptr};
    EXPECT_TRUE(Edit(
        alternative,
        [&](TPictureEditor &editor) {
            QString shown;
            AnswerModal<TMessageWindow>([&](TMessageWindow *window) {
                shown = window->m_messageLabel->text();
                QTest::mouseClick(window->m_okButton, Qt::LeftButton);
            });
            editor.LoadPictureFile(path);
            EXPECT_TRUE(shown.startsWith("The alternative picture is too large"))
                << shown.toStdString();
        },
        true, edited));
}

TEST_F(PictureEditor, LargePictureIsFittedWholeAndTheToggleShowsItsRealSize)
{
    TJpegPicture picture = PictureOf(Numbered(2000, 1000));
    EXPECT_TRUE(Edit(picture, [](TPictureEditor &editor) {
        const QSize room = editor.m_pictureScroll->size();
        const QSize fitted = editor.m_pictureView->size();
        EXPECT_TRUE(editor.m_pictureView->IsStretched());
        EXPECT_LE(fitted.width(), room.width());
        EXPECT_LE(fitted.height(), room.height());
        EXPECT_NEAR(fitted.width(), 2 * fitted.height(), 2) << "in proportion";
        editor.m_fitCheckBox->click();
        EXPECT_EQ(editor.m_pictureView->size(), QSize(2000, 1000));
        editor.m_fitCheckBox->click();
        EXPECT_EQ(editor.m_pictureView->size(), fitted);
        QTest::mouseClick(editor.m_rotateRightButton, Qt::LeftButton);
        EXPECT_LE(editor.m_pictureView->height(), room.height()) << "turned, still whole";
    }));
    EXPECT_EQ(picture.Width(), 1000) << "the picture itself keeps its pixels";
    EXPECT_EQ(picture.Height(), 2000);
    // A small picture stays at its real size.
    TJpegPicture small = PictureOf(Numbered(64, 48));
    Edit(small, [](TPictureEditor &editor) {
        EXPECT_FALSE(editor.m_pictureView->IsStretched());
        EXPECT_EQ(editor.m_pictureView->size(), QSize(64, 48));
    });
}

TEST_F(PictureEditor, EnterAcceptsEscCancelsAndSpaceTurnsTheFocusedRotateButton)
{
    TJpegPicture picture = PictureOf(Numbered(64, 48));
    AnswerModal<TPictureEditor>([](TPictureEditor *editor) {
        // Focus moves as in an active window, taking the Enter of "Load from file" with it.
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
        editor->m_rotateRightButton->setFocus();
        QTest::keyClick(editor->m_rotateRightButton, Qt::Key_Space);
        EXPECT_EQ(editor->m_pictureView->size(), QSize(48, 64));
        QTest::keyClick(editor->m_rotateRightButton, Qt::Key_Return);
    });
    EXPECT_TRUE(EditPictureInNewEditor(picture, QStringLiteral("Source picture"), nullptr));
    EXPECT_EQ(picture.Width(), 48);

    AnswerModal<TPictureEditor>([](TPictureEditor *editor) {
        QTest::keyClick(editor->m_rotateLeftButton, Qt::Key_Space);
        QTest::keyClick(editor, Qt::Key_Escape);
    });
    EXPECT_FALSE(EditPictureInNewEditor(picture, QStringLiteral("Source picture"), nullptr));
    EXPECT_EQ(picture.Width(), 48);
}

TEST_F(PictureEditor, ADroppedOrStartingFileLoadsAsLoadFromFileDoes)
{
    const QString hills = QStringLiteral(TESSALUNE_FIXTURES "/moonlit_hills_280x210.jpg");
    TJpegPicture picture = PictureOf(Numbered(20, 10));
    EXPECT_TRUE(Edit(picture, [&](TPictureEditor &editor) {
        EXPECT_TRUE(DropFiles(&editor, {QUrl::fromLocalFile(hills)}));
        EXPECT_EQ(editor.m_pictureView->size(), QSize(280, 210));
    }));
    EXPECT_EQ(picture.Width(), 280);

    TJpegPicture started = PictureOf(Numbered(20, 10));
    AnswerModal<TPictureEditor>([](TPictureEditor *editor) {
        EXPECT_TRUE(QTest::qWaitFor([editor] { return editor->m_pictureView->width() == 280; }));
        QTest::mouseClick(editor->m_okButton, Qt::LeftButton);
    });
    EXPECT_TRUE(EditPictureInNewEditor(started, QStringLiteral("Source picture"), nullptr, hills));
    EXPECT_EQ(started.Height(), 210);
}

// A picture brought in is what the player wants: Enter then takes it.
TEST_F(PictureEditor, ADroppedOrStartingPictureLeavesTheFocusOnOk)
{
    const QString hills = QStringLiteral(TESSALUNE_FIXTURES "/moonlit_hills_280x210.jpg");
    TJpegPicture picture = PictureOf(Numbered(20, 10));
    EXPECT_TRUE(Edit(picture, [&](TPictureEditor &editor) {
        EXPECT_EQ(editor.focusWidget(), editor.m_loadFromFileButton);
        ASSERT_TRUE(DropFiles(&editor, {QUrl::fromLocalFile(hills)}));
        EXPECT_EQ(editor.focusWidget(), editor.m_okButton);
    }));

    AnswerModal<TPictureEditor>([](TPictureEditor *editor) {
        EXPECT_TRUE(QTest::qWaitFor([editor] { return editor->m_pictureView->width() == 280; }));
        EXPECT_EQ(editor->focusWidget(), editor->m_okButton);
        QTest::mouseClick(editor->m_okButton, Qt::LeftButton);
    });
    EXPECT_TRUE(EditPictureInNewEditor(picture, QStringLiteral("Source picture"), nullptr, hills));
}

TEST_F(PictureEditor, TheNextLoadStartsInTheFolderOfTheLastPicture)
{
    QTemporaryDir root;
    const QString picturePath = root.filePath(QStringLiteral("hills.jpg"));
    ASSERT_TRUE(QFile::copy(TESSALUNE_FIXTURES "/moonlit_hills_280x210.jpg", picturePath));
    TJpegPicture picture = PictureOf(Numbered(20, 10));
    EXPECT_TRUE(Edit(picture, [&](TPictureEditor &editor) {
        AnswerModal<QFileDialog>([&](QFileDialog *dialog) {
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(picturePath);
            QTest::keyClick(dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")),
                            Qt::Key_Return);
        });
        QTest::mouseClick(editor.m_loadFromFileButton, Qt::LeftButton);
    }));
    EXPECT_FALSE(Edit(picture, [&](TPictureEditor &editor) {
        EXPECT_EQ(QDir(editor.m_openDialog->directory()).canonicalPath(),
                  QDir(root.path()).canonicalPath());
    }));
}
