#include "windows/common/AboutWindow.h"

#include "engine/container/DocumentValues.h"
#include "windows/common/ClickableLabel.h"
#include "windows/common/MakerMark.h"
#include "windows/common/ShapeWidget.h"
#include "windows/common/WindowLook.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

using namespace WindowLook;

namespace
{

const QString NotAvailable = QStringLiteral("N/A");
const QColor CreditGrey{64, 64, 64};

bool HasWebScheme(const QString &address)
{
    return address.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

QString TextOrDefault(const QString &text, const QString &fallback)
{
    return text.isEmpty() ? fallback : text;
}

// Line breaks become blanks: a label shows plain text with its breaks.
QString OnOneLine(QString text)
{
    for (QChar &c : text) {
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return text;
}

// A puzzle's text on one line that ends inside the window, so that a long text neither runs
// under the window's edge nor over the rows below it.
void SetPuzzleLabelText(QLabel *label, const QString &text)
{
    constexpr int RightMargin = 8;
    const int room = label->parentWidget()->width() - label->x() - RightMargin;
    SetLabelText(label, label->fontMetrics().elidedText(OnOneLine(ShownPuzzleText(text)),
                                                        Qt::ElideRight, room));
}

// A web address at x, y: bold and underlined in font, with the hand cursor.
TClickableLabel *MakeLink(QWidget *parent, int x, int y, QFont font, const QColor &colour)
{
    auto *link = new TClickableLabel(parent);
    link->setTextFormat(Qt::PlainText);
    font.setBold(true);
    font.setUnderline(true);
    link->setFont(font);
    SetTextColour(link, colour);
    link->move(x, y);
    link->setCursor(Qt::PointingHandCursor);
    return link;
}

} // namespace

TAboutWindow::TAboutWindow(QWidget *parent)
    : QDialog(parent), m_urlOpener([](const QUrl &url) { QDesktopServices::openUrl(url); })
{
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(339, 152);
    setFont(DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    SetBackground(this, Medium);
    CreateControls();
}

void TAboutWindow::CreateControls()
{
    // Created in this order so that later controls are drawn above earlier ones.
    m_backdropCircle =
        new TShapeWidget(this, TShapeWidget::TKind::Circle, QRect(175, 56, 330, 316), Dark);
    m_buttonBevel = new QFrame(this);
    m_buttonBevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_buttonBevel->setGeometry(0, height() - 40, width(), 40);
    m_cornerCircle =
        new TShapeWidget(this, TShapeWidget::TKind::Circle, QRect(-91, -126, 260, 232), Qt::white);
    m_nameLabel = MakeLabel(this, 14, 7, QString(), ArialBlackFont(19, true), Qt::black);
    m_creditLabel = MakeLabel(this, 14, 119, QString(), ArialFont(11), CreditGrey);
    m_makerLink = MakeLink(this, 14, 133, DialogFont(), CreditGrey);
    SetLabelText(m_makerLink, MakerMark::WebAddress());
    connect(m_makerLink, &TClickableLabel::Clicked, this, &TAboutWindow::MakerLinkClicked);
    m_authorCaption = MakeLabel(this, 14, 77, QStringLiteral("Author:"), ArialFont(11), Qt::black);
    m_websiteCaption =
        MakeLabel(this, 14, 91, QStringLiteral("Website:"), ArialFont(11), Qt::black);
    m_authorLabel = MakeLabel(this, 63, 77, QString(), ArialFont(11, true), Qt::black);
    m_websiteLink = MakeLink(this, 63, 91, ArialFont(11), Qt::black);
    connect(m_websiteLink, &TClickableLabel::Clicked, this, &TAboutWindow::WebsiteLinkClicked);
    // The program's own About names its version under the title, as the launcher files do.
    m_versionLabel = MakeLabel(this, 14, 35, QStringLiteral("Version ") + MakerMark::Version(),
                               font(), Qt::black);
    m_portableLabel = MakeLabel(this, 14, 35, QString(), font(), Qt::black);
    m_okButton = new QPushButton(QStringLiteral("Ok"), this);
    m_okButton->setGeometry(252, 119, 75, 25);
    m_okButton->setDefault(true);
    m_okButton->setToolTip(QStringLiteral("Close (Enter)"));
    connect(m_okButton, &QPushButton::clicked, this, &TAboutWindow::OkClicked);
}

void TAboutWindow::SetUrlOpener(TUrlOpener opener)
{
    m_urlOpener = std::move(opener);
}

void TAboutWindow::SetPuzzleRowsVisible(bool visible)
{
    m_authorCaption->setVisible(visible);
    m_websiteCaption->setVisible(visible);
    m_authorLabel->setVisible(visible);
    m_websiteLink->setVisible(visible);
    m_versionLabel->setVisible(!visible);
    m_portableLabel->setVisible(visible);
}

void TAboutWindow::ShowModally()
{
    CentreOnScreen(this);
    exec();
}

void TAboutWindow::ShowProgramAbout()
{
    SetLabelText(m_creditLabel, MakerMark::Mark());
    SetPuzzleRowsVisible(false);
    SetLabelText(m_nameLabel, QStringLiteral("TESSALUNE"));
    ShowModally();
}

void TAboutWindow::ShowPuzzleAbout(const QString &name, const QString &author,
                                   const QString &website, bool portable)
{
    SetLabelText(m_portableLabel, portable
                                      ? QStringLiteral("Portable: plays without Tessalune")
                                      : QStringLiteral("Plays where Tessalune's libraries are"));
    SetLabelText(m_creditLabel, QStringLiteral("Generated by Tessalune"));
    SetPuzzleRowsVisible(true);
    SetPuzzleLabelText(m_nameLabel, TextOrDefault(name, QStringLiteral("Gridplay")));
    SetPuzzleLabelText(m_authorLabel, TextOrDefault(author, NotAvailable));
    m_puzzleWebsite = website;
    SetPuzzleLabelText(m_websiteLink, TextOrDefault(website, NotAvailable));
    ShowModally();
}

void TAboutWindow::OpenLink(const QString &address)
{
    QString target = QString::fromUtf8(TrimBlanksAndControls(address.toUtf8()));
    if (target.isEmpty() || target == NotAvailable)
        return;
    if (!HasWebScheme(target))
        target.prepend(QStringLiteral("http://"));
    // Putting "http://" in front of "javascript:..." or "file:..." gives no valid web address;
    // such text is never handed to the system.
    const QUrl url(target, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QStringLiteral("http") && scheme != QStringLiteral("https")))
        return;
    m_urlOpener(url);
}

void TAboutWindow::MakerLinkClicked()
{
    OpenLink(MakerMark::WebAddress());
}

void TAboutWindow::WebsiteLinkClicked()
{
    OpenLink(m_puzzleWebsite);
}

void TAboutWindow::OkClicked()
{
    close();
}
