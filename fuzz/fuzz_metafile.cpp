// The metafile player over arbitrary bytes: a metafile is either refused or has a size within
// the cap, and playing its records onto a small canvas ends without a crash, a hang or a
// sanitizer report, whatever its counts, offsets and coordinates say.
#include "FuzzSupport.h"
#include "engine/picture/MetafilePlayer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>

// fontconfig keeps the fonts that text records asked for in caches the leak checker cannot see
// into; they are no leaks of the player's.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Text records need fonts, which need a GUI application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_metafile";
    static char *argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<TMetafilePlayer> metafile = TMetafilePlayer::FromBytes(bytes);
    if (!metafile)
        return 0;
    const QSize pictureSize = metafile->Size();
    Require(pictureSize.width() >= 1 && pictureSize.height() >= 1);
    Require(pictureSize.width() <= MetafileMaxSide && pictureSize.height() <= MetafileMaxSide);
    // The picture scaled into 64 × 64 pixels keeps every input quick to draw.
    QImage canvas(64, 64, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    metafile->Draw(painter, QRectF(0, 0, 64, 64));
    return 0;
}
