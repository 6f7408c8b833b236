#include "windows/desktop/PuzzleDesktop.h"

#include "engine/jigsaw/BackgroundTiling.h"
#include "engine/jigsaw/DesktopColours.h"
#include "engine/jigsaw/DesktopGrid.h"
#include "engine/jigsaw/PaletteOrder.h"
#include "engine/jigsaw/PieceGroups.h"
#include "engine/jigsaw/PieceShape.h"
#include "engine/jigsaw/PieceTurns.h"
#include "engine/jigsaw/Random.h"
#include "windows/common/AnimatedImage.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

namespace
{

constexpr int PaletteScrollBarWidth = 16;
constexpr int DockedPanelHeight = 8;
// The strip is this much wider than a piece; pieces sit this far inside it and apart.
constexpr int StripExtraWidth = 10;
constexpr int PaletteInset = 5;
constexpr int PaletteGap = 5;
constexpr int FirstPaletteTop = 5;
constexpr int ExtentShapeSize = 65;
constexpr int PaletteTimerMs = 100;
constexpr int SparkleFrameMs = 100;
constexpr int SparkleLength = 9;
// The sparkle wanders by Random(16) - 8 pixels per frame on each axis.
constexpr int SparkleJitterRange = 16;
constexpr int SparkleJitterOffset = 8;
const QColor StripColour(0, 128, 192);

// Sets the screen cursor back to the default.
void ResetScreenCursor()
{
    while (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::restoreOverrideCursor();
}

} // namespace

TPuzzleDesktop::TPuzzleDesktop(QWidget *parent) : QFrame(parent)
{
    CreateComponents();
}

TPuzzleDesktop::~TPuzzleDesktop() = default;

QWidget *TPuzzleDesktop::CreatePanel(int height)
{
    auto *panel = new QWidget(m_canvas);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, ToQColor(WorkspaceColour()));
    panel->setPalette(colours);
    panel->resize(panel->width(), height);
    return panel;
}

void TPuzzleDesktop::CreateComponents()
{
    m_paletteScrollBar = new QScrollBar(Qt::Vertical, this);
    m_paletteScrollBar->setFocusPolicy(Qt::NoFocus);
    m_paletteScrollBar->setRange(0, 1);
    m_paletteScrollBar->setSingleStep(1);
    m_paletteScrollBar->setPageStep(1);
    m_paletteScrollBar->resize(PaletteScrollBarWidth, height());
    connect(m_paletteScrollBar, &QScrollBar::valueChanged, this, &TPuzzleDesktop::PaletteScrolled);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    // The desktop itself takes the keys, arrows included.
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    m_scrollArea->setWidgetResizable(true);
    m_canvas = new TDesktopCanvas(nullptr);
    m_canvas->SetBackgroundColour(ToQColor(WorkspaceColour()));
    m_scrollArea->setWidget(m_canvas);

    m_paletteStrip = std::make_unique<TShapeItem>(StripColour, Qt::black);
    // As wide as for pieces of no width until the desktop is set up.
    m_paletteStrip->SetBounds(QRect(0, DockedPanelHeight, StripExtraWidth, 0));
    m_canvas->AddItem(m_paletteStrip.get());
    m_backgroundPicture = std::make_unique<TPictureItem>();
    m_backgroundPicture->SetVisible(false);
    m_canvas->AddItem(m_backgroundPicture.get());

    m_marginPanel = CreatePanel(0);
    m_marginPanel->resize(PaletteScrollBarWidth + PaletteInset, 0);
    m_marginPanel->setMouseTracking(true);
    m_marginPanel->installEventFilter(this);
    m_topPanel = CreatePanel(DockedPanelHeight);
    m_bottomPanel = CreatePanel(DockedPanelHeight);

    m_sparkle = new TAnimatedImage(m_canvas, SparkleFrames(devicePixelRatioF()), SparkleFrameMs);
    m_sparkle->hide();
    connect(m_sparkle, &TAnimatedImage::FrameChanged, this, &TPuzzleDesktop::SparkleFrameChanged);
    connect(m_sparkle, &TAnimatedImage::Stopped, this, &TPuzzleDesktop::SparkleStopped);

    m_canvas->installEventFilter(this);
    m_turnShortcut = new QShortcut(QKeySequence(Qt::Key_R), this);
    m_turnShortcut->setContext(Qt::WindowShortcut);
    m_turnShortcut->setEnabled(false);
    connect(m_turnShortcut, &QShortcut::activated, this, &TPuzzleDesktop::TurnPieceUnderMouse);

    connect(m_canvas, &TDesktopCanvas::Resized, this, &TPuzzleDesktop::LayoutDockedControls);
    connect(m_canvas, &TDesktopCanvas::ItemMousePressed, this, &TPuzzleDesktop::ItemMouseDown);
    connect(m_canvas, &TDesktopCanvas::ItemMouseMoved, this, &TPuzzleDesktop::ItemMouseMove);
    connect(m_canvas, &TDesktopCanvas::ItemMouseReleased, this, &TPuzzleDesktop::ItemMouseUp);
    connect(m_canvas, &TDesktopCanvas::BackgroundMousePressed, this,
            &TPuzzleDesktop::BackgroundPressed);
    connect(m_canvas, &TDesktopCanvas::BackgroundMouseMoved, this,
            &TPuzzleDesktop::BackgroundMoved);
    connect(m_canvas, &TDesktopCanvas::BackgroundMouseReleased, this, [this](QPoint point) {
        BackgroundMoved(point);
        BackgroundReleased();
    });
    // Ctrl+wheel zooms instead of scrolling.
    m_scrollArea->viewport()->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);

    m_paletteTimer = new QTimer(this);
    m_paletteTimer->setInterval(PaletteTimerMs);
    connect(m_paletteTimer, &QTimer::timeout, this, &TPuzzleDesktop::PaletteTick);
    m_paletteTimer->start();

    UpdateExtent();
}

