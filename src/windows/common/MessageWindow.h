#pragma once
// The message window: shows a caller's text with an OK button, modally. One instance,
// ProgramWindows().messageWindow, is made when first asked for and reused.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TMessageWindow : public QDialog
{
    Q_OBJECT
public:
    explicit TMessageWindow(QWidget *parent = nullptr);

    // Shows text and returns when the window closes. The window keeps its designed size for a
    // text that fits and grows, within the screen, for one that does not.
    void ShowText(const QString &text);

    QFrame *m_messageBevel;
    QLabel *m_messageLabel;
    QPushButton *m_okButton;

private:
    void FitText();
};
