#pragma once
// The scale view dialog: shows the picture editor's picture at 10 % to 160 % of its real size,
// resizing the editor's image control live, and on request resamples the picture to the shown
// size. One instance, D_scale_image, is created at start-up and reused for every call.

#include <QDialog>
#include <QSlider>

class QLabel;
class QPushButton;
class TPictureView;

// A horizontal track bar that also marks a selection range on its channel.
class TSelectionTrackBar : public QSlider
{
    Q_OBJECT
public:
    explicit TSelectionTrackBar(QWidget *parent = nullptr);

    void SetSelection(int start, int end);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int selectionStart = 0;
    int selectionEnd = 0;
};

class TD_scale_image : public QDialog
{
    Q_OBJECT
public:
    explicit TD_scale_image(QWidget *parent = nullptr);

    // Runs the dialog modally on the image control (not owned, used only during the call);
    // nothing happens without one. The apply button is shown only when showApply is true.
    void ScaleView(TPictureView *image, bool showApply);
    // Back to 100 %: the image control returns to its real size, which becomes the base size.
    void ResetScale();

    TSelectionTrackBar *TrB1;
    QLabel *Label1;
    QLabel *Label_scale;
    QLabel *Label2;
    QPushButton *BtnClose;
    QPushButton *btn_cancel;
    QPushButton *btn_reset;
    QPushButton *btn_apply;

private:
    void TrB1Change(int position);
    void BtnCloseClick();
    void btn_cancelClick();
    void btn_resetClick();
    void btn_applyClick();
    QSize ShownSize(int position) const;

    TPictureView *image = nullptr;
    int baseWidth = 0;
    int baseHeight = 0;
};
