#include "windows/common/ConfirmationWindow.h"

#include "windows/common/WindowLook.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace
{

const QSize DesignedSize(313, 172);
const QRect DesignedBevel(8, 8, 297, 119);
const QRect DesignedLabel(21, 21, 274, 99);
const QRect DesignedYes(79, 138, 75, 25);
const QRect DesignedNo(162, 138, 75, 25);
// Between the label and the window's edges: the bevel, the buttons' row.
const QSize LabelSurround = DesignedSize - DesignedLabel.size();

} // namespace

TConfirmationWindow::TConfirmationWindow(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Confirmation"));
    setFixedSize(DesignedSize);
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);

    m_questionBevel = new QFrame(this);
    m_questionBevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    m_questionBevel->setGeometry(DesignedBevel);

    m_questionLabel = new QLabel(this);
    m_questionLabel->setTextFormat(Qt::PlainText);
    m_questionLabel->setGeometry(DesignedLabel);
    m_questionLabel->setWordWrap(true);
    m_questionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_yesButton = new QPushButton(QStringLiteral("Yes"), this);
    m_yesButton->setGeometry(DesignedYes);
    m_yesButton->setDefault(true);
    connect(m_yesButton, &QPushButton::clicked, this, &TConfirmationWindow::YesClicked);

    // Esc and the close button reject the dialog as well.
    m_noButton = new QPushButton(QStringLiteral("No"), this);
    m_noButton->setGeometry(DesignedNo);
    connect(m_noButton, &QPushButton::clicked, this, &QDialog::reject);
    m_yesButton->setToolTip(QStringLiteral("Yes (Enter)"));
    m_noButton->setToolTip(QStringLiteral("No (Esc)"));
}

bool TConfirmationWindow::Ask(const QString &text)
{
    m_answer = false;
    m_questionLabel->setText(text);
    FitText();
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

// A question longer than the designed box (a long file path) grows the window; the buttons stay
// centred under the bevel.
void TConfirmationWindow::FitText()
{
    const QSize growth =
        WindowLook::GrowthToShowText(*m_questionLabel, DesignedLabel.size(), LabelSurround);
    setFixedSize(DesignedSize + growth);
    m_questionLabel->resize(DesignedLabel.size() + growth);
    m_questionBevel->resize(DesignedBevel.size() + growth);
    const QPoint shift(growth.width() / 2, growth.height());
    m_yesButton->move(DesignedYes.topLeft() + shift);
    m_noButton->move(DesignedNo.topLeft() + shift);
}
