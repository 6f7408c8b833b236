#pragma once
// The message window: shows a caller's text with an OK button, modally. One instance, Dmsg,
// is created at start-up and reused.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TDmsg : public QDialog
{
    Q_OBJECT
public:
    explicit TDmsg(QWidget *parent = nullptr);

    // Shows text and returns when the window closes.
    void ShowText(const QString &text);

    QFrame *Bevel1;
    QLabel *Label1;
    QPushButton *OKBtn;
};
