#include "windows/play/PlayWindowBase.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "windows/common/Guards.h"
#include "windows/common/WindowInstances.h"
#include "windows/common/WindowLook.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace
{

// Each step of the solved display takes this much off the picture's width and height.
constexpr int SolvedStep = 20;

// A stored coordinate of the tools window: absent gives the default, a number gives itself,
// anything else keeps the current value.
int StoredCoordinate(const QByteArray &stored, int whenAbsent, int current)
{
    if (stored.isEmpty())
        return whenAbsent;
    return TextToIntDef(stored, current);
}

// The window's place moved and its size reduced as far as needed to lie on the screen: the game
// ends only through the tools window, so it must stay within reach whatever the document says
// (a place stored on a larger screen, or values no game wrote).
QRect KeptOnScreen(int left, int top, QSize size, const QRect &screen)
{
    size = size.boundedTo(screen.size());
    left = std::max(screen.left(), std::min(left, screen.right() + 1 - size.width()));
    top = std::max(screen.top(), std::min(top, screen.bottom() + 1 - size.height()));
    return {QPoint(left, top), size};
}

} // namespace

TCentredPicture::TCentredPicture(QWidget *page) : QWidget(page)
{
    setGeometry(page->rect());
    page->installEventFilter(this);
}

void TCentredPicture::SetPicture(const QImage &newPicture)
{
    picture = newPicture;
    update();
}

void TCentredPicture::SetFillsPage(bool fills)
{
    fillsPage = fills;
    if (fillsPage)
        setGeometry(parentWidget()->rect());
}

void TCentredPicture::paintEvent(QPaintEvent *)
{
    if (picture.isNull())
        return;
    QPainter painter(this);
    const QPoint corner((width() - picture.width()) / 2, (height() - picture.height()) / 2);
    painter.drawImage(corner, picture);
}

bool TCentredPicture::eventFilter(QObject *watched, QEvent *event)
{
    if (fillsPage && watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

TP_puzzle::TP_puzzle(QWidget *parent) : QDialog(parent)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("P_puzzle"));
    setFont(WindowLook::DialogFont(11));

    PageControl1 = new QStackedWidget(this);
    auto *fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(PageControl1);
    TabSheet_puzzle = new QWidget;
    PageControl1->addWidget(TabSheet_puzzle);
    TabSheet_premium = new QWidget;
    PageControl1->addWidget(TabSheet_premium);
    Image_premium = new TCentredPicture(TabSheet_premium);
    FormCreate();
}

void TP_puzzle::FormCreate()
{
    toolsPlacementPending = true;
    firstActivation = true;
    PageControl1->setCurrentWidget(TabSheet_puzzle);
}

void TP_puzzle::RunGame(TJPEGImage *sourcePicture, TKelPigger *document, TProgressCallback progress)
{
    this->sourcePicture = sourcePicture;
    this->document = document;
    this->progress = std::move(progress);
    PrepareGame();
    // Maximised also where no window manager carries the request out.
    setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
    StoreToolsPlacement();
}

void TP_puzzle::PrepareGame()
{
}

void TP_puzzle::SetHost(THost hooks)
{
    host = std::move(hooks);
}

void TP_puzzle::ReportProgress(int percent) const
{
    if (progress)
        progress(percent);
}

void TP_puzzle::SetPuzzleThumbnail(QImage thumbnail, QSize pictureSize)
{
    puzzleThumbnail = std::move(thumbnail);
    puzzlePictureSize = pictureSize;
}

bool TP_puzzle::event(QEvent *event)
{
    if (event->type() == QEvent::Type(WM_SHOW_TOOLS)) {
        RunShowingFailure(this, [this] { ShowToolsMessage(); });
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TP_puzzle::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TP_puzzle::FormActivate()
{
    // Posted, so that the tools window appears only after this activation has completed.
    if (firstActivation)
        QCoreApplication::postEvent(this, new QEvent(QEvent::Type(WM_SHOW_TOOLS)));
    firstActivation = false;
}

TF_tools::TGame TP_puzzle::ToolsGame()
{
    TF_tools::TGame game;
    game.document = [this] { return static_cast<const TKelPigger *>(document); };
    game.closePlayWindow = [this] { close(); };
    return game;
}

void TP_puzzle::ShowToolsMessage()
{
    if (F_tools == nullptr)
        CreateToolsWindow();
    if (toolsPlacementPending) {
        RestoreToolsPlacement(*F_tools);
        toolsPlacementPending = false;
    }
    F_tools->show();
}

void TP_puzzle::CreateToolsWindow()
{
    // A window of its own, but a child of the play window: it stays above it and, unlike other
    // windows, is not blocked while the game runs modally.
    auto *tools = new TF_tools(ToolsGame(), this);
    F_tools = tools;
    connect(tools, &QObject::destroyed, [tools] {
        if (F_tools == tools)
            F_tools = nullptr;
    });
    tools->ShowPuzzleThumbnail(puzzleThumbnail, puzzlePictureSize);
}

void TP_puzzle::RestoreToolsPlacement(TF_tools &tools) const
{
    if (document == nullptr)
        return;
    using namespace PuzzleSchema;
    // Width and height first: the default left depends on the width.
    tools.resize(TextToIntDef(document->GetAttr(KeyToolsWidth), tools.width()), tools.height());
    tools.resize(tools.width(), TextToIntDef(document->GetAttr(KeyToolsHeight), tools.height()));
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int left = StoredCoordinate(
        document->GetAttr(KeyToolsLeft),
        screen->geometry().width() - tools.width() - ToolsDefaultMargin, tools.x());
    const int top = StoredCoordinate(document->GetAttr(KeyToolsTop), ToolsDefaultMargin, tools.y());
    const QRect placed = KeptOnScreen(left, top, tools.size(), screen->availableGeometry());
    tools.resize(placed.size());
    tools.move(placed.topLeft());
}

void TP_puzzle::StoreToolsPlacement()
{
    if (document == nullptr || F_tools == nullptr)
        return;
    using namespace PuzzleSchema;
    document->SetAttr(KeyToolsLeft, IntToText(F_tools->x()));
    document->SetAttr(KeyToolsTop, IntToText(F_tools->y()));
    document->SetAttr(KeyToolsWidth, IntToText(F_tools->width()));
    document->SetAttr(KeyToolsHeight, IntToText(F_tools->height()));
}

void TP_puzzle::ShowSolvedPicture(const QImage &solved, const QImage &alternative)
{
    PageControl1->setCurrentWidget(TabSheet_premium);
    Image_premium->SetPicture(solved);
    Image_premium->SetFillsPage(false);
    // The picture stays centred and unscaled, so shrinking the bounds about their centre closes
    // the visible part in; the pace is that of painting the steps.
    QRect bounds = Image_premium->geometry();
    const int inset = SolvedStep / 2;
    int steps = 0;
    while (bounds.width() > SolvedStep && bounds.height() > SolvedStep) {
        bounds.adjust(inset, inset, -inset, -inset);
        Image_premium->setGeometry(bounds);
        QCoreApplication::processEvents();
        ++steps;
    }
    Image_premium->SetPicture(alternative);
    for (int step = 1; step < steps; ++step) {
        bounds.adjust(-inset, -inset, inset, inset);
        Image_premium->setGeometry(bounds);
        QCoreApplication::processEvents();
    }
    Image_premium->SetFillsPage(true);
}
