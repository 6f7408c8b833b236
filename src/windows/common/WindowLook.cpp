#include "windows/common/WindowLook.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <algorithm>

// The icon lives in a static library, so its resources are registered by hand (outside any
// namespace, as Q_INIT_RESOURCE requires).
static void RegisterIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace WindowLook
{

namespace
{

QFont FontOf(const QStringList &families, int pixelSize)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

QFont ArialFont(int pixelSize, bool bold, bool italic)
{
    QFont font = FontOf({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")}, pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont ArialBlackFont(int pixelSize, bool bold)
{
    QFont font =
        FontOf({QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans")}, pixelSize);
    font.setWeight(bold ? QFont::Black : QFont::ExtraBold);
    return font;
}

QFont DialogFont(int pixelSize)
{
    return FontOf({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")}, pixelSize);
}

void SetBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

QImage TransparentCanvas(QSize size, qreal pixelRatio)
{
    const qreal ratio = pixelRatio > 0 ? pixelRatio : 1.0;
    QImage canvas((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    return canvas;
}

QIcon ProgramIcon()
{
    RegisterIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(
            QPixmap::fromImage(ResourceImage(QStringLiteral(":/icons/icon-%1.png").arg(size))));
    return icon;
}

QImage ResourceImage(const QString &path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

void CentreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect place(QPoint(0, 0), window->size());
    place.moveCenter(screen->availableGeometry().center());
    window->move(place.topLeft());
}

QSize GrowthToShowText(const QLabel &label, QSize labelSize, QSize surround)
{
    // Wider texts wrap, so that lines stay readable; the window keeps a gap to the screen's
    // edges.
    constexpr int MaxLabelWidth = 560;
    constexpr int ScreenGap = 40;
    const QScreen *screen = label.screen() ? label.screen() : QGuiApplication::primaryScreen();
    const QSize room =
        screen ? screen->availableGeometry().size() - surround - QSize(ScreenGap, ScreenGap)
               : labelSize;
    const QSize labelRoom = room.expandedTo(labelSize);
    int longestLine = 0;
    for (const QString &line : label.text().split(QLatin1Char('\n')))
        longestLine = std::max(longestLine, label.fontMetrics().horizontalAdvance(line));
    const int width =
        std::clamp(longestLine + 1, labelSize.width(),
                   std::max(labelSize.width(), std::min(MaxLabelWidth, labelRoom.width())));
    const int height =
        std::clamp(label.heightForWidth(width), labelSize.height(), labelRoom.height());
    return QSize(width, height) - labelSize;
}

QLabel *MakeLabel(QWidget *parent, int x, int y, const QString &text, const QFont &font,
                  const QColor &colour)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText); // document values are shown as typed, never as markup
    label->setFont(font);
    SetTextColour(label, colour);
    label->move(x, y);
    SetLabelText(label, text);
    return label;
}

void SetLabelText(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
}

QString ShownPuzzleText(const QString &text)
{
    constexpr qsizetype MaxShownLength = 256;
    return text.left(MaxShownLength);
}

} // namespace WindowLook
