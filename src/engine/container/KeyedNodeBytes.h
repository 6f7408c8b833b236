#pragma once
// Byte rules shared by the container and its text form: blanks, and names in upper case.

#include <QByteArray>

namespace KeyedNodeBytes
{

// Controls and the space, bytes 0 to 32.
inline bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

inline QByteArray TrimBlanks(const QByteArray &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

// Only "a" to "z" change (QByteArray::toUpper does no more): keys holding other bytes, accented
// letters included, stay distinct.
inline QByteArray AsciiUpper(const QByteArray &text)
{
    return text.toUpper();
}

inline QByteArray NormalizedName(const QByteArray &name)
{
    return AsciiUpper(TrimBlanks(name));
}

} // namespace KeyedNodeBytes
