#include "engine/jigsaw/DesktopColours.h"

#include <QGuiApplication>
#include <QPalette>

QColor ToQColor(TColor colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

TColor FromQColor(const QColor &colour)
{
    return TColor(colour.red()) | TColor(colour.green()) << 8 | TColor(colour.blue()) << 16;
}

TColor WorkspaceColour()
{
    return FromQColor(QGuiApplication::palette().color(QPalette::Dark));
}
