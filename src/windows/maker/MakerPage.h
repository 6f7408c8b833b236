#pragma once
// The maker's wizard, the main window's maker page: a banner, the thumbnail of the
// picture being made into a puzzle and three step boxes. Step 1 edits the source picture,
// Step 2 runs the properties dialog, which makes the puzzle document, and Step 3 writes a copy
// of the running program with the puzzle in its payload. A step reacts to clicks only when the
// steps before it are done; the box of the step to do next is dark.
//
// The page works on the maker session, which it does not own. What it needs of the main
// window itself it asks for through a signal (browsing) or its top-level window (closing).

#include "engine/container/PuzzleFile.h"
#include "windows/maker/PictureEditing.h"

#include <QByteArray>
#include <QWidget>

class QCheckBox;
class QFileDialog;
class QFrame;
class QLabel;
class QRadioButton;
class QToolButton;
class TClickableLabel;
class TJpegPicture;
class TShapeWidget;
class TMakerSession;

class TMakerPage : public QWidget
{
    Q_OBJECT
public:
    // portableProgram is the program part of portable puzzles; empty when it is not installed.
    explicit TMakerPage(TMakerSession &state, QWidget *parent = nullptr,
                        const QString &portableProgram = PortableProgramPath());

    // Step 1's picture editing; a new picture editor by default.
    void SetPictureEditing(TPictureEditing editing);

    // Step 1, 2 or 3: which steps react to clicks, which box is dark and how much of the
    // thumbnail panel shows. Any other value leaves all three steps inactive.
    void SetStep(int step);
    // Step 1: true when the source picture was changed in the editor; startFile, when given,
    // is loaded in the editor first.
    bool ChooseSourcePicture(const QString &startFile = QString());
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
    // Shows the selected picture in m_thumbnailImage, fitted and centred in m_thumbnailPanel.
    void ShowThumbnail();
    // Sizes image to fit a box of boxHeight × boxWidth keeping its picture's aspect ratio
    // (the kept side is the box's, the other truncated). A picture without pixels, an empty
    // box or a control of width 0 gives 1 × 1.
    static void FitImage(QLabel *image, int boxHeight, int boxWidth);

    // m_bannerPanel
    QFrame *m_bannerPanel;
    TShapeWidget *m_bannerBackground;
    QLabel *m_bannerImage;
    QLabel *m_titleLabel;
    TShapeWidget *m_versionStripe;
    TClickableLabel *m_versionLabel;
    QFrame *m_thumbnailPanel;
    QLabel *m_thumbnailImage;
    QRadioButton *m_sourcePictureRadio;
    QRadioButton *m_alternativePictureRadio;
    // m_commandPanel
    QFrame *m_commandPanel;
    TShapeWidget *m_commandFrame;
    TShapeWidget *m_aboutFrame;
    QToolButton *m_browseButton;
    QToolButton *m_aboutButton;
    QToolButton *m_exitButton;
    // Step 3 writes a portable puzzle, one that carries its own libraries; remembered for the
    // next puzzle. Disabled when the portable program part is not installed.
    QCheckBox *m_portableCheckBox;
    // Step 3 also writes the puzzle as a web page beside it; remembered for the next puzzle.
    QCheckBox *m_webPageCheckBox;
    TShapeWidget *m_step1Frame;
    TClickableLabel *m_step1Title;
    TClickableLabel *m_step1Caption;
    TShapeWidget *m_step2Frame;
    TClickableLabel *m_step2Title;
    TClickableLabel *m_step2Caption;
    TShapeWidget *m_step3Frame;
    TClickableLabel *m_step3Title;
    TClickableLabel *m_step3Caption;

    QFileDialog *m_saveDialog = nullptr;

signals:
    // m_browseButton: the main window lets the user pick a made puzzle and starts it.
    void BrowsePuzzlesRequested();
    // A puzzle file dropped on the page, to be opened as a browsed one is.
    void PuzzleFileDropped(const QString &puzzle);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void CreatePortableCheckBox();
    void CreateWebPageCheckBox();
    void CreateBannerPanel();
    void CreateThumbnailPanel();
    void CreateBottomPanel();
    // The dialog that asks where Step 3 writes the puzzle.
    QFileDialog &SaveDialog();
    // Makes a step's two labels react to clicks with the hand cursor.
    void MakeStepClickable(TClickableLabel *title, TClickableLabel *caption);
    void StepClicked(TClickableLabel *sender);
    void RunStep(TClickableLabel *sender);
    // A dropped picture starts Step 1 with it, at any step.
    void StartWithPicture(const QString &file);
    void ThumbnailChoiceClicked();
    // Selects m_sourcePictureRadio; when it was not selected the source thumbnail is shown.
    void SelectSourcePicture();
    void BrowseClicked();
    void AboutClicked();
    void ExitClicked();
    void VersionClicked();
    // After Step 3: offers to start the written puzzle, then closes the program.
    void OfferToRun(const QString &puzzle);

    TMakerSession &m_state;
    TPictureEditing m_editPicture;
    QString m_portableProgram;
};