// Docked controls of the scroll box, in desktop coordinates: the top and bottom panels across
// the whole area, the margin panel and the strip on the left, the texture over the rest.
void TPuzzleDesktop::LayoutDockedControls()
{
    const int width = m_canvas->width();
    const int height = m_canvas->height();
    const int middleHeight = std::max(0, height - 2 * DockedPanelHeight);
    m_topPanel->setGeometry(0, 0, width, DockedPanelHeight);
    m_bottomPanel->setGeometry(0, height - DockedPanelHeight, width, DockedPanelHeight);
    m_marginPanel->setGeometry(0, DockedPanelHeight, m_marginPanel->width(), middleHeight);
    m_paletteStrip->SetBounds(QRect(m_marginPanel->width(), DockedPanelHeight,
                                    m_paletteStrip->Bounds().width(), middleHeight));
    const int textureLeft = m_paletteStrip->Bounds().right() + 1;
    m_backgroundPicture->SetBounds(
        QRect(textureLeft, DockedPanelHeight, std::max(0, width - textureLeft), middleHeight));
}

// The scroll range reaches the extent shape and every piece on the desktop, at the zoom.
void TPuzzleDesktop::UpdateExtent()
{
    QRect extent = m_extentCorner;
    for (const auto &image : m_images) {
        if (!image->m_onPalette)
            extent = extent.united(image->Bounds());
    }
    const QPoint corner = m_canvas->ToWidget(extent.bottomRight() + QPoint(1, 1));
    m_canvas->setMinimumSize(std::max(0, corner.x()), std::max(0, corner.y()));
}

QPoint TPuzzleDesktop::ScrollPosition() const
{
    return {m_scrollArea->horizontalScrollBar()->value(),
            m_scrollArea->verticalScrollBar()->value()};
}

QPoint TPuzzleDesktop::ViewPosition(const TPieceImage *image) const
{
    return m_canvas->WidgetBounds(*image).topLeft() - ScrollPosition();
}

