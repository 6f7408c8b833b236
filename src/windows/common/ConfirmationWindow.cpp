#include "windows/common/ConfirmationWindow.h"

#include "windows/common/WindowLook.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

TConfirmationWindow::TConfirmationWindow(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Confirmation"));
    setFixedSize(313, 172);
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);

    m_questionBevel = new QFrame(this);
    m_questionBevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    m_questionBevel->setGeometry(8, 8, 297, 119);

    m_questionLabel = new QLabel(this);
    m_questionLabel->setTextFormat(Qt::PlainText);
    m_questionLabel->setGeometry(21, 21, 274, 99);
    m_questionLabel->setWordWrap(true);
    m_questionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_yesButton = new QPushButton(QStringLiteral("Yes"), this);
    m_yesButton->setGeometry(79, 138, 75, 25);
    m_yesButton->setDefault(true);
    connect(m_yesButton, &QPushButton::clicked, this, &TConfirmationWindow::YesClicked);

    // Esc and the close button reject the dialog as well.
    m_noButton = new QPushButton(QStringLiteral("No"), this);
    m_noButton->setGeometry(162, 138, 75, 25);
    connect(m_noButton, &QPushButton::clicked, this, &QDialog::reject);
    m_yesButton->setToolTip(QStringLiteral("Yes (Enter)"));
    m_noButton->setToolTip(QStringLiteral("No (Esc)"));
}

bool TConfirmationWindow::Ask(const QString &text)
{
    m_answer = false;
    m_questionLabel->setText(text);
    WindowLook::CentreOnScreen(this);
    m_yesButton->setFocus();
    exec();
    return m_answer;
}

void TConfirmationWindow::YesClicked()
{
    m_answer = true;
    accept();
}
