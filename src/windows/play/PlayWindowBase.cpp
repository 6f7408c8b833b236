#include "windows/play/PlayWindowBase.h"

#include "engine/container/PuzzleDocumentCodec.h"
#include "windows/common/Guards.h"
#include "windows/common/PlayerSession.h"
#include "windows/common/ProgramWindows.h"
#include "windows/common/WindowLook.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace
{

// Each step of the solved display takes this much off the picture's width and height.
constexpr int SolvedStep = 20;
// How long a notice stays over the game once the window shows.
constexpr int NoticeMs = 6000;

// A stored coordinate of the tools window: absent gives the default, a number gives itself,
// anything else keeps the current value.
int StoredCoordinate(const TStoredNumber &stored, int whenAbsent, int current)
{
    if (!stored.present)
        return whenAbsent;
    return stored.value.value_or(current);
}

TStoredNumber Stored(int value)
{
    return {true, value};
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
    m_picture = newPicture;
    update();
}

void TCentredPicture::SetFillsPage(bool fills)
{
    m_fillsPage = fills;
    if (m_fillsPage)
        setGeometry(parentWidget()->rect());
}

void TCentredPicture::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    const QPoint corner((width() - m_picture.width()) / 2, (height() - m_picture.height()) / 2);
    painter.drawImage(corner, m_picture);
}

