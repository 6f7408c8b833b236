// Makes the program's icon for the desktop's application menu. Run by hand when the icon
// changes (`cmake --build <dir> --target generate_icon` then run it with resources/launcher as
// its argument); its outputs are committed, the normal build never runs it.
//
//   icon.svg                       the scalable icon
//   icon-16.png ... icon-256.png   the same drawing at 16, 32, 48, 64, 128 and 256 pixels
//
// A jigsaw piece with a crescent moon on it, in the About window's blues. The SVG is written
// from the very painter paths the PNGs are drawn from, so the two cannot drift apart.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <cstdio>

namespace
{

// The drawing's own square; every size is this square scaled.
constexpr double Canvas = 256.0;
constexpr int PngSizes[] = {16, 32, 48, 64, 128, 256};

const QColor LightBlue{0, 150, 220};
const QColor DarkBlue{0, 64, 128};
const QColor Outline{0, 40, 90};
const QColor MoonColour{255, 244, 204};
constexpr double OutlineWidth = 6.0;

QPainterPath Circle(QPointF centre, double radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath Rectangle(double left, double top, double right, double bottom)
{
    QPainterPath path;
    path.addRect(QRectF(QPointF(left, top), QPointF(right, bottom)));
    return path;
}

// A piece with tabs on its top and right and a hole on its left, centred in the canvas.
QPainterPath PieceOutline()
{
    QPainterPath body;
    body.addRoundedRect(QRectF(28, 68, 160, 160), 14, 14);
    const QPainterPath topTab = Circle({108, 52}, 24).united(Rectangle(94, 48, 122, 72));
    const QPainterPath rightTab = Circle({204, 148}, 24).united(Rectangle(184, 134, 208, 162));
    const QPainterPath leftHole = Circle({48, 148}, 20).united(Rectangle(20, 136, 40, 160));
    return body.united(topTab).united(rightTab).subtracted(leftHole).simplified();
}

// A crescent opening to the upper right, on the piece's body.
QPainterPath Moon()
{
    return Circle({108, 148}, 50).subtracted(Circle({130, 128}, 42)).simplified();
}

QLinearGradient PieceGradient()
{
    QLinearGradient gradient(QPointF(28, 28), QPointF(228, 228));
    gradient.setColorAt(0, LightBlue);
    gradient.setColorAt(1, DarkBlue);
    return gradient;
}

void Draw(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Outline, OutlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(PieceGradient());
    painter.drawPath(PieceOutline());
    painter.setPen(Qt::NoPen);
    painter.setBrush(MoonColour);
    painter.drawPath(Moon());
}

QImage Render(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(size / Canvas, size / Canvas);
    Draw(painter);
    return image;
}

// ---- SVG text from the same paths ----

QByteArray Number(double value)
{
    return QByteArray::number(value, 'f', 2);
}

QByteArray Point(QPointF point)
{
    return Number(point.x()) + ' ' + Number(point.y());
}

QByteArray PathData(const QPainterPath &path)
{
    QByteArray data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        if (element.isMoveTo()) {
            if (i > 0)
                data += "Z ";
            data += "M " + Point(element) + ' ';
        } else if (element.isLineTo()) {
            data += "L " + Point(element) + ' ';
        } else if (element.isCurveTo() && i + 2 < path.elementCount()) {
            data += "C " + Point(element) + ' ' + Point(path.elementAt(i + 1)) + ' ' +
                    Point(path.elementAt(i + 2)) + ' ';
            i += 2;
        }
    }
    return data + 'Z';
}

QByteArray FillRule(const QPainterPath &path)
{
    return path.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero";
}

QByteArray Colour(const QColor &colour)
{
    return colour.name().toLatin1();
}

QByteArray Svg()
{
    const QPainterPath piece = PieceOutline();
    const QPainterPath moon = Moon();
    const QLinearGradient gradient = PieceGradient();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
           "viewBox=\"0 0 256 256\">\n"
           "  <defs>\n"
           "    <linearGradient id=\"piece\" gradientUnits=\"userSpaceOnUse\" x1=\"" +
           Number(gradient.start().x()) + "\" y1=\"" + Number(gradient.start().y()) + "\" x2=\"" +
           Number(gradient.finalStop().x()) + "\" y2=\"" + Number(gradient.finalStop().y()) +
           "\">\n"
           "      <stop offset=\"0\" stop-color=\"" +
           Colour(LightBlue) +
           "\"/>\n"
           "      <stop offset=\"1\" stop-color=\"" +
           Colour(DarkBlue) +
           "\"/>\n"
           "    </linearGradient>\n"
           "  </defs>\n"
           "  <path fill=\"url(#piece)\" fill-rule=\"" +
           FillRule(piece) + "\" stroke=\"" + Colour(Outline) + "\" stroke-width=\"" +
           Number(OutlineWidth) + "\" stroke-linejoin=\"round\" d=\"" + PathData(piece) +
           "\"/>\n"
           "  <path fill=\"" +
           Colour(MoonColour) + "\" fill-rule=\"" + FillRule(moon) + "\" d=\"" + PathData(moon) +
           "\"/>\n"
           "</svg>\n";
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
}

bool WritePng(const QString &path, const QImage &image)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "%s: cannot write\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool written = WriteFile(folder.filePath(QStringLiteral("icon.svg")), Svg());
    for (const int size : PngSizes)
        written =
            WritePng(folder.filePath(QStringLiteral("icon-%1.png").arg(size)), Render(size)) &&
            written;
    return written ? 0 : 1;
}
