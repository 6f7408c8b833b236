#include "windows/common/MessageWindow.h"

#include "windows/common/WindowLook.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace
{

const QSize DesignedSize(338, 167);
const QRect DesignedBevel(7, 7, 323, 113);
const QRect DesignedLabel(14, 14, 309, 99);
const QRect DesignedOk(254, 131, 75, 25);
// Between the label and the window's edges: the bevel, the OK button's row.
const QSize LabelSurround = DesignedSize - DesignedLabel.size();
// Wider texts wrap, so that lines stay readable.
constexpr int MaxLabelWidth = 560;
// Room kept between a grown window and the screen's edges.
constexpr int ScreenGap = 40;

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

// A longer text widens the label to its longest line, then the window grows to the wrapped
// text's height; the bevel and the OK button keep their distances to the edges.
void TMessageWindow::FitText()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize room =
        screen ? screen->availableGeometry().size() - QSize(ScreenGap, ScreenGap) : DesignedSize;
    const QSize labelRoom = (room - LabelSurround).expandedTo(DesignedLabel.size());
    int longestLine = 0;
    for (const QString &line : m_messageLabel->text().split(QLatin1Char('\n')))
        longestLine = std::max(longestLine, m_messageLabel->fontMetrics().horizontalAdvance(line));
    const int width = std::clamp(longestLine + 1, DesignedLabel.width(),
                                 std::min(MaxLabelWidth, labelRoom.width()));
    const int height = std::clamp(m_messageLabel->heightForWidth(width), DesignedLabel.height(),
                                  labelRoom.height());
    const QSize growth = QSize(width, height) - DesignedLabel.size();
    setFixedSize(DesignedSize + growth);
    m_messageLabel->resize(DesignedLabel.size() + growth);
    m_messageBevel->resize(DesignedBevel.size() + growth);
    m_okButton->move(DesignedOk.topLeft() + QPoint(growth.width(), growth.height()));
}
