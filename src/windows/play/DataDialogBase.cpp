#include "windows/play/DataDialogBase.h"

#include "windows/common/WindowLook.h"

#include <QFrame>
#include <QPushButton>
#include <QResizeEvent>

namespace
{

constexpr int BarHeight = 41;
constexpr int ButtonBoxWidth = 236;

} // namespace

TP_dataform::TP_dataform(QWidget *parent) : QDialog(parent)
{
    setFont(WindowLook::DialogFont());

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2 = new QFrame(Panel1);
    Panel2->setFrameStyle(QFrame::NoFrame);

    btn_ok = new QPushButton(QStringLiteral("Ok"), Panel2);
    btn_ok->setGeometry(28, 7, 75, 25);
    btn_ok->setDefault(true);
    btn_cancel = new QPushButton(QStringLiteral("Cancel"), Panel2);
    btn_cancel->setGeometry(112, 7, 75, 25);

    connect(btn_ok, &QPushButton::clicked, this, &TP_dataform::btn_okClick);
    connect(btn_cancel, &QPushButton::clicked, this, &TP_dataform::btn_cancelClick);
    PlaceBottomBar();
}

QString TP_dataform::RunDialog(const QString &argument)
{
    QString result;
    try {
        LoadData(argument);
        // Only Ok accepts; Cancel, Esc and the caption's close button reject.
        if (exec() == QDialog::Accepted) {
            StoreData();
            result = resultText;
        }
    } catch (...) {
        ReleaseData();
        throw;
    }
    ReleaseData();
    return result;
}

void TP_dataform::LoadData(const QString &argument)
{
    resultText = argument;
}

void TP_dataform::StoreData()
{
}

void TP_dataform::ReleaseData()
{
}

void TP_dataform::btn_okClick()
{
    accept();
}

void TP_dataform::btn_cancelClick()
{
    reject();
}

void TP_dataform::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    PlaceBottomBar();
}

void TP_dataform::PlaceBottomBar()
{
    Panel1->setGeometry(0, height() - BarHeight, width(), BarHeight);
    Panel2->setGeometry(width() - ButtonBoxWidth, 0, ButtonBoxWidth, BarHeight);
}