int TPuzzleDesktop::StripLeftInView() const
{
    return m_paletteStrip->Bounds().left() - ScrollPosition().x();
}

void TPuzzleDesktop::SetupDesktop(TPuzzleGame &game, int pieceWidth, int pieceHeight, int margin)
{
    m_dragged = nullptr;
    m_moving.clear();
    m_keyboardPiece = nullptr;
    m_history.Clear();
    m_images.clear();
    m_game = &game;
    m_palettePieces.clear();
    m_sparkle->Stop();
    m_sparkle->hide();
    m_nextPaletteTop = FirstPaletteTop;
    m_cols = game.cols;
    m_rows = game.rows;
    m_scrollArea->horizontalScrollBar()->setValue(0);
    m_scrollArea->verticalScrollBar()->setValue(0);
    this->m_margin = margin;
    this->m_pieceWidth = pieceWidth;
    this->m_pieceHeight = pieceHeight;
    m_outline = std::make_unique<TPieceOutline>(pieceWidth, pieceHeight, margin);
    m_extentCorner = QRect(DesktopExtentCorner(m_cols, m_rows, CellWidth(), CellHeight()),
                           QSize(ExtentShapeSize, ExtentShapeSize));
    UpdateExtent();
    UpdateStripWidth();
    ComputePaletteSlots();
    m_initialised = true;
}

void TPuzzleDesktop::UpdateStripWidth()
{
    const int width = qRound(m_pieceWidth * m_paletteScale) + StripExtraWidth;
    m_paletteStrip->SetBounds(
        QRect(m_paletteStrip->Position(), QSize(width, m_paletteStrip->Bounds().height())));
    LayoutDockedControls();
}

int TPuzzleDesktop::PalettePieceHeight() const
{
    return qRound(m_pieceHeight * m_paletteScale);
}

void TPuzzleDesktop::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    ResizeToFrame();
}

void TPuzzleDesktop::ResizeToFrame()
{
    m_paletteScrollBar->setGeometry(0, 0, PaletteScrollBarWidth, height());
    m_scrollArea->setGeometry(PaletteScrollBarWidth, 0,
                              std::max(0, width() - PaletteScrollBarWidth), height());
    if (m_initialised)
        ComputePaletteSlots();
}

void TPuzzleDesktop::ComputePaletteSlots()
{
    const int available = height() - m_bottomPanel->height() - m_topPanel->height();
    const TPaletteSlots fitting = ::ComputePaletteSlots(available, PalettePieceHeight());
    m_paletteSlots = fitting.slotCount;
    m_paletteTopPad = fitting.topPad;
    RefreshPalette();
}

TPieceImage *TPuzzleDesktop::AddPiece(const QImage &workBitmap)
{
    if (m_game == nullptr || m_images.size() >= m_game->pieces.size() || m_outline == nullptr)
        return nullptr;
    QImage bitmap = workBitmap.convertToFormat(QImage::Format_RGB888);
    ShapePiece(bitmap, m_game->pieces[m_images.size()].edges, *m_outline, m_drawBorders);
    return AddPieceImage(PieceDisplayImage(bitmap));
}

TPieceImage *TPuzzleDesktop::AddPieceImage(QImage displayPicture)
{
    if (m_game == nullptr || m_images.size() >= m_game->pieces.size() || m_outline == nullptr)
        return nullptr;
    auto image = std::make_unique<TPieceImage>(std::move(displayPicture));
    if (m_turnedPieces)
        image->TurnBy(m_game->pieces[m_images.size()].turn);
    image->m_onPalette = true;
    image->SetPaletteScale(m_paletteScale);
    image->SetVisible(false);
    image->MoveTo(QPoint(StripLeftInView() + PaletteInset, m_nextPaletteTop) + ScrollPosition());
    m_nextPaletteTop += m_canvas->WidgetBounds(*image).height() + PaletteGap;
    m_canvas->AddItem(image.get());
    m_images.push_back(std::move(image));
    return m_images.back().get();
}

