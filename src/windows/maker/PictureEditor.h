#pragma once
// The picture editor window: the user loads a picture from a file or the clipboard, turns it,
// views it smaller or larger (and resamples it to the viewed size), and copies it to the
// clipboard; on Ok the picture is written back into the caller's JPEG picture. One editor is
// created for each use and released afterwards (EditPictureInNewEditor does both for callers).

#include "windows/maker/PictureEditing.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QFileDialog;
class QFrame;
class QPushButton;
class QScrollArea;
class QToolButton;
class TJpegPicture;
class TPictureView;

class TPictureEditor : public QDialog
{
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 624;
    static constexpr int DefaultHeight = 464;

    explicit TPictureEditor(QWidget *parent = nullptr);

    // Shows picture (a 1 × 1 picture when it is empty or cannot be decoded) under caption,
    // loads startFile over it when one is given (a dropped file), and runs the window modally. On
    // Ok the shown bitmap is assigned to picture, changed or not (an empty 0 × 0 bitmap empties
    // it); on Cancel picture is untouched. True only for Ok after a load, paste, turn or applied
    // scale.
    // edited tells which of the maker's pictures it is.
    bool EditPicture(TJpegPicture &picture, const QString &caption,
                     const QString &startFile = QString(), const TEditedPicture &edited = {});

    // Internal steps, public for the scale dialog and tests.
    void LoadPictureFile(const QString &fileName);
    void RotatePicture(bool clockwise);
    void CopyPicture();

    QFrame *m_buttonPanel;
    QPushButton *m_okButton;
    QPushButton *m_cancelButton;
    QScrollArea *m_pictureScroll;
    TPictureView *m_pictureView;
    QFrame *m_toolPanel;
    QPushButton *m_loadFromFileButton;
    QPushButton *m_pasteButton;
    QPushButton *m_scaleButton;
    QToolButton *m_rotateLeftButton;
    QToolButton *m_rotateRightButton;
    // On, a picture larger than the window is shown whole, shrunk to fit; off, at real size.
    QCheckBox *m_fitCheckBox = nullptr;
    QFileDialog *m_openDialog;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void CreateOpenDialog();
    void CreateCommands();
    QToolButton *AddRotateButton(int x, bool clockwise);
    void PlaceImage();
    void FitPicture();
    void ShowPicture();
    void StorePicture();

    void HandleKey(QKeyEvent *event);
    void OkClicked();
    void CancelClicked();
    void LoadFromFileClicked();
    void PasteClicked();
    void ScaleClicked();
    void RotateLeftClicked() { RotatePicture(false); }
    void RotateRightClicked() { RotatePicture(true); }

    QWidget *m_imageFrame;
    TJpegPicture *m_callersPicture = nullptr;
    TEditedPicture m_editedPicture;
    bool m_edited = false;
    bool m_accepted = false;
};

// Edits picture in a new editor under caption, released afterwards: the result of EditPicture.
bool EditPictureInNewEditor(TJpegPicture &picture, const QString &caption, QWidget *parent,
                            const QString &startFile = QString(),
                            const TEditedPicture &edited = {});
