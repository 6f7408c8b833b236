#include "windows/play/ToolsWindow.h"

#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PaletteOrder.h"
#include "windows/common/AboutWindow.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/Guards.h"
#include "windows/common/WindowInstances.h"
#include "windows/common/WindowLook.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/SortOrderBox.h"
#include "windows/play/ThumbnailFit.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>

namespace
{

// The designed place of the window, kept until the play window restores a stored one.
const QRect DesignedGeometry(361, 84, TF_tools::DefaultWidth, TF_tools::DefaultHeight);
constexpr int CommandColumnWidth = 119;
constexpr int PageBorder = 4;

// Keeps the tools window out of the way of whatever a command opens, until the command ends
// (also when it fails). It is minimised and also hidden, so that a window that stays on top
// can never cover the command's dialogs, even where nothing iconifies it.
class TMinimisedDuringCommand
{
public:
    explicit TMinimisedDuringCommand(QWidget *window) : window(window)
    {
        window->hide();
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
    }
    ~TMinimisedDuringCommand()
    {
        if (restore)
            window->showNormal();
    }
    TMinimisedDuringCommand(const TMinimisedDuringCommand &) = delete;
    TMinimisedDuringCommand &operator=(const TMinimisedDuringCommand &) = delete;

    // The command ended the window's use: it stays minimised.
    void KeepMinimised() { restore = false; }

private:
    QWidget *window;
    bool restore = true;
};

// Odd orders ("... M") put tabs first, even ones (holes first, or "None") ascend.
int SortDirectionOfOrder(int order)
{
    return order % 2 == 1 ? -1 : 1;
}

QString DocumentValue(const TKelPigger *document, const char *key)
{
    return document ? QString::fromUtf8(document->GetAttr(key)) : QString();
}

} // namespace

TF_tools::TF_tools(TGame game, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), game(std::move(game))
{
    setWindowTitle(QStringLiteral("Tools"));
    // The program ends with the main window; hiding this one after an exit must not end it.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(WindowLook::DialogFont());
    setMinimumSize(MinimumWidth, MinimumHeight);
    setGeometry(DesignedGeometry);

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel_img = panel;
    Panel_img->installEventFilter(this);
    Image1 = new QLabel(Panel_img);
    Image1->setScaledContents(true);

    CreateCommandColumn();

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    columns->addWidget(Panel_img, 1);
    columns->addWidget(PageControl1);
}

void TF_tools::CreateCommandColumn()
{
    // One page with no tab: the command column shows as a plain panel.
    PageControl1 = new QStackedWidget(this);
    PageControl1->setFixedWidth(CommandColumnWidth);
    PageControl1->setContentsMargins(PageBorder, PageBorder, PageBorder, PageBorder);
    TabSheet_classic = new QWidget;
    PageControl1->addWidget(TabSheet_classic);
    PageControl1->setCurrentWidget(TabSheet_classic);

    Panel1 = new QWidget(TabSheet_classic);
    WindowLook::SetBackground(Panel1, WindowLook::Medium);
    auto *fill = new QHBoxLayout(TabSheet_classic);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(Panel1);

    CB_order = new TSortOrderBox(Panel1);
    CB_order->setGeometry(7, 11, 64, 30);
    CB_order->setCurrentIndex(0);

    SB_sort_pieces =
        AddCommand(QStringLiteral("Sort"), QRect(74, 11, 31, 31), &TF_tools::SB_sort_piecesClick);
    SB_desktop =
        AddCommand(QStringLiteral("Desktop"), QRect(7, 54, 99, 24), &TF_tools::SB_desktopClick);
    SB_reset =
        AddCommand(QStringLiteral("Reset game"), QRect(7, 82, 99, 24), &TF_tools::SB_resetClick);
    SB_browse = AddCommand(QStringLiteral("Browse my puzzles"), QRect(5, 110, 99, 24),
                           &TF_tools::SB_browseClick);
    SB_about = AddCommand(QStringLiteral("About"), QRect(7, 138, 99, 24), &TF_tools::SB_aboutClick);
    SB_exit = AddCommand(QStringLiteral("Exit"), QRect(7, 166, 99, 24), &TF_tools::SB_exitClick);
}

