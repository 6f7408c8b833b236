#pragma once
// Turns a picture file into a plain 24-bit bitmap. The file's type is decided by its extension
// alone, never by its content: the part of the name from its last dot on (after the last path
// separator), upper-cased, looked up in this order, the first match deciding:
//   .BMP .DIB   bitmap file
//   .WMF .EMF   metafile
//   .GIF        GIF, its first frame
//   .JPG .JPEG  JPEG
//   .ICO        icon: its largest image, of equal sizes the deepest
//   .PNG        PNG, beyond the classic types because people mostly have them
//   .WEBP       WebP, likewise
//   anything else: none, not loaded.
// Transparent areas come out white; a picture that records the camera's orientation (EXIF) comes
// out turned as the camera was held. A picture above JpegPixelLimit pixels, or one whose
// decoding would take more memory than the caller has left, is refused before memory is taken
// for its pixels; so is a file that ends before its picture does. Every refusal carries its
// cause (PictureRefusal.h). No function here shows anything or changes the cursor; the windows
// layer sets the busy cursor around the load.

#include "engine/picture/MemoryBudget.h"
#include "engine/picture/PictureRefusal.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>

class QPainter;

// A picture file that is refused, with its cause.
class EGraphicError : public std::runtime_error
{
public:
    explicit EGraphicError(const TPictureRefusal &refusal);
    explicit EGraphicError(TRefusalCause cause) : EGraphicError(TPictureRefusal{cause}) {}
    const TPictureRefusal &Refusal() const { return m_refusal; }

private:
    TPictureRefusal m_refusal;
};

// A picture of one kind: loaded from a file's bytes, then drawn at its own size.
class TGraphic
{
public:
    virtual ~TGraphic() = default;

    // Reads the whole file; throws EGraphicError when it cannot be read or is refused.
    void LoadFromFile(const QString &fileName);
    // Decodes the bytes of a file of this kind; throws EGraphicError when they are refused.
    virtual void LoadFromBytes(const QByteArray &bytes) = 0;
    // The size in pixels at which the picture is drawn; empty before a successful load.
    virtual QSize Size() const = 0;
    // Draws the picture with its top-left corner at (0, 0) of the painter's coordinates, at
    // Size(). Areas the picture leaves transparent are left untouched.
    virtual void Draw(QPainter &painter) const = 0;
    // The picture on a white 24-bit bitmap of Size() (QImage::Format_RGB888); null when it
    // cannot be drawn. Drawn whole onto a 32-bit canvas, where painting is fastest, unless a
    // kind knows a way that takes less memory.
    virtual QImage OnWhiteBitmap() const;
};

// Files larger than this are not read (a 32-bit bitmap at the pixel limit fits).
inline constexpr qint64 MaxGraphicFileBytes = 400'000'000;

// The bytes of a picture file; throws EGraphicError when it is missing, a folder, unreadable,
// empty or above MaxGraphicFileBytes.
QByteArray ReadGraphicFile(const QString &fileName);

// The upper-cased extension of a file name: from its last dot on, dot included; empty when the
// name has no dot after its last path separator.
QString GraphicExtension(const QString &fileName);

// True when the file name's extension is one of the table of picture types.
bool IsPictureFileName(const QString &fileName);

// An empty picture of the kind the extension (as GraphicExtension gives it) names, or null for
// an extension not in the table. Pictures with more than pixelLimit pixels are refused, so are
// those whose loading (the file's bytes, the decoded pixels and the 24-bit bitmap made of them)
// would take more than memoryLeft bytes.
std::unique_ptr<TGraphic> CreateGraphicForExtension(const QString &extension,
                                                    std::int64_t pixelLimit,
                                                    std::int64_t memoryLeft = MemoryBudget);

// Asks the picture to load itself from the file: true on success, false on any error.
bool TryLoadGraphic(TGraphic &picture, const QString &fileName);

// The picture drawn onto a new white bitmap of its size (QImage::Format_RGB888); null when
// there is no picture, it is empty or it cannot be drawn.
QImage GraphicToBitmap(const TGraphic *picture);

// The result of a load: a QImage::Format_RGB888 bitmap, or a null one and why.
struct TLoadedGraphic {
    QImage bitmap;
    std::optional<TPictureRefusal> refusal;
};

// The whole load, within memoryLeft bytes of the memory budget (what the other pictures held
// meanwhile leave of it).
TLoadedGraphic LoadGraphic(const QString &fileName, std::int64_t memoryLeft = MemoryBudget);

// The bitmap of LoadGraphic: null for a missing file, an extension not in the table, a file its
// decoder refuses or a picture that cannot be drawn.
QImage LoadGraphicAsBitmap(const QString &fileName);