bool TCentredPicture::eventFilter(QObject *watched, QEvent *event)
{
    if (m_fillsPage && watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

TPlayWindowBase::TPlayWindowBase(QWidget *parent) : QDialog(parent)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // Leaving the game leads to the save question: only the main window's closing ends the
    // program, also while the main window is withdrawn for the game.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Puzzle"));
    setFont(WindowLook::DialogFont(11));

    m_pages = new QStackedWidget(this);
    auto *fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(m_pages);
    m_puzzlePage = new QWidget;
    m_pages->addWidget(m_puzzlePage);
    m_solvedPage = new QWidget;
    m_pages->addWidget(m_solvedPage);
    m_solvedPicture = new TCentredPicture(m_solvedPage);
    m_solveTimeLabel = new QLabel(m_solvedPage);
    m_solveTimeLabel->setGeometry(10, 10, 600, 30);
    m_monotonic.start();
    m_solvedTimer = new QTimer(this);
    m_solvedTimer->setInterval(0);
    connect(m_solvedTimer, &QTimer::timeout, this, &TPlayWindowBase::SolvedDisplayStep);
    m_clockTimer = new QTimer(this);
    m_clockTimer->setInterval(1000);
    connect(m_clockTimer, &QTimer::timeout, this, &TPlayWindowBase::ClockTick);
    PrepareForGame();
}

void TPlayWindowBase::PrepareForGame()
{
    m_toolsPlacementPending = true;
    m_firstActivation = true;
    m_solved = false;
    m_pages->setCurrentWidget(m_puzzlePage);
}

void TPlayWindowBase::RunGame(TPlayerSession &session, TProgressCallback progress)
{
    m_session = &session;
    m_sourcePicture = &session.SourcePicture();
    m_document = &session.Document();
    TPuzzleDocument *document = m_document;
    m_progress = std::move(progress);
    // Connected for this game only.
    const QMetaObject::Connection solved =
        connect(&session, &TPlayerSession::Solved, this, &TPlayWindowBase::PuzzleSolved);
    const QMetaObject::Connection reset =
        connect(&session, &TPlayerSession::GameReset, this, &TPlayWindowBase::ResetGame);
    const auto disconnect = qScopeGuard([solved, reset, this] {
        QObject::disconnect(solved);
        QObject::disconnect(reset);
        m_session = nullptr;
    });
    PrepareGame();
    m_solved = false;
    const std::int64_t storedSeconds = document ? PlayedSeconds(document->Game()) : 0;
    m_clock.Start(storedSeconds * 1000, m_monotonic.elapsed());
    m_clockTimer->start();
    // Maximised also where no window manager carries the request out.
    setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
    m_clockTimer->stop();
    // However the game was left, by Exit or by the window manager's close, the tools window
    // goes with it; left on the screen it would cover the save question and keep the program.
    if (ProgramWindows().toolsWindow != nullptr)
        ProgramWindows().toolsWindow->hide();
    StoreToolsPlacement();
    m_clock.Tick(m_monotonic.elapsed());
    if (document != nullptr && !m_solved)
        StorePlayedSeconds(document->Game(), m_clock.PlayedMs() / 1000);
    if (document != nullptr)
        document->Keep();
}

void TPlayWindowBase::PrepareGame()
{
}

void TPlayWindowBase::ResetGame()
{
    m_pages->setCurrentWidget(m_puzzlePage);
}

void TPlayWindowBase::ReportProgress(int percent) const
{
    if (m_progress)
        m_progress(percent);
}

void TPlayWindowBase::SetPuzzleThumbnail(QImage thumbnail, QSize pictureSize)
{
    m_puzzleThumbnail = std::move(thumbnail);
    m_puzzlePictureSize = pictureSize;
}

bool TPlayWindowBase::event(QEvent *event)
{
    if (event->type() == QEvent::Type(WM_SHOW_TOOLS)) {
        RunShowingFailure(this, [this] { ShowToolsMessage(); });
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        Activated();
    return QDialog::event(event);
}

void TPlayWindowBase::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TPlayWindowBase::Activated()
{
    // Posted, so that the tools window appears only after this activation has completed.
    if (m_firstActivation)
        QCoreApplication::postEvent(this, new QEvent(QEvent::Type(WM_SHOW_TOOLS)));
    m_firstActivation = false;
}

TToolsWindow::TGame TPlayWindowBase::ToolsGame()
{
    TToolsWindow::TGame game;
    game.game = [this] {
        return m_document != nullptr ? &std::as_const(*m_document).Game() : nullptr;
    };
    game.closePlayWindow = [this] { close(); };
    game.toggleFullScreen = [this] { ToggleFullScreen(); };
    return game;
}

void TPlayWindowBase::ShowToolsMessage()
{
    if (ProgramWindows().toolsWindow == nullptr)
        CreateToolsWindow();
    if (m_toolsPlacementPending) {
        RestoreToolsPlacement(*ProgramWindows().toolsWindow);
        m_toolsPlacementPending = false;
    }
    ProgramWindows().toolsWindow->show();
}

void TPlayWindowBase::CreateToolsWindow()
{
    // A window of its own, but a child of the play window: it stays above it and, unlike other
    // windows, is not blocked while the game runs modally.
    auto *tools = new TToolsWindow(ToolsGame(), this);
    ProgramWindows().toolsWindow.Publish(tools);
    connect(tools, &QObject::destroyed, [tools] {
        if (ProgramWindows().toolsWindow.Existing() == tools)
            ProgramWindows().toolsWindow.Publish(nullptr);
    });
    tools->ShowPuzzleThumbnail(m_puzzleThumbnail, m_puzzlePictureSize);
}

void TPlayWindowBase::RestoreToolsPlacement(TToolsWindow &tools) const
{
    if (m_document == nullptr)
        return;
    const TToolsPlacement &stored = m_document->Game().tools;
    // Width and height first: the default left depends on the width.
    tools.resize(stored.width.value.value_or(tools.width()), tools.height());
    tools.resize(tools.width(), stored.height.value.value_or(tools.height()));
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int left = StoredCoordinate(
        stored.left, screen->geometry().width() - tools.width() - ToolsDefaultMargin, tools.x());
    const int top = StoredCoordinate(stored.top, ToolsDefaultMargin, tools.y());
    const QRect placed = KeptOnScreen(left, top, tools.size(), screen->availableGeometry());
    tools.resize(placed.size());
    tools.move(placed.topLeft());
}

void TPlayWindowBase::StoreToolsPlacement()
{
    if (m_document == nullptr || ProgramWindows().toolsWindow == nullptr)
        return;
    const TToolsWindow &tools = *ProgramWindows().toolsWindow;
    m_document->Game().tools = {Stored(tools.x()), Stored(tools.y()), Stored(tools.width()),
                                Stored(tools.height())};
}

void TPlayWindowBase::NotePlayerActivity()
{
    m_clock.NoteActivity(m_monotonic.elapsed());
}

void TPlayWindowBase::ShowNotice(const QString &text)
{
    delete m_notice;
    m_notice = new QLabel(text, this);
    m_notice->setStyleSheet(QStringLiteral(
        "background: rgba(0, 0, 0, 170); color: white; padding: 8px 16px; border-radius: 6px;"));
    m_notice->adjustSize();
    PlaceNotice();
    // Counted from when the player can see it, not from when the game began to load.
    if (isVisible())
        QTimer::singleShot(NoticeMs, m_notice, &QObject::deleteLater);
}

void TPlayWindowBase::PlaceNotice()
{
    if (m_notice == nullptr)
        return;
    m_notice->move((width() - m_notice->width()) / 2, 12);
    m_notice->raise();
}

void TPlayWindowBase::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_notice != nullptr)
        QTimer::singleShot(NoticeMs, m_notice, &QObject::deleteLater);
}

