// The pages of the main window: the maker's wizard, loading, save question and saving.
#include "windows/common/BandedGradient.h"
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

QWidget *TFmain::AddPage()
{
    auto *page = new QWidget;
    PageControl1->addWidget(page);
    return page;
}

void TFmain::CreatePages()
{
    // A page control whose tabs are never shown: the row they would take stays above the pages,
    // which keep their size of 738 x 412.
    PageControl1 = new QStackedWidget(this);
    PageControl1->setGeometry(rect());
    PageControl1->setContentsMargins(4, 28, 4, 4);
    TabSheet_new = new TMakerPage(*this);
    PageControl1->addWidget(TabSheet_new);
    connect(TabSheet_new, &TMakerPage::BrowsePuzzlesRequested, this,
            [this] { BrowsePuzzles(false); });
    TabSheet_load = AddPage();
    TabSheet_save = AddPage();
    TabSheet_saving = AddPage();
    CreateLoadPage();
    CreateSavePage();
    CreateSavingPage();
}

void TFmain::CreateLoadPage()
{
    Panel1 = MakeBand(TabSheet_load);
    Shape7 = MakeHatchedStripe(Panel1);
    Label2 = MakeTitle(TabSheet_load, QStringLiteral("L O A D I N G..."));
    Image2 = new TBandedGradient(TabSheet_load);
    Image2->setGeometry(0, BandHeight + TitleHeight, PageWidth, 412 - BandHeight - TitleHeight);
    ProgressBar1 = new QProgressBar(TabSheet_load);
    ProgressBar1->setGeometry(273, 168, 197, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void TFmain::CreateSavePage()
{
    Image3 = new TBandedGradient(TabSheet_save);
    Image3->setGeometry(0, 0, PageWidth, 412);
    Panel3 = new QFrame(TabSheet_save);
    Panel3->setGeometry(189, 126, 386, 148);
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SetBackground(Panel3, Dark);
    Label4 = new QLabel(QStringLiteral("The puzzle was changed. \r\nSave the changes?"), Panel3);
    Label4->setGeometry(54, 14, 262, 48);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label4->setFont(ArialFont(21, true, true));
    SetTextColour(Label4, Qt::white);
    SB_save_ok = MakeSpeedButton(Panel3, QRect(56, 98, 106, 22), QStringLiteral("YES"));
    connect(SB_save_ok, &QToolButton::clicked, this, &TFmain::SB_save_okClick);
    SB_save_cancel = MakeSpeedButton(Panel3, QRect(224, 98, 106, 22), QStringLiteral("NO"));
    connect(SB_save_cancel, &QToolButton::clicked, this, &TFmain::SB_save_cancelClick);
}

void TFmain::CreateSavingPage()
{
    Panel2 = MakeBand(TabSheet_saving);
    Shape8 = MakeHatchedStripe(Panel2);
    Label3 = MakeTitle(TabSheet_saving, QStringLiteral("S A V I N G..."));
}
