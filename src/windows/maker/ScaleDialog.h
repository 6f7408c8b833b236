#pragma once
// The scale view dialog: shows the picture editor's picture at 10 % to 160 % of its real size,
// resizing the editor's image control live, and on request resamples the picture to the shown
// size. One instance, ProgramWindows().scaleDialog, is made when first asked for and reused
// for every call.

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
    int m_selectionStart = 0;
    int m_selectionEnd = 0;
};

class TScaleDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TScaleDialog(QWidget *parent = nullptr);

    // Runs the dialog modally on the image control (not owned, used only during the call);
    // nothing happens without one. The apply button is shown only when showApply is true. True
    // when the picture was resampled to the chosen size.
    bool ScaleView(TPictureView *image, bool showApply);
    // Back to 100 %: the image control returns to its real size, which becomes the base size.
    void ResetScale();

    TSelectionTrackBar *m_scaleSlider;
    QLabel *m_shownSizeCaption;
    QLabel *m_scaleLabel;
    QLabel *m_percentCaption;
    QPushButton *m_closeButton;
    QPushButton *m_cancelButton;
    QPushButton *m_resetButton;
    QPushButton *m_applyButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ScaleChanged(int position);
    void CloseClicked();
    void CancelClicked();
    void ResetClicked();
    void ApplyClicked();
    QSize ShownSize(int position) const;

    TPictureView *m_image = nullptr;
    // The last run resampled the picture.
    bool m_applied = false;
    int m_baseWidth = 0;
    int m_baseHeight = 0;
};
