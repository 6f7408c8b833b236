// The desktop's help for big puzzles: a palette that browses and shows its pieces smaller, the
// game's progress, laying out every palette piece at once, and keeping pieces out from under
// the palette strip and the tools window.

#include "engine/jigsaw/DesktopGrid.h"
#include "engine/jigsaw/SpreadPlaces.h"
#include "windows/desktop/PuzzleDesktop.h"

#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <cmath>

namespace
{

constexpr double SmallPaletteScale = 0.5;

} // namespace

void TPuzzleDesktop::SetSmallPalettePieces(bool small)
{
    const double scale = small ? SmallPaletteScale : 1.0;
    if (scale == m_paletteScale)
        return;
    const bool wider = scale > m_paletteScale;
    m_paletteScale = scale;
    for (const auto &image : m_images)
        image->SetPaletteScale(m_paletteScale);
    UpdateStripWidth();
    if (m_initialised)
        ComputePaletteSlots();
    // A wider strip may cover pieces that lay beside the narrower one.
    if (wider)
        KeepPiecesBesideStrip();
}

void TPuzzleDesktop::ScrollPalette(int pieces)
{
    const qint64 wanted = qint64{m_paletteScrollBar->value()} + pieces;
    m_paletteScrollBar->setValue(static_cast<int>(
        std::clamp<qint64>(wanted, m_paletteScrollBar->minimum(), m_paletteScrollBar->maximum())));
}

// Page Up and Page Down move a screenful, Home and End to the palette's ends.
bool TPuzzleDesktop::PaletteKey(int key)
{
    const int all = static_cast<int>(m_images.size());
    switch (key) {
    case Qt::Key_PageUp:
        ScrollPalette(-m_paletteSlots);
        return true;
    case Qt::Key_PageDown:
        ScrollPalette(m_paletteSlots);
        return true;
    case Qt::Key_Home:
        ScrollPalette(-all);
        return true;
    case Qt::Key_End:
        ScrollPalette(all);
        return true;
    default:
        return false;
    }
}

TPlayProgress TPuzzleDesktop::Progress() const
{
    return MeasureProgress(Grid(), Pieces());
}

int TPuzzleDesktop::LayOutPalettePieces()
{
    LayoutPalette();
    const QList<int> waiting = m_palettePieces;
    QList<QPoint> taken;
    for (const auto &image : m_images) {
        if (!image->m_onPalette)
            taken.append(image->Position());
    }
    const QList<QPoint> places =
        SpreadPlaces(VisibleDesktopArea(), QSize(CellWidth(), CellHeight()),
                     QSize(m_pieceWidth, m_pieceHeight), taken, static_cast<int>(waiting.size()));
    TMoveStep step;
    for (qsizetype k = 0; k < places.size(); ++k)
        step.push_back({waiting[k], std::nullopt, places[k]});
    m_history.Record(step);
    if (!step.empty())
        ApplyStep(step);
    return static_cast<int>(waiting.size() - places.size());
}

QRect TPuzzleDesktop::UncoveredView() const
{
    QRect view = m_scrollArea->viewport()->rect();
    if (m_coveringWindow == nullptr || !m_coveringWindow->isVisible())
        return view;
    const QRect frame = m_coveringWindow->frameGeometry();
    const QRect covered(m_scrollArea->viewport()->mapFromGlobal(frame.topLeft()), frame.size());
    if (!covered.intersects(view))
        return view;
    // The window floats at one side: the view ends where it begins.
    if (covered.center().x() >= view.center().x())
        view.setRight(std::max(view.left(), covered.left() - 1));
    else
        view.setLeft(std::min(view.right(), covered.right() + 1));
    return view;
}

int TPuzzleDesktop::StripRightInView() const
{
    return m_paletteStrip->Bounds().right() + 1 - ScrollPosition().x();
}

int TPuzzleDesktop::FirstDesktopXBesideStrip(int scrollX) const
{
    return static_cast<int>(std::ceil((StripRightInView() + scrollX) / Zoom()));
}

bool TPuzzleDesktop::KeepPiecesBesideStrip()
{
    std::optional<int> leftmost;
    for (const auto &image : m_images) {
        if (!image->m_onPalette)
            leftmost = std::min(leftmost.value_or(image->Position().x() + m_margin),
                                image->Position().x() + m_margin);
    }
    if (!leftmost)
        return false;
    const int shift = ShiftToReach(*leftmost, FirstDesktopXBesideStrip(0), CellWidth());
    if (shift == 0)
        return false;
    TMoveStep step;
    for (std::size_t i = 0; i < m_images.size(); ++i) {
        const TPieceImage *image = m_images[i].get();
        if (!image->m_onPalette)
            step.push_back(
                {static_cast<int>(i), image->Position(), image->Position() + QPoint(shift, 0)});
    }
    m_history.Record(step);
    ApplyStep(step);
    return true;
}
