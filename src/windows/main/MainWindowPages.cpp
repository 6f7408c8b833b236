// The pages of the main window: the maker's wizard, loading, save question and saving.
#include "windows/common/BandedGradient.h"
#include "windows/common/Guards.h"
#include "windows/common/ShapeWidget.h"
#include "windows/common/WindowLook.h"
#include "windows/main/MainWindow.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>
#include <QToolButton>

using namespace WindowLook;

namespace
{

constexpr int PageWidth = 738;
constexpr int BandHeight = 71;
constexpr int TitleHeight = 32;

QFrame *MakeBand(QWidget *page)
{
    auto *band = new QFrame(page);
    band->setGeometry(0, 0, PageWidth, BandHeight);
    SetBackground(band, Dark);
    return band;
}

TShapeWidget *MakeHatchedStripe(QWidget *band)
{
    return new TShapeWidget(band, TShapeWidget::TKind::Rectangle, QRect(273, 28, 449, 36),
                            QBrush(Bright, Qt::HorPattern));
}

QLabel *MakeTitle(QWidget *page, const QString &text)
{
    auto *title = new QLabel(text, page);
    title->setGeometry(0, BandHeight, PageWidth, TitleHeight);
    title->setAlignment(Qt::AlignCenter);
    title->setFont(ArialFont(27, true, true));
    SetBackground(title, Pale);
    return title;
}

QToolButton *MakeSpeedButton(QWidget *parent, const QRect &geometry, const QString &caption)
{
    auto *button = new QToolButton(parent);
    button->setGeometry(geometry);
    button->setText(caption);
    return button;
}

} // namespace

QWidget *TMainWindow::AddPage()
{
    auto *page = new QWidget;
    m_pages->addWidget(page);
    return page;
}

void TMainWindow::CreatePages()
{
    // A page control whose tabs are never shown: the row they would take stays above the pages,
    // which keep their size of 738 x 412.
    m_pages = new QStackedWidget(this);
    m_pages->setGeometry(rect());
    m_pages->setContentsMargins(4, 28, 4, 4);
    m_loadingPage = AddPage();
    m_saveQuestionPage = AddPage();
    m_savingPage = AddPage();
    CreateLoadPage();
    CreateSavePage();
    CreateSavingPage();
}

TMakerPage &TMainWindow::MakerPage()
{
    // Made when the maker starts: a puzzle played never shows it.
    if (m_makerPage != nullptr)
        return *m_makerPage;
    m_makerPage = new TMakerPage(m_maker);
    m_pages->addWidget(m_makerPage);
    m_makerPage->SetStep(1);
    connect(m_makerPage, &TMakerPage::BrowsePuzzlesRequested, this,
            [this] { BrowsePuzzles(false); });
    // Played as a browsed puzzle is; a file without a puzzle is refused with its reason.
    connect(m_makerPage, &TMakerPage::PuzzleFileDropped, this, [this](const QString &puzzle) {
        RunShowingFailure(this, [this, &puzzle] { PlayPuzzleFile(puzzle); });
    });
    return *m_makerPage;
}

void TMainWindow::CreateLoadPage()
{
    m_loadingBand = MakeBand(m_loadingPage);
    m_loadingStripe = MakeHatchedStripe(m_loadingBand);
    m_loadingTitle = MakeTitle(m_loadingPage, QStringLiteral("L O A D I N G..."));
    m_loadingGradient = new TBandedGradient(m_loadingPage);
    m_loadingGradient->setGeometry(0, BandHeight + TitleHeight, PageWidth,
                                   412 - BandHeight - TitleHeight);
    m_loadingProgress = new QProgressBar(m_loadingPage);
    m_loadingProgress->setGeometry(273, 168, 197, 16);
    m_loadingProgress->setRange(0, 100);
    m_loadingProgress->setValue(0);
    m_loadingProgress->setTextVisible(false);
}

void TMainWindow::CreateSavePage()
{
    m_saveGradient = new TBandedGradient(m_saveQuestionPage);
    m_saveGradient->setGeometry(0, 0, PageWidth, 412);
    m_saveQuestionPanel = new QFrame(m_saveQuestionPage);
    m_saveQuestionPanel->setGeometry(189, 126, 386, 148);
    m_saveQuestionPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SetBackground(m_saveQuestionPanel, Dark);
    m_saveQuestionLabel = new QLabel(
        QStringLiteral("The puzzle was changed. \r\nSave the changes?"), m_saveQuestionPanel);
    m_saveQuestionLabel->setGeometry(54, 14, 262, 48);
    m_saveQuestionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_saveQuestionLabel->setFont(ArialFont(21, true, true));
    SetTextColour(m_saveQuestionLabel, Qt::white);
    m_saveYesButton =
        MakeSpeedButton(m_saveQuestionPanel, QRect(56, 98, 106, 22), QStringLiteral("YES"));
    connect(m_saveYesButton, &QToolButton::clicked, this, &TMainWindow::SaveYesClicked);
    m_saveNoButton =
        MakeSpeedButton(m_saveQuestionPanel, QRect(224, 98, 106, 22), QStringLiteral("NO"));
    connect(m_saveNoButton, &QToolButton::clicked, this, &TMainWindow::SaveNoClicked);
}

void TMainWindow::CreateSavingPage()
{
    m_savingBand = MakeBand(m_savingPage);
    m_savingStripe = MakeHatchedStripe(m_savingBand);
    m_savingTitle = MakeTitle(m_savingPage, QStringLiteral("S A V I N G..."));
}
