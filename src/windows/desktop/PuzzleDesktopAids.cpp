// The desktop's play aids: moving joined or selected pieces together, undo and redo, zoom, the
// border-pieces palette, finding lost pieces and playing by keyboard. Each leaves the game as
// specified until the player uses it.

#include "engine/jigsaw/LostPieces.h"
#include "engine/jigsaw/PieceGroups.h"
#include "windows/desktop/PuzzleDesktop.h"

#include <QKeyEvent>
#include <QRubberBand>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <algorithm>

namespace
{

constexpr double ZoomStep = 1.25;

} // namespace

int TPuzzleDesktop::IndexOfImage(const TPieceImage *image) const
{
    const auto found = std::find_if(m_images.begin(), m_images.end(),
                                    [image](const auto &owned) { return owned.get() == image; });
    return found == m_images.end() ? -1 : static_cast<int>(found - m_images.begin());
}

std::optional<QPoint> TPuzzleDesktop::PlaceOf(const TPieceImage *image) const
{
    if (image->m_onPalette)
        return std::nullopt;
    return image->Position();
}

// A piece changing between palette and desktop changes scale: both areas are repainted.
void TPuzzleDesktop::SetOnPalette(TPieceImage *image, bool onPalette)
{
    if (image->m_onPalette == onPalette)
        return;
    m_canvas->update(m_canvas->WidgetBounds(*image));
    if (!onPalette)
        image->MoveTo(m_canvas->ToDesktop(image->Position()));
    image->m_onPalette = onPalette;
    if (onPalette)
        image->MoveTo(m_canvas->ToWidget(image->Position()));
    m_canvas->update(m_canvas->WidgetBounds(*image));
}

QList<TPieceImage *> TPuzzleDesktop::PiecesMovingWith(TPieceImage *grabbed) const
{
    if (grabbed->m_selected)
        return WithJoinedGroups(Selection());
    if (m_canvas->PressModifiers().testFlag(Qt::ShiftModifier))
        return {grabbed};
    return WithJoinedGroups({grabbed});
}

QList<TPieceImage *> TPuzzleDesktop::WithJoinedGroups(const QList<TPieceImage *> &images) const
{
    if (!m_groupMoves)
        return images;
    QList<TPieceImage *> whole;
    QSet<const TPieceImage *> seen;
    for (TPieceImage *image : images) {
        if (seen.contains(image))
            continue;
        const int piece = PieceOfImage(image);
        const QList<int> group =
            image->m_onPalette || piece < 0 ? QList<int>{} : JoinedGroup(Grid(), Pieces(), piece);
        if (group.isEmpty()) {
            seen.insert(image);
            whole.append(image);
        }
        for (const int joined : group) {
            TPieceImage *member = ImageOfPiece(joined);
            seen.insert(member);
            whole.append(member);
        }
    }
    return whole;
}

void TPuzzleDesktop::StartMove(TPieceImage *grabbed)
{
    m_dragged = grabbed;
    m_moving = PiecesMovingWith(grabbed);
    // The grabbed piece first: it decides where the others land.
    m_moving.removeOne(grabbed);
    m_moving.prepend(grabbed);
    m_movingFrom.clear();
    for (TPieceImage *image : std::as_const(m_moving)) {
        m_canvas->BringToFront(image);
        m_movingFrom.push_back({IndexOfImage(image), PlaceOf(image), std::nullopt});
    }
}

TMoveStep TPuzzleDesktop::FinishMove(const TMoveStep &started) const
{
    TMoveStep finished = started;
    for (TPieceMove &move : finished)
        move.to = PlaceOf(m_images[static_cast<std::size_t>(move.piece)].get());
    return finished;
}

void TPuzzleDesktop::ApplyStep(const TMoveStep &step)
{
    for (const TPieceMove &move : step) {
        TPieceImage *image = m_images[static_cast<std::size_t>(move.piece)].get();
        if (move.to) {
            SetOnPalette(image, false);
            image->MoveTo(*move.to);
            image->SetVisible(true);
            m_canvas->BringToFront(image);
        } else {
            SetOnPalette(image, true);
        }
        StorePosition(image);
    }
    UpdateExtent();
    RefreshPalette();
    emit OnPieceDropped(this);
    emit ProgressChanged();
}

bool TPuzzleDesktop::Undo()
{
    const auto step = m_history.Undo();
    if (step)
        ApplyStep(*step);
    return step.has_value();
}

bool TPuzzleDesktop::Redo()
{
    const auto step = m_history.Redo();
    if (step)
        ApplyStep(*step);
    return step.has_value();
}

double TPuzzleDesktop::Zoom() const
{
    return m_canvas->Zoom();
}

void TPuzzleDesktop::SetZoom(double zoom, QPoint anchor)
{
    ApplyZoom(zoom, anchor);
    KeepPiecesBesideStrip();
    emit ZoomChanged(Zoom());
}

