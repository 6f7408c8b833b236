#include "support/MakerFixture.h"

#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/picture/JpegPicture.h"
#include "support/ModalAnswer.h"
#include "windows/common/AboutWindow.h"
#include "windows/common/ClickableLabel.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/ProgramWindows.h"
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

QSize PictureSize(const TJpegPicture &picture)
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
    m_state.document = std::make_unique<TPuzzleDocument>();
    m_state.sourcePicture = std::make_unique<TJpegPicture>();
    m_state.alternativePicture = std::make_unique<TJpegPicture>();
    m_state.sourcePicture->Assign(GradientPicture({1, 1}));
    m_state.alternativePicture->Assign(GradientPicture({1, 1}));
    m_host = std::make_unique<QWidget>();
    m_page = new TMakerPage(m_state, m_host.get());
    m_host->resize(m_page->size());
    auto editing = [this](TJpegPicture &picture, const TEditedPicture &, const QString &,
                          const QString &startFile) {
        ++m_edits;
        m_startFile = startFile;
        if (std::exchange(m_nextEditFailsToLoad, false)) {
            picture.Assign(QImage());
            return true;
        }
        if (m_nextEdit.isNull())
            return false;
        picture.Assign(m_nextEdit);
        return true;
    };
    m_page->SetPictureEditing(editing);
    m_props->SetPictureEditing(editing);
    m_page->SetStep(1);
    m_host->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
}

void MakerTest::TearDown()
{
    m_host.reset();
}

void MakerTest::NextEdit(const QImage &picture)
{
    m_nextEdit = picture;
}

void MakerTest::ChooseSource(const QImage &picture)
{
    NextEdit(picture);
    QTest::mouseClick(m_page->m_step1Title, Qt::LeftButton);
}

void MakerTest::RunPropertiesWithOk(const QImage &alternative)
{
    NextEdit(alternative);
    AnswerModal<TPropertiesDialog>([loading = !alternative.isNull()](TPropertiesDialog *dialog) {
        if (loading) {
            if (!dialog->m_alternativeCheckBox->isChecked())
                QTest::mouseClick(dialog->m_alternativeCheckBox, Qt::LeftButton);
            QTest::mouseClick(dialog->m_loadAlternativeButton, Qt::LeftButton);
        }
        QTest::mouseClick(dialog->m_okButton, Qt::LeftButton);
    });
    QTest::mouseClick(m_page->m_step2Title, Qt::LeftButton);
}
