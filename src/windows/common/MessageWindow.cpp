#include "windows/common/MessageWindow.h"

#include "windows/common/WindowLook.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace
{

const QSize DesignedSize(338, 167);
const QRect DesignedBevel(7, 7, 323, 113);
const QRect DesignedLabel(14, 14, 309, 99);
const QRect DesignedOk(254, 131, 75, 25);
// Between the label and the window's edges: the bevel, the OK button's row.
const QSize LabelSurround = DesignedSize - DesignedLabel.size();

} // namespace

TMessageWindow::TMessageWindow(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Message"));
    setFixedSize(DesignedSize);
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);

    m_messageBevel = new QFrame(this);
    m_messageBevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_messageBevel->setGeometry(DesignedBevel);

    m_messageLabel = new QLabel(this);
    m_messageLabel->setTextFormat(Qt::PlainText);
    m_messageLabel->setGeometry(DesignedLabel);
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setGeometry(DesignedOk);
    m_okButton->setDefault(true);
    m_okButton->setToolTip(QStringLiteral("Close (Enter)"));
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TMessageWindow::ShowText(const QString &text)
{
    m_messageLabel->setText(text);
    FitText();
    WindowLook::CentreOnScreen(this);
    exec();
}

// The bevel and the OK button keep their distances to the edges of a grown window.
void TMessageWindow::FitText()
{
    const QSize growth =
        WindowLook::GrowthToShowText(*m_messageLabel, DesignedLabel.size(), LabelSurround);
    setFixedSize(DesignedSize + growth);
    m_messageLabel->resize(DesignedLabel.size() + growth);
    m_messageBevel->resize(DesignedBevel.size() + growth);
    m_okButton->move(DesignedOk.topLeft() + QPoint(growth.width(), growth.height()));
}
