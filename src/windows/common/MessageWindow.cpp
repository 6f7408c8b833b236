#include "windows/common/MessageWindow.h"

#include "windows/common/WindowLook.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

TDmsg::TDmsg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Message:"));
    setFixedSize(338, 167);
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->setGeometry(7, 7, 323, 113);

    Label1 = new QLabel(this);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(14, 14, 309, 99);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(254, 131, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TDmsg::ShowText(const QString &text)
{
    Label1->setText(text);
    WindowLook::CentreOnScreen(this);
    exec();
}