void TPuzzleDesktop::PlacePiece(TPieceImage *image, int x, int y)
{
    if (image == nullptr)
        return;
    // Desktop coordinates are the m_canvas's own.
    SetOnPalette(image, false);
    image->MoveTo(QPoint(x, y));
    image->SetVisible(true);
    UpdateExtent();
}

void TPuzzleDesktop::LayoutPalette()
{
    m_palettePieces.clear();
    for (std::size_t i = 0; i < m_images.size(); ++i) {
        if (m_images[i]->m_onPalette)
            m_palettePieces.append(static_cast<int>(i));
    }
    const TPieces pieces = Pieces();
    if (m_borderPiecesOnly) {
        const TJoinGrid grid = Grid();
        const auto inner = [&grid, pieces](int piece) {
            return !IsBorderPiece(grid, pieces[static_cast<std::size_t>(piece)]);
        };
        for (const int piece : std::as_const(m_palettePieces)) {
            if (inner(piece))
                ImageOfPiece(piece)->SetVisible(false);
        }
        m_palettePieces.removeIf(inner);
    }
    SortPalettePieces(m_palettePieces, pieces, m_sortOrder);
    m_nextPaletteTop = m_topPanel->height() + m_paletteTopPad + PaletteInset;
    const int count = static_cast<int>(m_palettePieces.size());
    // Lowering the maximum below the position moves the position, which asks for another
    // layout at the next tick.
    m_paletteScrollBar->setRange(0, PaletteScrollMaximum(count, m_paletteSlots));
    const int first = m_paletteScrollBar->value();
    const int left = StripLeftInView() + PaletteInset;
    for (int k = 0; k < count; ++k) {
        TPieceImage *image = ImageOfPiece(m_palettePieces[k]);
        if (image == nullptr)
            continue;
        image->MoveTo(QPoint(left, m_nextPaletteTop) + ScrollPosition());
        const bool inWindow = first <= k && k < first + m_paletteSlots;
        image->SetVisible(inWindow);
        // Only the shown pieces come to the front: with thousands of pieces, raising every
        // hidden one would make each layout quadratic.
        if (!inWindow)
            continue;
        m_canvas->BringToFront(image);
        m_nextPaletteTop += PalettePieceHeight() + PaletteGap;
    }
}

void TPuzzleDesktop::RefreshPalette()
{
    m_canvas->BringToFront(m_paletteStrip.get());
    // The margin panel grows with the horizontal scroll so that the strip keeps its place in
    // the view.
    m_marginPanel->resize(m_paletteScrollBar->width() + ScrollPosition().x() + PaletteInset,
                          m_marginPanel->height());
    LayoutDockedControls();
    LayoutPalette();
}

void TPuzzleDesktop::PaletteTick()
{
    const QPoint scroll = ScrollPosition();
    if (!m_paletteDirty && scroll.x() == m_lastHorzPos && scroll.y() == m_lastVertPos)
        return;
    m_lastHorzPos = scroll.x();
    m_lastVertPos = scroll.y();
    m_paletteDirty = false;
    RefreshPalette();
}

void TPuzzleDesktop::PaletteScrolled()
{
    m_paletteDirty = true;
}

void TPuzzleDesktop::SetSortOrder(int order)
{
    m_sortOrder = order;
    m_history.Clear();
    m_paletteScrollBar->setValue(0);
    m_paletteDirty = true;
}

// The background picture is empty desktop, where the rubber band starts.
void TPuzzleDesktop::ItemMouseDown(TCanvasItem *item, QPoint point)
{
    if (auto *image = dynamic_cast<TPieceImage *>(item))
        ImageMouseDown(image, point.x(), point.y());
    else if (item == m_backgroundPicture.get())
        BackgroundPressed(item->Position() + point);
}