void TPuzzleDesktop::ApplyZoom(double zoom, QPoint anchor)
{
    zoom = std::clamp(zoom, MinimumZoom, 1.0);
    const QPointF desktopAnchor = QPointF(anchor + ScrollPosition()) / Zoom();
    m_canvas->SetZoom(zoom);
    UpdateExtent();
    // The scroll range follows the canvas's new size at once, so the anchor can be kept.
    m_canvas->resize(m_scrollArea->viewport()->size().expandedTo(m_canvas->minimumSize()));
    const QPoint scroll = (desktopAnchor * zoom).toPoint() - anchor;
    m_scrollArea->horizontalScrollBar()->setValue(scroll.x());
    m_scrollArea->verticalScrollBar()->setValue(scroll.y());
    RefreshPalette();
}

void TPuzzleDesktop::ZoomIn()
{
    SetZoom(Zoom() * ZoomStep, m_scrollArea->viewport()->rect().center());
}

void TPuzzleDesktop::ZoomOut()
{
    SetZoom(Zoom() / ZoomStep, m_scrollArea->viewport()->rect().center());
}

// The pieces are moved out from under the strip after each fit, which widens what must be seen;
// the fit is taken again until nothing moves.
void TPuzzleDesktop::ZoomToFit()
{
    constexpr int MostRounds = 4;
    for (int round = 0; round < MostRounds; ++round) {
        QRect extent = m_extentCorner;
        for (const auto &image : m_images) {
            if (!image->m_onPalette)
                extent = extent.united(image->Bounds());
        }
        const QRect view = UncoveredView();
        const double zoom = std::min(double(view.right() + 1) / std::max(1, extent.right() + 1),
                                     double(view.height()) / std::max(1, extent.bottom() + 1));
        ApplyZoom(zoom, QPoint(0, 0));
        m_scrollArea->horizontalScrollBar()->setValue(0);
        m_scrollArea->verticalScrollBar()->setValue(0);
        RefreshPalette();
        if (!KeepPiecesBesideStrip())
            break;
    }
    emit ZoomChanged(Zoom());
}

void TPuzzleDesktop::SetBorderPiecesOnly(bool only)
{
    m_borderPiecesOnly = only;
    m_paletteScrollBar->setValue(0);
    LayoutPalette();
}

// The desktop right of the strip and between the docked panels that the view shows, in desktop
// coordinates.
QRect TPuzzleDesktop::VisibleDesktopArea() const
{
    const QPoint scroll = ScrollPosition();
    const QRect view = UncoveredView();
    const int left = std::max(m_paletteStrip->Bounds().right() + 1, scroll.x() + view.left());
    const QPoint topLeft(left, scroll.y() + m_topPanel->height());
    const QPoint bottomRight(scroll.x() + view.right(),
                             scroll.y() + view.height() - 1 - m_bottomPanel->height());
    return {m_canvas->ToDesktop(topLeft), m_canvas->ToDesktop(bottomRight)};
}

int TPuzzleDesktop::FindLostPieces()
{
    const QRect visible = VisibleDesktopArea();
    // A lost piece comes back with the pieces joined to it when they move together.
    QList<QList<TPieceImage *>> lostGroups;
    QSet<const TPieceImage *> returning;
    for (const auto &image : m_images) {
        if (image->m_onPalette || returning.contains(image.get()))
            continue;
        // A piece is lost when its cell body does not lie wholly in view.
        const QRect body = image->Bounds().adjusted(m_margin, m_margin, -m_margin, -m_margin);
        if (visible.contains(body))
            continue;
        lostGroups.append(WithJoinedGroups({image.get()}));
        for (const TPieceImage *member : lostGroups.last())
            returning.insert(member);
    }
    QList<QPoint> taken;
    for (const auto &image : m_images) {
        if (!image->m_onPalette && !returning.contains(image.get()))
            taken.append(image->Position());
    }
    TMoveStep step;
    for (const QList<TPieceImage *> &group : std::as_const(lostGroups)) {
        QList<QPoint> offsets;
        for (const TPieceImage *member : group)
            offsets.append(member->Position() - group.first()->Position());
        const std::optional<QPoint> place =
            FreePlaceForGroup(visible, QSize(CellWidth(), CellHeight()),
                              QSize(m_pieceWidth, m_pieceHeight), offsets, taken);
        if (!place)
            continue;
        for (qsizetype k = 0; k < group.size(); ++k) {
            step.push_back({IndexOfImage(group[k]), PlaceOf(group[k]), *place + offsets[k]});
            taken.append(*place + offsets[k]);
        }
    }
    m_history.Record(step);
    if (!step.empty())
        ApplyStep(step);
    return static_cast<int>(step.size());
}

QList<TPieceImage *> TPuzzleDesktop::Selection() const
{
    QList<TPieceImage *> selected;
    for (const auto &image : m_images) {
        if (image->m_selected)
            selected.append(image.get());
    }
    return selected;
}

void TPuzzleDesktop::ClearSelection()
{
    for (const auto &image : m_images) {
        if (image->m_selected) {
            image->m_selected = false;
            m_canvas->update(m_canvas->WidgetBounds(*image));
        }
    }
}

