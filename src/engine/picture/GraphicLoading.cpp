#include "engine/picture/GraphicLoading.h"

#include "engine/picture/GraphicKinds.h"
#include "engine/picture/JpegPicture.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

EGraphicError::EGraphicError(const TPictureRefusal &refusal)
    : std::runtime_error(RefusalMessage(refusal).toStdString()), m_refusal(refusal)
{
}

QByteArray ReadGraphicFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        throw EGraphicError(TRefusalCause::NotFound);
    if (info.isDir())
        throw EGraphicError(TRefusalCause::Folder);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EGraphicError(info.isReadable() ? TRefusalCause::NotFound
                                              : TRefusalCause::NoPermission);
    if (file.size() > MaxGraphicFileBytes)
        throw EGraphicError(TPictureRefusal{TRefusalCause::OverMemoryBudget, QSize(),
                                            MaxGraphicFileBytes, file.size()});
    QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        throw EGraphicError(file.error() == QFileDevice::NoError ? TRefusalCause::Empty
                                                                 : TRefusalCause::NoPermission);
    return bytes;
}

void TGraphic::LoadFromFile(const QString &fileName)
{
    LoadFromBytes(ReadGraphicFile(fileName));
}

QString GraphicExtension(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QString() : name.mid(dot).toUpper();
}

std::unique_ptr<TGraphic> CreateGraphicForExtension(const QString &extension,
                                                    std::int64_t pixelLimit,
                                                    std::int64_t memoryLeft)
{
    const TGraphicLimits limits{pixelLimit, memoryLeft};
    if (extension == ".BMP" || extension == ".DIB")
        return std::make_unique<TQtReadGraphic>("bmp", limits);
    if (extension == ".WMF" || extension == ".EMF")
        return std::make_unique<TMetafileGraphic>(limits);
    if (extension == ".GIF")
        return std::make_unique<TQtReadGraphic>("gif", limits);
    if (extension == ".JPG" || extension == ".JPEG")
        return std::make_unique<TJpegGraphic>(limits);
    if (extension == ".ICO")
        return std::make_unique<TQtReadGraphic>("ico", limits);
    if (extension == ".PNG")
        return std::make_unique<TQtReadGraphic>("png", limits);
    if (extension == ".WEBP")
        return std::make_unique<TQtReadGraphic>("webp", limits);
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

QImage TGraphic::OnWhiteBitmap() const
{
    QImage canvas(Size(), QImage::Format_RGB32);
    if (canvas.isNull())
        return QImage();
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        Draw(painter);
    }
    return std::move(canvas).convertToFormat(QImage::Format_RGB888);
}

QImage GraphicToBitmap(const TGraphic *picture)
{
    if (!picture || picture->Size().isEmpty())
        return QImage();
    try {
        return picture->OnWhiteBitmap();
    } catch (const std::exception &) {
        return QImage();
    }
}

bool IsPictureFileName(const QString &fileName)
{
    return CreateGraphicForExtension(GraphicExtension(fileName), 0) != nullptr;
}

TLoadedGraphic LoadGraphic(const QString &fileName, std::int64_t memoryLeft)
{
    try {
        const QByteArray bytes = ReadGraphicFile(fileName);
        const std::unique_ptr<TGraphic> picture =
            CreateGraphicForExtension(GraphicExtension(fileName), JpegPixelLimit, memoryLeft);
        if (!picture)
            throw EGraphicError(TRefusalCause::UnknownType);
        picture->LoadFromBytes(bytes);
        QImage bitmap = GraphicToBitmap(picture.get());
        if (bitmap.isNull())
            throw EGraphicError(TRefusalCause::Damaged);
        return {std::move(bitmap), std::nullopt};
    } catch (const EGraphicError &error) {
        return {QImage(), error.Refusal()};
    } catch (const std::exception &) {
        return {QImage(), TPictureRefusal{TRefusalCause::Damaged}};
    }
}

QImage LoadGraphicAsBitmap(const QString &fileName)
{
    return LoadGraphic(fileName).bitmap;
}
