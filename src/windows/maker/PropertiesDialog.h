#pragma once
// The new-puzzle properties dialog (D_puzzle_props), Step 2 of the maker: the puzzle's name,
// author and website, its size in pieces, piece borders, and an alternative picture shown once
// the puzzle is solved. Ok rebuilds the puzzle document with new random piece edges. Created
// once at start-up; every control keeps its value from one run to the next.

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
class TJPEGImage;
class TKelPigger;
class TRandomGenerator;
class TShapeWidget;

class TD_puzzle_props : public QDialog
{
    Q_OBJECT
public:
    // Puts the generator in the state Ok draws the piece edges from; the clock by default.
    using TRandomSeeding = std::function<void(TRandomGenerator &)>;

    explicit TD_puzzle_props(QWidget *parent = nullptr);

    // Runs the dialog on the main window's pictures and document, none of them owned. True
    // when Ok closed it: the document is rebuilt and use tells whether the alternative picture
    // (loaded in this very run) is shown when solved. Otherwise false, with document and use
    // untouched; also, without showing anything, when source or document is missing.
    bool RunProperties(const TJPEGImage *source, TKelPigger *document, TJPEGImage *alternative,
                       bool &use);

    void SetRandomSeeding(TRandomSeeding seeding);
    // "Load picture"'s editing; a new picture editor by default.
    void SetPictureEditing(TPictureEditing editing);

    TBandedGradient *Image1;
    QLabel *Label6;
    QLineEdit *Edit_name;
    QLabel *Label5;
    QLineEdit *Edit_author;
    QLabel *Label7;
    QLineEdit *Edit_authors_website;
    QStackedWidget *PageControl1;
    QWidget *TabSheet_js;
    TShapeWidget *Shape1;
    QLabel *Label1;
    QLabel *Label2;
    QComboBox *CB_width;
    QLabel *Label3;
    QComboBox *CB_height;
    QLabel *Label_size_js;
    TShapeWidget *Shape2;
    QLabel *Label4;
    QCheckBox *CB_3D;
    QCheckBox *CB_transform_solved;
    QToolButton *SB_premium_img;
    QToolButton *SB_ok;
    QToolButton *SB_cancel;

private:
    void CreateControls();
    void CreateSizePage();
    void FormCreate();
    void calc_js_size();
    void CB_transform_solvedClick();
    void SB_premium_imgClick();
    void SB_okClick();
    void SB_cancelClick();
    void RebuildDocument();

    TPictureEditing editPicture;
    TRandomSeeding randomSeeding;
    bool okPressed = false;
    bool alternativeLoaded = false;
    const TJPEGImage *sourcePicture = nullptr;
    TJPEGImage *alternativePicture = nullptr;
    TKelPigger *document = nullptr;
};
