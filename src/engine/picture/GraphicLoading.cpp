#include "engine/picture/GraphicLoading.h"

#include "engine/picture/GraphicKinds.h"
#include "engine/picture/JpegPicture.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

void TGraphic::LoadFromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EGraphicError("cannot open the file: " + file.errorString().toStdString());
    if (file.size() > MaxGraphicFileBytes)
        throw EGraphicError("the file is too large for a picture");
    LoadFromBytes(file.readAll());
}

QString GraphicExtension(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QString() : name.mid(dot).toUpper();
}

std::unique_ptr<TGraphic> CreateGraphicForExtension(const QString &extension,
                                                    std::int64_t pixelLimit)
{
    if (extension == ".BMP" || extension == ".DIB")
        return std::make_unique<TQtReadGraphic>("bmp", pixelLimit);
    if (extension == ".WMF" || extension == ".EMF")
        return std::make_unique<TMetafileGraphic>();
    if (extension == ".GIF")
        return std::make_unique<TQtReadGraphic>("gif", pixelLimit);
    if (extension == ".JPG" || extension == ".JPEG")
        return std::make_unique<TJpegGraphic>();
    if (extension == ".ICO")
        return std::make_unique<TQtReadGraphic>("ico", pixelLimit);
    if (extension == ".PNG")
        return std::make_unique<TQtReadGraphic>("png", pixelLimit);
    if (extension == ".WEBP")
        return std::make_unique<TQtReadGraphic>("webp", pixelLimit);
    return nullptr;
}

bool TryLoadGraphic(TGraphic &picture, const QString &fileName)
{
    try {
        picture.LoadFromFile(fileName);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

QImage GraphicToBitmap(const TGraphic *picture)
{
    if (!picture || picture->Size().isEmpty())
        return QImage();
    try {
        const QImage pixels = picture->OpaquePixels();
        if (!pixels.isNull())
            return pixels.convertToFormat(QImage::Format_RGB888);
        // Painting is fastest on 32-bit pixels; the result is narrowed to 24 bits afterwards.
        QImage canvas(picture->Size(), QImage::Format_RGB32);
        if (canvas.isNull())
            return QImage();
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            picture->Draw(painter);
        }
        return std::move(canvas).convertToFormat(QImage::Format_RGB888);
    } catch (const std::exception &) {
        return QImage();
    }
}

QImage LoadGraphicAsBitmap(const QString &fileName)
{
    if (!QFileInfo(fileName).isFile())
        return QImage();
    const std::unique_ptr<TGraphic> picture =
        CreateGraphicForExtension(GraphicExtension(fileName), JpegPixelLimit);
    if (!picture || !TryLoadGraphic(*picture, fileName))
        return QImage();
    return GraphicToBitmap(picture.get());
}
