#include "engine/jigsaw/Random.h"

#include <QDateTime>
#include <QTime>

namespace
{
constexpr std::uint32_t Multiplier = 134775813;
}

void TRandomGenerator::Randomize()
{
    const QTime now = QDateTime::currentDateTimeUtc().time();
    m_state = static_cast<std::uint32_t>(
        ((now.hour() * 60 + now.minute()) * 60 + now.second()) * 1000 + now.msec());
}

int TRandomGenerator::Random(int n)
{
    m_state = m_state * Multiplier + 1;
    if (n <= 0)
        return 0;
    return static_cast<int>((static_cast<std::uint64_t>(m_state) * static_cast<std::uint32_t>(n)) >>
                            32);
}

TRandomGenerator &ProcessRandom()
{
    static TRandomGenerator generator;
    return generator;
}
