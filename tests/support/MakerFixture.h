#pragma once
// The maker's windows in this process: the wizard page hosted in a window of its own, on a
// main state of its own, with the confirmation, About and properties windows published under
// their names. Picture editing is replaced by a stand-in that puts a chosen picture in place
// or cancels, as a user would in the editor.

#include "support/UserSettingsSupport.h"
#include "windows/common/AboutWindow.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/MakerSession.h"
#include "windows/common/ProgramWindows.h"
#include "windows/maker/PropertiesDialog.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>

class QFileDialog;
class QWidget;
class TJpegPicture;
class TMakerPage;

// A photograph-like bitmap of size: smooth colour gradients, so that JPEG encoding is typical.
QImage GradientPicture(QSize size);
QSize PictureSize(const TJpegPicture &picture);
// Types path into a file dialog's name field and presses Enter, as a user chooses a file.
void ChooseFileInDialog(QFileDialog *dialog, const QString &path);

class MakerTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The editor accepts picture (a null picture cancels) on its next use.
    void NextEdit(const QImage &picture);
    // The editor's next use ends with Ok on a file that failed to load: no picture, a change.
    void NextEditFailsToLoad() { m_nextEditFailsToLoad = true; }
    // Step 1 done with picture: the page at step 2.
    void ChooseSource(const QImage &picture);
    // Step 2 answered in the dialog with Ok, after loading alternative if it is not null.
    void RunPropertiesWithOk(const QImage &alternative = {});

    bool m_firstStart = ForgetUserSettings(); // before the dialog reads the settings
    TMakerSession m_state;
    std::unique_ptr<TConfirmationWindow> m_sure = std::make_unique<TConfirmationWindow>();
    TPublishedAs<TConfirmationWindow> m_publishedSure{ProgramWindows().confirmationWindow,
                                                      m_sure.get()};
    std::unique_ptr<TAboutWindow> m_about = std::make_unique<TAboutWindow>();
    TPublishedAs<TAboutWindow> m_publishedAbout{ProgramWindows().aboutWindow, m_about.get()};
    std::unique_ptr<TPropertiesDialog> m_props = std::make_unique<TPropertiesDialog>();
    TPublishedAs<TPropertiesDialog> m_publishedProps{ProgramWindows().propertiesDialog,
                                                     m_props.get()};
    std::unique_ptr<QWidget> m_host;
    TMakerPage *m_page = nullptr;
    QImage m_nextEdit;
    bool m_nextEditFailsToLoad = false;
    int m_edits = 0;
    // The file the last edit was to load first; empty for a plain edit.
    QString m_startFile;
};