void TPuzzleDesktop::ItemMouseMove(TCanvasItem *item, QPoint point)
{
    if (auto *image = dynamic_cast<TPieceImage *>(item))
        ImageMouseMove(image, point.x(), point.y());
    else if (item == m_paletteStrip.get() || item == m_backgroundPicture.get())
        ResetCursor();
    if (item == m_backgroundPicture.get())
        BackgroundMoved(item->Position() + point);
}

void TPuzzleDesktop::ItemMouseUp(TCanvasItem *item)
{
    if (auto *image = dynamic_cast<TPieceImage *>(item))
        ImageMouseUp(image);
    else if (item == m_backgroundPicture.get())
        BackgroundReleased();
}

void TPuzzleDesktop::ImageMouseDown(TPieceImage *image, int X, int Y)
{
    emit PlayerActed();
    if (m_keyboardPiece != nullptr)
        DropKeyboardPiece();
    // Only the cell body picks a piece up, not the band that holds its tabs.
    const QPoint upright = UprightPoint({X, Y}, image->Bounds().size(), image->Turn());
    const bool onBody = m_margin < upright.x() && upright.x() < m_pieceWidth - m_margin &&
                        m_margin < upright.y() && upright.y() < m_pieceHeight - m_margin;
    if (!onBody)
        return;
    if (m_canvas->PressModifiers().testFlag(Qt::ControlModifier)) {
        ToggleSelected(image);
        return;
    }
    m_grabX = X;
    m_grabY = Y;
    StartMove(image);
}

void TPuzzleDesktop::ImageMouseMove(TPieceImage *, int X, int Y)
{
    if (m_dragged == nullptr)
        return;
    // The grab point is in the piece's own pixels; a piece shown smaller on the palette moves
    // by as many of the view's.
    const QPoint step = (QPointF(X - m_grabX, Y - m_grabY) * m_dragged->OwnScale()).toPoint();
    for (TPieceImage *image : std::as_const(m_moving))
        image->MoveTo(image->Position() + step);
}

void TPuzzleDesktop::ImageMouseUp(TPieceImage *)
{
    if (m_dragged != nullptr)
        DropPieces();
    m_dragged = nullptr;
    m_moving.clear();
    RefreshPalette();
}

// The moving pieces land together: on the palette when the grabbed one does, otherwise each
// shifted as the grabbed one snaps, so that joined pieces stay joined.
void TPuzzleDesktop::DropPieces()
{
    ResetScreenCursor();
    const int threshold = DropThreshold(StripLeftInView(), m_paletteStrip->Bounds().width());
    const bool toPalette = ViewPosition(m_dragged).x() < threshold;
    QPoint shift;
    if (!toPalette) {
        const QPoint before = m_dragged->m_onPalette ? m_canvas->ToDesktop(m_dragged->Position())
                                                     : m_dragged->Position();
        SnapToDesktop(m_dragged);
        // A piece dropped under the strip comes out beside it, by whole cells.
        const int bodyLeft = m_dragged->Position().x() + m_margin;
        m_dragged->MoveTo(
            m_dragged->Position() +
            QPoint(
                ShiftToReach(bodyLeft, FirstDesktopXBesideStrip(ScrollPosition().x()), CellWidth()),
                0));
        shift = m_dragged->Position() - before;
    }
    for (TPieceImage *image : std::as_const(m_moving)) {
        if (toPalette)
            SetOnPalette(image, true);
        else if (image != m_dragged)
            image->MoveTo(image->Position() + shift);
        StorePosition(image);
    }
    UpdateExtent();
    m_history.Record(FinishMove(m_movingFrom));
    if (const int piece = PieceOfImage(m_dragged); piece >= 0)
        CheckJoin(piece);
    emit OnPieceDropped(this);
    emit ProgressChanged();
}

// Snapped in desktop coordinates, at most as high as the view's top edge.
void TPuzzleDesktop::SnapToDesktop(TPieceImage *image)
{
    QPoint view = ViewPosition(image);
    view.setY(std::max(0, view.y()));
    QPoint desktop = m_canvas->ToDesktop(view + ScrollPosition());
    desktop.setX(SnapToCell(desktop.x(), 0, CellWidth()));
    desktop.setY(SnapToCell(desktop.y(), 0, CellHeight()));
    SetOnPalette(image, false);
    image->MoveTo(desktop);
}

