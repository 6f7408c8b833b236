#include "windows/common/ConfirmationWindow.h"

#include "windows/common/WindowLook.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

TFsure::TFsure(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Confirmation:"));
    setFixedSize(313, 172);
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 297, 119);

    Label1 = new QLabel(this);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(21, 21, 274, 99);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    OKBtn = new QPushButton(QStringLiteral("Yes"), this);
    OKBtn->setGeometry(79, 138, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TFsure::OKBtnClick);

    // Esc and the close button reject the dialog as well.
    CancelBtn = new QPushButton(QStringLiteral("No"), this);
    CancelBtn->setGeometry(162, 138, 75, 25);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TFsure::Ask(const QString &text)
{
    answer = false;
    Label1->setText(text);
    WindowLook::CentreOnScreen(this);
    OKBtn->setFocus();
    exec();
    return answer;
}

void TFsure::OKBtnClick()
{
    answer = true;
    accept();
}
