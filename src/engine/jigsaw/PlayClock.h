#pragma once
// The time a game has been played. The caller ticks it with a monotonic time in milliseconds;
// time counts only while the game is shown and the player has acted within the last minute.

#include <QByteArray>
#include <cstdint>

struct TPuzzleGame;

class TPlayClock
{
public:
    static constexpr std::int64_t IdleLimitMs = 60000;

    // Starts counting from played milliseconds at now.
    void Start(std::int64_t playedMs, std::int64_t nowMs);
    // Adds the time since the last tick, unless the game was hidden or idle.
    void Tick(std::int64_t nowMs);
    // The player did something; an idle clock runs again from now.
    void NoteActivity(std::int64_t nowMs);
    void SetHidden(bool hidden, std::int64_t nowMs);

    std::int64_t PlayedMs() const { return m_playedMs; }
    bool IsRunning(std::int64_t nowMs) const;

private:
    std::int64_t m_playedMs = 0;
    std::int64_t m_lastTickMs = 0;
    std::int64_t m_lastActivityMs = 0;
    bool m_hidden = false;
};

// The game's seconds played so far, 0 before the first.
std::int64_t PlayedSeconds(const TPuzzleGame &game);
// The fewest seconds any solve of the puzzle took, 0 before the first solve.
std::int64_t BestSeconds(const TPuzzleGame &game);
// Keeps the played seconds; on a solve, also the best time when it is the first or faster.
void StorePlayedSeconds(TPuzzleGame &game, std::int64_t seconds);
void StoreSolveTime(TPuzzleGame &game, std::int64_t seconds);
// "h:mm:ss", or "m:ss" below an hour.
QByteArray FormatPlayTime(std::int64_t seconds);