void TPuzzleDesktop::StorePosition(TPieceImage *image)
{
    const int piece = PieceOfImage(image);
    if (piece < 0)
        return;
    m_game->pieces[static_cast<std::size_t>(piece)].position =
        image->m_onPalette ? std::nullopt : std::optional<QPoint>(image->Position());
}

void TPuzzleDesktop::ResetGame()
{
    m_history.Clear();
    ClearSelection();
    m_keyboardPiece = nullptr;
    m_moving.clear();
    for (std::size_t i = 0; i < m_images.size(); ++i) {
        TPiece &piece = m_game->pieces[i];
        piece.position.reset();
        SetOnPalette(m_images[i].get(), true);
        if (m_turnedPieces) {
            const int turn = ProcessRandom().Random(4);
            m_images[i]->TurnBy(turn - m_images[i]->Turn());
            piece.turn = turn;
        }
    }
    UpdateExtent();
    LayoutPalette();
    emit ProgressChanged();
}

void TPuzzleDesktop::SetBackgroundPicture(const QImage &picture)
{
    // Tiled once for the texture's current size; a later resize is not re-tiled.
    const QImage tiled = TileTexture(picture, m_backgroundPicture->Bounds().size());
    m_backgroundPicture->SetPicture(tiled);
    m_backgroundPicture->SetVisible(!picture.isNull());
}

void TPuzzleDesktop::SetBackgroundColor(TColor colour)
{
    m_backgroundPicture->SetVisible(false);
    m_canvas->SetBackgroundColour(ToQColor(colour));
}

void TPuzzleDesktop::ResetCursor()
{
    if (m_dragged == nullptr)
        ResetScreenCursor();
}

bool TPuzzleDesktop::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_marginPanel && event->type() == QEvent::MouseMove)
        ResetCursor();
    if (watched == m_scrollArea->viewport() && event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers().testFlag(Qt::ControlModifier)) {
            const double factor = wheel->angleDelta().y() > 0 ? 1.25 : 0.8;
            SetZoom(Zoom() * factor, wheel->position().toPoint());
            return true;
        }
        // Over the strip the wheel browses the palette, a few pieces a notch.
        const int x = wheel->position().toPoint().x();
        if (wheel->modifiers() == Qt::NoModifier && x >= StripLeftInView() &&
            x < StripRightInView() && wheel->angleDelta().y() != 0) {
            const int notches = std::max(1, std::abs(wheel->angleDelta().y()) / 120);
            const int step = notches * QApplication::wheelScrollLines();
            ScrollPalette(wheel->angleDelta().y() > 0 ? -step : step);
            return true;
        }
    }
    if (watched == m_canvas && TurnInput(event))
        return true;
    return QFrame::eventFilter(watched, event);
}

void TPuzzleDesktop::SetTurnedPieces(bool turned)
{
    m_turnedPieces = turned;
    m_turnShortcut->setEnabled(turned);
}

bool TPuzzleDesktop::TurnInput(QEvent *event)
{
    QPoint point;
    int quarterTurns = 1;
    switch (event->type()) {
    case QEvent::MouseMove:
        m_lastMousePoint = static_cast<QMouseEvent *>(event)->position().toPoint();
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // Not while another button drags a piece.
        if (mouse->button() != Qt::RightButton || mouse->buttons() != Qt::RightButton)
            return false;
        point = mouse->position().toPoint();
        break;
    }
    case QEvent::Wheel: {
        // The plain wheel keeps scrolling the desktop.
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (!(wheel->modifiers() & Qt::ShiftModifier) || wheel->angleDelta().isNull())
            return false;
        point = wheel->position().toPoint();
        // Some systems hand Shift+wheel over as a sideways wheel.
        const QPoint delta = wheel->angleDelta();
        // Up (away from the player) turns back, counter-clockwise.
        quarterTurns = (delta.y() != 0 ? delta.y() : delta.x()) > 0 ? -1 : 1;
        break;
    }
    default:
        return false;
    }
    if (!m_turnedPieces || m_dragged != nullptr)
        return false;
    auto *image = dynamic_cast<TPieceImage *>(m_canvas->ItemAt(point));
    if (image == nullptr)
        return false;
    TurnPiece(image, quarterTurns);
    return true;
}

