#pragma once
// The undo and redo history of the game's moves. A step is everything one action moved (one
// piece, a group or a selection, a return to the palette), each piece with where it lay before
// and after; a position is absent while the piece lies on the palette.

#include <QPoint>
#include <optional>
#include <vector>

struct TPieceMove {
    int piece = 0; // index of the piece in the game
    std::optional<QPoint> from;
    std::optional<QPoint> to;
};

using TMoveStep = std::vector<TPieceMove>;

class TMoveHistory
{
public:
    // Adds a step after the current one; the steps that were undone are forgotten. A step
    // that moved nothing is not kept.
    void Record(TMoveStep step);
    // The step to take back, its moves reversed (from and to swapped), or none.
    std::optional<TMoveStep> Undo();
    // The step to take again, or none.
    std::optional<TMoveStep> Redo();
    void Clear();

    bool CanUndo() const { return m_current > 0; }
    bool CanRedo() const { return m_current < m_steps.size(); }

private:
    std::vector<TMoveStep> m_steps;
    std::size_t m_current = 0;
};