QToolButton *TF_tools::AddCommand(const QString &caption, const QRect &geometry,
                                  void (TF_tools::*handler)())
{
    auto *button = new QToolButton(Panel1);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setGeometry(geometry);
    WindowLook::SetTextColour(button, Qt::black);
    // A failing command is reported, like every window action's failure, and never reaches the
    // event loop; by then the window is back in its normal state.
    connect(button, &QToolButton::clicked, this,
            [this, handler] { RunShowingFailure(this, [this, handler] { (this->*handler)(); }); });
    return button;
}

void TF_tools::ShowPuzzleThumbnail(const QImage &thumbnail, QSize pictureSize)
{
    Image1->setPixmap(QPixmap::fromImage(thumbnail));
    thumbnailPictureSize = pictureSize.isValid() ? pictureSize : thumbnail.size();
    FitThumbnail();
}

void TF_tools::FitThumbnail()
{
    if (Image1->pixmap().isNull())
        return;
    Image1->setGeometry(FitThumbnailBounds(Panel_img->size(), thumbnailPictureSize));
}

bool TF_tools::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel_img && event->type() == QEvent::Resize)
        FitThumbnail();
    return QWidget::eventFilter(watched, event);
}

void TF_tools::closeEvent(QCloseEvent *event)
{
    // Only a confirmed Exit may close (hide) the window; the caption's button does nothing.
    if (exitConfirmed)
        QWidget::closeEvent(event);
    else
        event->ignore();
}

bool TF_tools::event(QEvent *event)
{
    // After a confirmed exit the window is done: activation is dropped unprocessed.
    if (exitConfirmed && event->type() == QEvent::WindowActivate)
        return true;
    return QWidget::event(event);
}

void TF_tools::SB_sort_piecesClick()
{
    const int order = CB_order->currentIndex();
    SetSortDirection(SortDirectionOfOrder(order));
    if (game.desktop)
        game.desktop->SetSortOrder(order);
}

void TF_tools::SB_desktopClick()
{
    if (!game.backgrounds)
        return;
    TMinimisedDuringCommand minimised(this);
    if (game.backgrounds->RunDialog(QString()) != QLatin1String("Y") || !game.desktop)
        return;
    if (game.backgrounds->IsTextureChosen())
        game.desktop->SetBackgroundPicture(game.backgrounds->ChosenTexture());
    else
        game.desktop->SetBackgroundColor(game.backgrounds->ChosenColor());
}

void TF_tools::SB_resetClick()
{
    TMinimisedDuringCommand minimised(this);
    if (Fsure->Ask(QStringLiteral("Are you sure you want to reset the game?")) && game.resetPuzzle)
        game.resetPuzzle();
}

void TF_tools::SB_browseClick()
{
    TMinimisedDuringCommand minimised(this);
    if (game.browsePuzzles)
        game.browsePuzzles();
}

void TF_tools::SB_aboutClick()
{
    TMinimisedDuringCommand minimised(this);
    const TKelPigger *document = game.document ? game.document() : nullptr;
    Fabout->ShowPuzzleAbout(DocumentValue(document, PuzzleSchema::KeyName),
                            DocumentValue(document, PuzzleSchema::KeyAuthor),
                            DocumentValue(document, PuzzleSchema::KeyWebsite));
}

void TF_tools::SB_exitClick()
{
    TMinimisedDuringCommand minimised(this);
    if (!Fsure->Ask(QStringLiteral("Exit the game?")))
        return;
    if (game.closePlayWindow)
        game.closePlayWindow();
    exitConfirmed = true;
    minimised.KeepMinimised();
    close();
}
