#include "windows/common/MakerSession.h"

#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/picture/JpegPicture.h"

#include <QImage>

std::unique_ptr<TJpegPicture> BlankPicture()
{
    QImage blank(1, 1, QImage::Format_RGB888);
    blank.fill(Qt::white);
    auto picture = std::make_unique<TJpegPicture>();
    picture->Assign(blank);
    return picture;
}

TMakerSession::TMakerSession()
{
    Reset();
}

TMakerSession::~TMakerSession() = default;

void TMakerSession::Reset()
{
    step = 1;
    sourceChosen = false;
    useAlternativePicture = false;
    sourcePicture = BlankPicture();
    alternativePicture = BlankPicture();
    document = std::make_unique<TPuzzleDocument>();
}