void TPuzzleDesktop::TurnPieceUnderMouse()
{
    if (m_dragged != nullptr) {
        TurnPiece(m_dragged);
        return;
    }
    TurnPiece(dynamic_cast<TPieceImage *>(m_canvas->ItemAt(m_lastMousePoint)));
}

void TPuzzleDesktop::TurnPiece(TPieceImage *image, int quarterTurns)
{
    const int piece = PieceOfImage(image);
    if (!m_turnedPieces || piece < 0)
        return;
    image->TurnBy(quarterTurns);
    m_game->pieces[static_cast<std::size_t>(piece)].turn = NormalisedTurn(image->Turn());
    // A dragged piece is checked when it is dropped.
    if (!image->m_onPalette && image != m_dragged)
        CheckJoin(piece);
    emit OnPieceDropped(this);
    emit ProgressChanged();
}

int TPuzzleDesktop::PieceOfImage(const TPieceImage *image) const
{
    return image != nullptr ? IndexOfImage(image) : -1;
}

TPieceImage *TPuzzleDesktop::ImageOfPiece(int piece) const
{
    if (piece < 0 || static_cast<std::size_t>(piece) >= m_images.size())
        return nullptr;
    return m_images[static_cast<std::size_t>(piece)].get();
}

TPieces TPuzzleDesktop::Pieces() const
{
    if (m_game == nullptr)
        return {};
    return TPieces(m_game->pieces).first(m_images.size());
}

TJoinGrid TPuzzleDesktop::Grid() const
{
    return {m_cols, m_rows, CellWidth(), CellHeight()};
}

std::optional<int> TPuzzleDesktop::NeighbourOf(int piece, int direction) const
{
    return ::NeighbourOf(Grid(), Pieces(), piece, direction);
}

bool TPuzzleDesktop::FitsNeighbour(int piece, int direction) const
{
    return ::FitsNeighbour(Grid(), Pieces(), piece, direction);
}

std::optional<int> TPuzzleDesktop::PieceAt(int col, int row) const
{
    return ::PieceAt(Grid(), Pieces(), col, row);
}

bool TPuzzleDesktop::IsSolved() const
{
    return ::IsSolved(Grid(), Pieces());
}

void TPuzzleDesktop::CheckJoin(int piece)
{
    if (!FirstFittingDirection(Grid(), Pieces(), piece))
        return;
    // A fit means the piece lies on the desktop.
    const QPoint position = *Pieces()[static_cast<std::size_t>(piece)].position;
    const int left = position.x();
    const int top = position.y();
    m_sparkle->move(m_canvas->ToWidget(QPoint(left + m_pieceWidth / 2, top + m_pieceHeight / 2)));
    m_sparkle->raise();
    m_sparkleFrames = 0;
    m_sparkle->show();
    m_sparkle->Start();
}

void TPuzzleDesktop::SparkleFrameChanged()
{
    ++m_sparkleFrames;
    const int dx = ProcessRandom().Random(SparkleJitterRange) - SparkleJitterOffset;
    const int dy = ProcessRandom().Random(SparkleJitterRange) - SparkleJitterOffset;
    m_sparkle->move(m_sparkle->pos() + QPoint(dx, dy));
    if (m_sparkleFrames < SparkleLength)
        return;
    m_sparkle->Stop();
    m_sparkle->hide();
    m_sparkleFrames = 0;
}

void TPuzzleDesktop::SparkleStopped()
{
    m_canvas->update();
}
