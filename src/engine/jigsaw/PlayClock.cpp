#include "engine/jigsaw/PlayClock.h"

#include "engine/jigsaw/PuzzleGame.h"

#include <algorithm>

void TPlayClock::Start(std::int64_t playedMs, std::int64_t nowMs)
{
    m_playedMs = std::max<std::int64_t>(0, playedMs);
    m_lastTickMs = nowMs;
    m_lastActivityMs = nowMs;
    m_hidden = false;
}

bool TPlayClock::IsRunning(std::int64_t nowMs) const
{
    return !m_hidden && nowMs - m_lastActivityMs < IdleLimitMs;
}

void TPlayClock::Tick(std::int64_t nowMs)
{
    // Idle time counts up to the limit: the player may be studying the desktop.
    const std::int64_t countedUntil =
        m_hidden ? m_lastTickMs : std::min(nowMs, m_lastActivityMs + IdleLimitMs);
    m_playedMs += std::max<std::int64_t>(0, countedUntil - m_lastTickMs);
    m_lastTickMs = nowMs;
}

void TPlayClock::NoteActivity(std::int64_t nowMs)
{
    Tick(nowMs);
    m_lastActivityMs = nowMs;
}

void TPlayClock::SetHidden(bool hidden, std::int64_t nowMs)
{
    Tick(nowMs);
    m_hidden = hidden;
    if (!hidden)
        m_lastActivityMs = nowMs;
}

std::int64_t PlayedSeconds(const TPuzzleGame &game)
{
    return game.playedSeconds.value_or(0);
}

std::int64_t BestSeconds(const TPuzzleGame &game)
{
    return game.bestSeconds.value_or(0);
}

void StorePlayedSeconds(TPuzzleGame &game, std::int64_t seconds)
{
    game.playedSeconds = seconds;
}

void StoreSolveTime(TPuzzleGame &game, std::int64_t seconds)
{
    StorePlayedSeconds(game, seconds);
    const std::int64_t best = BestSeconds(game);
    if (best == 0 || seconds < best)
        game.bestSeconds = seconds;
}

QByteArray FormatPlayTime(std::int64_t seconds)
{
    const std::int64_t hours = seconds / 3600;
    const QByteArray minutesAndSeconds =
        QByteArray::number(seconds / 60 % 60).rightJustified(hours > 0 ? 2 : 1, '0') + ':' +
        QByteArray::number(seconds % 60).rightJustified(2, '0');
    return hours > 0 ? QByteArray::number(hours) + ':' + minutesAndSeconds : minutesAndSeconds;
}
