// The whole way from a puzzle's payload to its cut pieces and restored positions, as the player
// takes it: the document text with its grid, edges and stored positions, checked, cut on a small
// picture, turned pieces turned as shown, the positions restored and the solved test run. A hostile
// document must end in a refusal or a cut, never in a crash, a hang or unbounded memory. The first
// two bytes give the picture's size (up to 32 × 32 pixels); the rest is the payload.

#include "FuzzSupport.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/Joining.h"
#include "engine/jigsaw/PieceTurns.h"
#include "engine/jigsaw/PlayChecks.h"
#include "engine/jigsaw/StoredPosition.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <exception>

using namespace PuzzleSchema;

namespace
{

QImage SmallPicture(std::uint8_t widthByte, std::uint8_t heightByte)
{
    QImage picture(1 + widthByte % 32, 1 + heightByte % 32, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 8, y * 8, (x ^ y) * 8));
    return picture;
}

// The document as the payload holds it: from its "PIG_TXT" section, or the whole text when it
// has none.
QByteArray DocumentText(const QByteArray &payload)
{
    const QByteArray section = ReadSection(SectionDocument, payload);
    return section.isEmpty() ? payload : section;
}

void RestoreAndJudge(const TPuzzleGame &game, const TPuzzleCut &cut)
{
    for (const TCutPiece &piece : cut.pieces) {
        const std::size_t index = static_cast<std::size_t>(piece.row * cut.grid.cols + piece.col);
        // A turned piece is shown turned: whatever its turn says, a quarter turn.
        const int turn = index < game.pieces.size() ? game.pieces[index].turn : 0;
        Require(turn >= 0 && turn <= 3);
        const QImage shown = TurnedImage(piece.image, turn);
        Require(shown.size() == (turn % 2 ? piece.image.size().transposed() : piece.image.size()));
    }
    const TJoinGrid grid{cut.grid.cols, cut.grid.rows, cut.geometry.cellWidth,
                         cut.geometry.cellHeight};
    // As the player restores a game: the pieces whose stored position holds are placed and
    // checked for joins; the solved test then looks at every piece.
    for (std::size_t i = 0; i < game.pieces.size(); ++i)
        if (StoredPosition(game.pieces[i], cut.geometry.pieceWidth, cut.geometry.pieceHeight))
            FirstFittingDirection(grid, game.pieces, static_cast<int>(i));
    IsSolved(grid, game.pieces);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const QImage picture = SmallPicture(data[0], data[1]);
    TPuzzleDocument document;
    try {
        document = TPuzzleDocument(DocumentText(QByteArray(reinterpret_cast<const char *>(data + 2),
                                                           static_cast<qsizetype>(size - 2))));
        RequirePieceRecords(document);
        RequireCutWithinBudget(picture.width(), picture.height(), 0, document.Game(),
                               GameHeldBytes(size, document));
    } catch (const std::exception &) {
        return 0;
    }
    if (const std::optional<TPuzzleCut> cut = CutPuzzle(picture, document.Game()))
        RestoreAndJudge(document.Game(), *cut);
    return 0;
}
