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

TDataDialogBase::TDataDialogBase(QWidget *parent) : QDialog(parent)
{
    setFont(WindowLook::DialogFont());

    m_buttonPanel = new QFrame(this);
    m_buttonPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_buttonBox = new QFrame(m_buttonPanel);
    m_buttonBox->setFrameStyle(QFrame::NoFrame);

    m_okButton = new QPushButton(QStringLiteral("Ok"), m_buttonBox);
    m_okButton->setGeometry(28, 7, 75, 25);
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), m_buttonBox);
    m_cancelButton->setGeometry(112, 7, 75, 25);

    connect(m_okButton, &QPushButton::clicked, this, &TDataDialogBase::OkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &TDataDialogBase::CancelClicked);
    PlaceBottomBar();
}

QString TDataDialogBase::RunDialog(const QString &argument)
{
    QString result;
    try {
        LoadData(argument);
        // Only Ok accepts; Cancel, Esc and the caption's close button reject.
        if (exec() == QDialog::Accepted) {
            StoreData();
            result = m_resultText;
        }
    } catch (...) {
        ReleaseData();
        throw;
    }
    ReleaseData();
    return result;
}

void TDataDialogBase::LoadData(const QString &argument)
{
    m_resultText = argument;
}

void TDataDialogBase::StoreData()
{
}

void TDataDialogBase::ReleaseData()
{
}

void TDataDialogBase::OkClicked()
{
    accept();
}

void TDataDialogBase::CancelClicked()
{
    reject();
}

void TDataDialogBase::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    PlaceBottomBar();
}

void TDataDialogBase::PlaceBottomBar()
{
    m_buttonPanel->setGeometry(0, height() - BarHeight, width(), BarHeight);
    m_buttonBox->setGeometry(width() - ButtonBoxWidth, 0, ButtonBoxWidth, BarHeight);
}