void TPlayWindowBase::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    PlaceNotice();
}

void TPlayWindowBase::ClockTick()
{
    if (!m_solved) {
        m_clock.Tick(m_monotonic.elapsed());
        // The game's record carries the time played as it goes.
        if (m_document != nullptr)
            StorePlayedSeconds(m_document->Game(), m_clock.PlayedMs() / 1000);
        if (m_session != nullptr)
            m_session->NoteTimePlayed();
    }
    if (ProgramWindows().toolsWindow != nullptr)
        ProgramWindows().toolsWindow->ShowPlayTime(PlayTimeText());
}

QString TPlayWindowBase::PlayTimeText() const
{
    const QString played = QString::fromLatin1(FormatPlayTime(m_clock.PlayedMs() / 1000));
    if (!m_solved || m_document == nullptr)
        return QStringLiteral("Time: %1").arg(played);
    const auto best = BestSeconds(m_document->Game());
    return QStringLiteral("Solved in %1 (best %2)")
        .arg(played, QString::fromLatin1(FormatPlayTime(best)));
}

void TPlayWindowBase::PuzzleSolved()
{
    if (m_solved || m_document == nullptr)
        return;
    m_clock.Tick(m_monotonic.elapsed());
    m_solved = true;
    StoreSolveTime(m_document->Game(), m_clock.PlayedMs() / 1000);
    // Kept at once, so that the time comes before what the game keeps when it closes.
    m_document->Keep();
    m_solveTimeLabel->setText(PlayTimeText());
    ClockTick();
}

void TPlayWindowBase::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange)
        m_clock.SetHidden(isMinimized(), m_monotonic.elapsed());
    QDialog::changeEvent(event);
}

void TPlayWindowBase::ToggleFullScreen()
{
    if (isFullScreen())
        setWindowState((windowState() & ~Qt::WindowFullScreen) | Qt::WindowMaximized);
    else
        setWindowState(windowState() | Qt::WindowFullScreen);
}

void TPlayWindowBase::ShowSolvedPicture(const QImage &solved, const QImage &alternative)
{
    m_pages->setCurrentWidget(m_solvedPage);
    m_solveTimeLabel->raise();
    m_solvedPicture->SetPicture(solved);
    m_solvedPicture->SetFillsPage(false);
    m_solvedAlternative = alternative;
    m_solvedStepsClosed = 0;
    m_solvedClosing = true;
    m_solvedTimer->start();
}

// The picture stays centred and unscaled, so shrinking the bounds about their centre closes the
// visible part in; each step is painted before the next, so the pace is that of painting them.
void TPlayWindowBase::SolvedDisplayStep()
{
    constexpr int Inset = SolvedStep / 2;
    QRect bounds = m_solvedPicture->geometry();
    if (m_solvedClosing && bounds.width() > SolvedStep && bounds.height() > SolvedStep) {
        m_solvedPicture->setGeometry(bounds.adjusted(Inset, Inset, -Inset, -Inset));
        m_solvedPicture->repaint();
        ++m_solvedStepsClosed;
        return;
    }
    if (m_solvedClosing) {
        m_solvedClosing = false;
        m_solvedPicture->SetPicture(m_solvedAlternative);
        m_solvedAlternative = QImage();
    }
    if (m_solvedStepsClosed > 1) {
        --m_solvedStepsClosed;
        m_solvedPicture->setGeometry(bounds.adjusted(-Inset, -Inset, Inset, Inset));
        m_solvedPicture->repaint();
        return;
    }
    m_solvedTimer->stop();
    m_solvedPicture->SetFillsPage(true);
    emit SolvedPictureShown();
}
