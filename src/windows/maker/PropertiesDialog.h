#pragma once
// The new-puzzle properties dialog (ProgramWindows().propertiesDialog), Step 2 of the maker: the
// puzzle's name, author and website, its size in pieces with a check of the pieces' size in the
// picture, piece borders, turned pieces, and an alternative picture shown once the puzzle is
// solved. Ok rebuilds the puzzle document with new random piece edges.
// Created once at start-up; every control keeps its value from one run to the next.

#include "windows/maker/PictureEditing.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QToolButton;
class TBandedGradient;
class TJpegPicture;
class TPuzzleDocument;
class TRandomGenerator;
class TShapeWidget;

class TPropertiesDialog : public QDialog
{
    Q_OBJECT
public:
    // Puts the generator in the state Ok draws the piece edges from; the clock by default.
    using TRandomSeeding = std::function<void(TRandomGenerator &)>;

    explicit TPropertiesDialog(QWidget *parent = nullptr);

    // Runs the dialog on the maker session's pictures and document, none of them owned. True
    // when Ok closed it: the document is rebuilt and use tells whether the alternative picture
    // (loaded in this very run) is shown when solved. Otherwise false, with document and use
    // untouched; also, without showing anything, when source or document is missing.
    // The source picture is scaled when the user takes the offer to make pieces smaller.
    bool RunProperties(TJpegPicture *source, TPuzzleDocument *document, TJpegPicture *alternative,
                       bool &use);

    void SetRandomSeeding(TRandomSeeding seeding);
    // "Load picture"'s editing; a new picture editor by default.
    void SetPictureEditing(TPictureEditing editing);

    TBandedGradient *m_gradient;
    QLabel *m_nameCaption;
    QLineEdit *m_nameEdit;
    QLabel *m_authorCaption;
    QLineEdit *m_authorEdit;
    QLabel *m_websiteCaption;
    QLineEdit *m_websiteEdit;
    QStackedWidget *m_pages;
    QWidget *m_jigsawPage;
    TShapeWidget *m_sizeBox;
    QLabel *m_sizeBoxCaption;
    QLabel *m_widthCaption;
    QComboBox *m_widthBox;
    QLabel *m_heightCaption;
    QComboBox *m_heightBox;
    QLabel *m_pieceCountLabel;
    // One piece's size in the picture, and what is wrong with it with the offer that fixes it.
    QLabel *m_pieceSizeLabel;
    QLabel *m_qualityWarning;
    QToolButton *m_qualityFixButton;
    TShapeWidget *m_propertiesBox;
    QLabel *m_propertiesBoxCaption;
    QCheckBox *m_bordersCheckBox;
    QCheckBox *m_alternativeCheckBox;
    QToolButton *m_loadAlternativeButton;
    QCheckBox *m_turnedCheckBox;
    QToolButton *m_okButton;
    QToolButton *m_cancelButton;

protected:
    // Enter clicks the focused command, else Ok; Esc cancels.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CreateControls();
    void CreateSizePage();
    void ResetFields();
    // The author, website, grid and borders of the last Ok, kept for the user's next puzzle.
    void RestoreChoices();
    void RememberChoices() const;
    void UpdatePieceCount();
    void UpdateQuality();
    void QualityFixClicked();
    // The screen's size in its device pixels, which show a piece's pixels one to one.
    QSize JudgedScreen() const;
    void AlternativeToggled();
    void LoadAlternativeClicked();
    void OkClicked();
    void CancelClicked();
    void RebuildDocument();

    TPictureEditing m_editPicture;
    TRandomSeeding m_randomSeeding;
    bool m_okPressed = false;
    bool m_alternativeLoaded = false;
    TJpegPicture *m_sourcePicture = nullptr;
    TJpegPicture *m_alternativePicture = nullptr;
    TPuzzleDocument *m_document = nullptr;
};
