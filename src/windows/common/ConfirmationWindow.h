#pragma once
// The confirmation window: asks a caller's Yes/No question, modally. One instance,
// ProgramWindows().confirmationWindow, is made when first asked for and reused.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TConfirmationWindow : public QDialog
{
    Q_OBJECT
public:
    explicit TConfirmationWindow(QWidget *parent = nullptr);

    // Shows text as the question; true only when Yes was clicked or Enter pressed. No, Esc and
    // the window's close button give false.
    virtual bool Ask(const QString &text);

    QFrame *m_questionBevel;
    QLabel *m_questionLabel;
    QPushButton *m_yesButton;
    QPushButton *m_noButton;

private:
    void YesClicked();
    void FitText();

    bool m_answer = false;
};