void TPuzzleDesktop::ToggleSelected(TPieceImage *image)
{
    // Only desktop pieces are selected: palette pieces move one at a time. Pieces that move
    // together are selected together.
    const bool selected = !image->m_selected && !image->m_onPalette;
    for (TPieceImage *member : WithJoinedGroups({image})) {
        member->m_selected = selected;
        m_canvas->update(m_canvas->WidgetBounds(*member));
    }
}

void TPuzzleDesktop::BackgroundPressed(QPoint point)
{
    emit PlayerActed();
    if (!m_canvas->PressModifiers().testFlag(Qt::ControlModifier))
        ClearSelection();
    if (m_rubberBand == nullptr)
        m_rubberBand = new QRubberBand(QRubberBand::Rectangle, m_canvas);
    m_rubberOrigin = point;
    m_rubberBand->setGeometry(QRect(point, QSize()));
    m_rubberBand->show();
}

void TPuzzleDesktop::BackgroundMoved(QPoint point)
{
    if (m_rubberBand != nullptr && m_rubberBand->isVisible())
        m_rubberBand->setGeometry(QRect(m_rubberOrigin, point).normalized());
}

void TPuzzleDesktop::BackgroundReleased()
{
    if (m_rubberBand == nullptr || !m_rubberBand->isVisible())
        return;
    m_rubberBand->hide();
    const QRect band = m_rubberBand->geometry();
    for (const auto &image : m_images) {
        if (!image->m_onPalette && image->IsVisible() &&
            band.intersects(m_canvas->WidgetBounds(*image)) && !image->m_selected)
            ToggleSelected(image.get());
    }
}

bool TPuzzleDesktop::PickPalettePiece()
{
    if (m_keyboardPiece != nullptr)
        DropKeyboardPiece();
    TPieceImage *first = nullptr;
    for (const int piece : std::as_const(m_palettePieces)) {
        TPieceImage *image = ImageOfPiece(piece);
        if (image != nullptr && image->IsVisible()) {
            first = image;
            break;
        }
    }
    if (first == nullptr)
        return false;
    QList<QPoint> taken;
    for (const auto &image : m_images) {
        if (!image->m_onPalette)
            taken.append(image->Position());
    }
    const QList<QPoint> places =
        FreePlacesInArea(VisibleDesktopArea(), QSize(CellWidth(), CellHeight()),
                         QSize(m_pieceWidth, m_pieceHeight), taken, 1);
    m_dragged = first;
    m_grabX = m_grabY = 0;
    StartMove(first);
    SetOnPalette(first, false);
    first->MoveTo(places.isEmpty() ? VisibleDesktopArea().topLeft() : places.first());
    m_keyboardPiece = first;
    // Outlined while the keys hold it.
    first->m_selected = true;
    m_dragged = nullptr;
    UpdateExtent();
    LayoutPalette();
    first->SetVisible(true);
    return true;
}

bool TPuzzleDesktop::PickDesktopPiece()
{
    const int held = m_keyboardPiece != nullptr ? IndexOfImage(m_keyboardPiece) : -1;
    if (m_keyboardPiece != nullptr)
        DropKeyboardPiece();
    const int count = static_cast<int>(m_images.size());
    for (int step = 1; step <= count; ++step) {
        TPieceImage *image = m_images[static_cast<std::size_t>((held + step) % count)].get();
        if (image->m_onPalette)
            continue;
        ClearSelection();
        StartMove(image);
        m_keyboardPiece = image;
        image->m_selected = true;
        m_canvas->update(m_canvas->WidgetBounds(*image));
        m_dragged = nullptr;
        return true;
    }
    return false;
}

bool TPuzzleDesktop::MoveKeyboardPiece(int key)
{
    QPoint step;
    switch (key) {
    case Qt::Key_Left:
        step = {-CellWidth(), 0};
        break;
    case Qt::Key_Right:
        step = {CellWidth(), 0};
        break;
    case Qt::Key_Up:
        step = {0, -CellHeight()};
        break;
    case Qt::Key_Down:
        step = {0, CellHeight()};
        break;
    default:
        return false;
    }
    for (TPieceImage *image : std::as_const(m_moving))
        image->MoveTo(image->Position() + step);
    return true;
}

// The keyboard's drop is the mouse's: it snaps, writes the pieces and checks the joins.
void TPuzzleDesktop::DropKeyboardPiece()
{
    m_dragged = m_keyboardPiece;
    m_keyboardPiece->m_selected = false;
    DropPieces();
    m_dragged = nullptr;
    m_keyboardPiece = nullptr;
    m_moving.clear();
    RefreshPalette();
}

void TPuzzleDesktop::keyPressEvent(QKeyEvent *event)
{
    emit PlayerActed();
    const int key = event->key();
    if (key == Qt::Key_P) {
        PickPalettePiece();
    } else if (key == Qt::Key_N) {
        PickDesktopPiece();
    } else if (m_keyboardPiece != nullptr && MoveKeyboardPiece(key)) {
        m_scrollArea->ensureVisible(m_canvas->ToWidget(m_keyboardPiece->Position()).x(),
                                    m_canvas->ToWidget(m_keyboardPiece->Position()).y());
    } else if (m_keyboardPiece != nullptr &&
               (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        DropKeyboardPiece();
    } else if (!PaletteKey(key)) {
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
}
