#pragma once
// The maker's wizard, the main window's page TabSheet_new: a banner, the thumbnail of the
// picture being made into a puzzle and three step boxes. Step 1 edits the source picture,
// Step 2 runs the properties dialog, which makes the puzzle document, and Step 3 writes a copy
// of the running program with the puzzle in its payload. A step reacts to clicks only when the
// steps before it are done; the box of the step to do next is dark.
//
// The page works on the main window's state, which it does not own. What it needs of the main
// window itself it asks for through a signal (browsing) or its top-level window (closing).

#include "windows/maker/PictureEditing.h"

#include <QByteArray>
#include <QWidget>

class QFileDialog;
class QFrame;
class QLabel;
class QRadioButton;
class QToolButton;
class TClickableLabel;
class TJPEGImage;
class TShapeWidget;
struct TMainState;

class TMakerPage : public QWidget
{
    Q_OBJECT
public:
    explicit TMakerPage(TMainState &state, QWidget *parent = nullptr);

    // Step 1's picture editing; a new picture editor by default.
    void SetPictureEditing(TPictureEditing editing);

    // Step 1, 2 or 3: which steps react to clicks, which box is dark and how much of the
    // thumbnail panel shows. Any other value leaves all three steps inactive.
    void SetStep(int step);
    // Step 1: true when the source picture was changed in the editor.
    bool ChooseSourcePicture();
    // Step 2: true when the properties dialog ended with Ok and rebuilt the document; a cancel
    // switches the alternative picture off.
    bool EditProperties();
    // Step 3 up to the written file: false when the save dialog was cancelled. Throws when the
    // file cannot be written; nothing has changed then.
    bool SaveNewPuzzle();
    // The running program's image with the new puzzle's sections, in the order the player
    // reads them, and "USE_PRM" set on the document. The process's own image is not changed.
    QByteArray WritePuzzlePayload() const;
    void SetPremiumAvailable(bool flag);
    // Shows the selected picture in Image_demo, fitted and centred in Panel_img.
    void ShowThumbnail();
    // Sizes image to fit a box of boxHeight × boxWidth keeping its picture's aspect ratio
    // (the kept side is the box's, the other truncated). A picture without pixels, an empty
    // box or a control of width 0 gives 1 × 1.
    static void FitImage(QLabel *image, int boxHeight, int boxWidth);

    // Panel_new
    QFrame *Panel_new;
    TShapeWidget *Shape6;
    QLabel *Image1;
    QLabel *Label1;
    TShapeWidget *Shape5;
    TClickableLabel *Label5;
    QFrame *Panel_img;
    QLabel *Image_demo;
    QRadioButton *RB_src_picture;
    QRadioButton *RB_premium_picture;
    // Panel_bottom
    QFrame *Panel_bottom;
    TShapeWidget *Shape4;
    TShapeWidget *Shape9;
    QToolButton *SB_browse;
    QToolButton *SB_about;
    QToolButton *SB_exit;
    TShapeWidget *Shape1;
    TClickableLabel *Label_1;
    TClickableLabel *Label_1_;
    TShapeWidget *Shape2;
    TClickableLabel *Label_2;
    TClickableLabel *Label_2_;
    TShapeWidget *Shape3;
    TClickableLabel *Label_3;
    TClickableLabel *Label_3_;

    QFileDialog *SaveDialog1;

signals:
    // SB_browse: the main window lets the user pick a made puzzle and starts it.
    void BrowsePuzzlesRequested();

private:
    void CreateBannerPanel();
    void CreateThumbnailPanel();
    void CreateBottomPanel();
    void CreateSaveDialog();
    // Makes a step's two labels react to clicks with the hand cursor.
    void MakeStepClickable(TClickableLabel *title, TClickableLabel *caption);
    void step_click(TClickableLabel *sender);
    void RunStep(TClickableLabel *sender);
    void RB_thumbnail_click();
    // Selects RB_src_picture; when it was not selected the source thumbnail is shown.
    void SelectSourcePicture();
    void SB_browseClick();
    void SB_aboutClick();
    void SB_exitClick();
    void Label5Click();
    // After Step 3: offers to start the written puzzle, then closes the program.
    void OfferToRun(const QString &puzzle);

    TMainState &state;
    TPictureEditing editPicture;
};
