#include "engine/jigsaw/MoveHistory.h"

#include <algorithm>

namespace
{

// A history long enough for any game; the oldest steps go first beyond it.
constexpr std::size_t MaximumSteps = 10000;

bool MovesSomething(const TMoveStep &step)
{
    return std::any_of(step.begin(), step.end(),
                       [](const TPieceMove &move) { return move.from != move.to; });
}

} // namespace

void TMoveHistory::Record(TMoveStep step)
{
    if (!MovesSomething(step))
        return;
    m_steps.resize(m_current);
    m_steps.push_back(std::move(step));
    if (m_steps.size() > MaximumSteps)
        m_steps.erase(m_steps.begin());
    m_current = m_steps.size();
}

std::optional<TMoveStep> TMoveHistory::Undo()
{
    if (!CanUndo())
        return std::nullopt;
    TMoveStep reversed = m_steps[--m_current];
    for (TPieceMove &move : reversed)
        std::swap(move.from, move.to);
    return reversed;
}

std::optional<TMoveStep> TMoveHistory::Redo()
{
    if (!CanRedo())
        return std::nullopt;
    return m_steps[m_current++];
}

void TMoveHistory::Clear()
{
    m_steps.clear();
    m_current = 0;
}
