#pragma once
// The maker's windows in this process: the wizard page hosted in a window of its own, on a
// main state of its own, with the confirmation, About and properties windows published under
// their names. Picture editing is replaced by a stand-in that puts a chosen picture in place
// or cancels, as a user would in the editor.

#include "windows/common/AboutWindow.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/MainState.h"
#include "windows/common/WindowInstances.h"
#include "windows/maker/PropertiesDialog.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>

class QFileDialog;
class QWidget;
class TJPEGImage;
class TMakerPage;

// A photograph-like bitmap of size: smooth colour gradients, so that JPEG encoding is typical.
QImage GradientPicture(QSize size);
QSize PictureSize(const TJPEGImage &picture);
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
    void NextEditFailsToLoad() { nextEditFailsToLoad = true; }
    // Step 1 done with picture: the page at step 2.
    void ChooseSource(const QImage &picture);
    // Step 2 answered in the dialog with Ok, after loading alternative if it is not null.
    void RunPropertiesWithOk(const QImage &alternative = {});

    TMainState state;
    TPublishedAs<TMainState> publishedState{MainState, &state};
    std::unique_ptr<TFsure> sure = std::make_unique<TFsure>();
    TPublishedAs<TFsure> publishedSure{Fsure, sure.get()};
    std::unique_ptr<TFabout> about = std::make_unique<TFabout>();
    TPublishedAs<TFabout> publishedAbout{Fabout, about.get()};
    std::unique_ptr<TD_puzzle_props> props = std::make_unique<TD_puzzle_props>();
    TPublishedAs<TD_puzzle_props> publishedProps{D_puzzle_props, props.get()};
    std::unique_ptr<QWidget> host;
    TMakerPage *page = nullptr;
    QImage nextEdit;
    bool nextEditFailsToLoad = false;
    int edits = 0;
};
