#pragma once
// Windows metafiles, WMF (placeable or plain) and EMF, played record by record onto a QPainter.
// The picture's size is its own at 96 pixels per inch (a plain WMF: its window extent in
// pixels), scaled down to at most MetafileMaxSide pixels on its longer side. Records the
// player does not know are skipped, so are records whose contents do not fit them; a record
// running past the end of the file ends the picture there.

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <optional>

class QPainter;

// The render-size cap: the longer side of a rendered metafile, in pixels.
inline constexpr int MetafileMaxSide = 4096;

class TMetafilePlayer
{
public:
    // The metafile held in `bytes`, or none when they are neither a WMF nor an EMF, or give no
    // usable size (a zero or missing extent, a placeable WMF without units per inch).
    static std::optional<TMetafilePlayer> FromBytes(const QByteArray &bytes);

    // The size at which the picture is drawn, within MetafileMaxSide.
    QSize Size() const { return m_size; }

    // Whether the records run past the end of the file, or it ends without its end record,
    // before anything but white is drawn: a cut-off file that shows nothing. A cut-off file
    // that draws something shows what it drew.
    bool EndsBeforeItDraws() const;

    // Plays the records so that the picture fills `target` (painter coordinates); nothing is
    // drawn outside it. The painter's state is as before afterwards.
    void Draw(QPainter &painter, const QRectF &target) const;

private:
    enum class TKind { Wmf, Emf };
    TMetafilePlayer(QByteArray bytes, TKind kind, QSize size)
        : m_bytes(std::move(bytes)), m_kind(kind), m_size(size)
    {
    }

    QByteArray m_bytes;
    TKind m_kind;
    QSize m_size;
};

// The side of the picture a cut-off metafile is played onto to learn whether it draws.
inline constexpr int MetafileProbeSide = 256;

// A natural size in pixels made whole and capped: none when it has no area or is not finite.
std::optional<QSize> CappedMetafileSize(double width, double height);
