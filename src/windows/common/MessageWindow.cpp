#include "windows/common/MessageWindow.h"

#include "windows/common/WindowLook.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

TMessageWindow::TMessageWindow(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Message"));
    setFixedSize(338, 167);
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);

    m_messageBevel = new QFrame(this);
    m_messageBevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_messageBevel->setGeometry(7, 7, 323, 113);

    m_messageLabel = new QLabel(this);
    m_messageLabel->setTextFormat(Qt::PlainText);
    m_messageLabel->setGeometry(14, 14, 309, 99);
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setGeometry(254, 131, 75, 25);
    m_okButton->setDefault(true);
    m_okButton->setToolTip(QStringLiteral("Close (Enter)"));
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TMessageWindow::ShowText(const QString &text)
{
    m_messageLabel->setText(text);
    WindowLook::CentreOnScreen(this);
    exec();
}
