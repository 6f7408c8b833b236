#pragma once
// The confirmation window: asks a caller's Yes/No question, modally. One instance, Fsure, is
// created at start-up and reused.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TFsure : public QDialog
{
    Q_OBJECT
public:
    explicit TFsure(QWidget *parent = nullptr);

    // Shows text as the question; true only when Yes was clicked or Enter pressed. No, Esc and
    // the window's close button give false.
    virtual bool Ask(const QString &text);

    QFrame *Bevel1;
    QLabel *Label1;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

private:
    void OKBtnClick();

    bool answer = false;
};
