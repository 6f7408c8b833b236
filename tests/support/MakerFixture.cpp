#include "support/MakerFixture.h"

#include "engine/container/KelPigger.h"
#include "engine/picture/JpegPicture.h"
#include "support/ModalAnswer.h"
#include "windows/common/AboutWindow.h"
#include "windows/common/ClickableLabel.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/WindowInstances.h"
#include "windows/maker/MakerPage.h"
#include "windows/maker/PropertiesDialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <utility>

QImage GradientPicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y,
                             qRgb(255 * x / size.width(), 255 * y / size.height(), (x + y) % 256));
    return picture;
}

QSize PictureSize(const TJPEGImage &picture)
{
    return {picture.Width(), picture.Height()};
}

void ChooseFileInDialog(QFileDialog *dialog, const QString &path)
{
    auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
}

void MakerTest::SetUp()
{
    state.Document = std::make_unique<TKelPigger>();
    state.SourcePicture = std::make_unique<TJPEGImage>();
    state.AlternativePicture = std::make_unique<TJPEGImage>();
    state.SourcePicture->Assign(GradientPicture({1, 1}));
    state.AlternativePicture->Assign(GradientPicture({1, 1}));
    host = std::make_unique<QWidget>();
    page = new TMakerPage(state, host.get());
    host->resize(page->size());
    auto editing = [this](TJPEGImage &picture, const QString &) {
        ++edits;
        if (std::exchange(nextEditFailsToLoad, false)) {
            picture.Assign(QImage());
            return true;
        }
        if (nextEdit.isNull())
            return false;
        picture.Assign(nextEdit);
        return true;
    };
    page->SetPictureEditing(editing);
    props->SetPictureEditing(editing);
    page->SetStep(1);
    host->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
}

void MakerTest::TearDown()
{
    host.reset();
}

void MakerTest::NextEdit(const QImage &picture)
{
    nextEdit = picture;
}

void MakerTest::ChooseSource(const QImage &picture)
{
    NextEdit(picture);
    QTest::mouseClick(page->Label_1, Qt::LeftButton);
}

void MakerTest::RunPropertiesWithOk(const QImage &alternative)
{
    NextEdit(alternative);
    AnswerModal<TD_puzzle_props>([loading = !alternative.isNull()](TD_puzzle_props *dialog) {
        if (loading) {
            if (!dialog->CB_transform_solved->isChecked())
                QTest::mouseClick(dialog->CB_transform_solved, Qt::LeftButton);
            QTest::mouseClick(dialog->SB_premium_img, Qt::LeftButton);
        }
        QTest::mouseClick(dialog->SB_ok, Qt::LeftButton);
    });
    QTest::mouseClick(page->Label_2, Qt::LeftButton);
}
