#pragma once
// The picture editor window: the user loads a picture from a file or the clipboard, turns it,
// views it smaller or larger (and resamples it to the viewed size), and copies it to the
// clipboard; on Ok the picture is written back into the caller's JPEG picture. One editor is
// created for each use and released afterwards (TOpenPictureEditor does both for the callers).

#include <QDialog>
#include <memory>

class QFileDialog;
class QFrame;
class QPushButton;
class QScrollArea;
class QToolButton;
class TJPEGImage;
class TPictureView;

class TF_picture_mgm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 624;
    static constexpr int DefaultHeight = 464;

    explicit TF_picture_mgm(QWidget *parent = nullptr);

    // Shows picture (a 1 × 1 picture when it is empty or cannot be decoded) under caption and
    // runs the window modally. On Ok the shown bitmap is assigned to picture, changed or not
    // (an empty 0 × 0 bitmap empties it); on Cancel picture is untouched. True only for Ok
    // after a load, paste, turn or applied scale.
    bool EditPicture(TJPEGImage &picture, const QString &caption);

    // Marks the picture as changed; the scale dialog calls it when it resamples the picture.
    void SetEdited() { edited = true; }

    // Internal steps, public for the scale dialog and tests.
    void LoadPictureFile(const QString &fileName);
    void RotatePicture(bool clockwise);
    void CopyPicture();

    QFrame *Panel1;
    QPushButton *btn_ok;
    QPushButton *btn_cancel;
    QScrollArea *ScrollBox1;
    TPictureView *Image1;
    QFrame *Panel2;
    QPushButton *btn_load_from_file;
    QPushButton *btn_paste;
    QPushButton *btn_scale;
    QToolButton *SB_r_l;
    QToolButton *SB_r_r;
    QFileDialog *OpenDialog1;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void CreateCommands();
    QToolButton *AddRotateButton(int x, bool clockwise);
    void PlaceImage();
    void ShowPicture();
    void StorePicture();

    void FormKeyDown(QKeyEvent *event);
    void btn_okClick();
    void btn_cancelClick();
    void btn_load_from_fileClick();
    void btn_pasteClick();
    void btn_scaleClick();
    void SB_r_lClick() { RotatePicture(false); }
    void SB_r_rClick() { RotatePicture(true); }

    QWidget *imageFrame;
    TJPEGImage *callersPicture = nullptr;
    bool edited = false;
    bool accepted = false;
};

// One use of a picture editor, the way every caller opens one: creates the editor, publishes
// it as the main window's current editor while it exists, and releases it and clears the
// reference when it goes (also when the run fails).
class TOpenPictureEditor
{
public:
    explicit TOpenPictureEditor(QWidget *parent);
    ~TOpenPictureEditor();
    TOpenPictureEditor(const TOpenPictureEditor &) = delete;
    TOpenPictureEditor &operator=(const TOpenPictureEditor &) = delete;

    TF_picture_mgm &Editor() { return *editor; }

private:
    std::unique_ptr<TF_picture_mgm> editor;
};

// Edits picture in a new editor under caption, as TOpenPictureEditor opens it: the result of
// EditPicture.
bool EditPictureInNewEditor(TJPEGImage &picture, const QString &caption, QWidget *parent);
