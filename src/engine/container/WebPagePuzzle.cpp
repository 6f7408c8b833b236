#include "engine/container/WebPagePuzzle.h"

#include "engine/jigsaw/PieceOutlinePaths.h"
#include "engine/jigsaw/PuzzleGame.h"
#include "engine/picture/JpegPicture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <stdexcept>

namespace
{

QByteArray ResourceText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the web page's player is missing from the program");
    return file.readAll();
}

// The page's own scripts and styles are allowed by their hashes and nothing else runs; no
// request of any kind leaves the page.
QByteArray ContentSecurityPolicy(const QByteArray &script, const QByteArray &style)
{
    auto hash = [](const QByteArray &text) {
        return "'sha256-" + QCryptographicHash::hash(text, QCryptographicHash::Sha256).toBase64() +
               "'";
    };
    return "default-src 'none'; img-src data: blob:; script-src " + hash(script) + "; style-src " +
           hash(style) + "; base-uri 'none'; form-action 'none'";
}

// JSON inside a script element: "<" never appears, so no text can end the element or open
// another; the browser reads the data only with JSON.parse.
QByteArray ScriptSafeJson(const QJsonObject &object)
{
    QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    json.replace("<", "\\u003c");
    json.replace(">", "\\u003e");
    json.replace("&", "\\u0026");
    return json;
}

QJsonObject PuzzleData(const TJpegPicture &source, bool useAlternative, const TPuzzleGame &game)
{
    if (game.pieces.empty())
        throw std::runtime_error("the puzzle has no pieces");
    const TPuzzleGrid grid = GridOf(game);
    const QSize pictureSize(source.Width(), source.Height());
    const std::optional<TPieceGeometry> geometry =
        ComputePieceGeometry(pictureSize.width(), pictureSize.height(), grid.cols, grid.rows);
    if (!geometry)
        throw std::runtime_error("the puzzle's grid does not fit its picture");
    const std::size_t cells = static_cast<std::size_t>(grid.cols) * grid.rows;
    std::vector<TPieceEdges> edges;
    QJsonArray turns;
    QJsonArray orderKeys;
    for (std::size_t i = 0; i < cells && i < game.pieces.size(); ++i) {
        const TPiece &piece = game.pieces[i];
        edges.push_back(piece.edges);
        turns.append(piece.turn);
        // As text: the page sorts the keys as the desktop does, "12" before "3".
        orderKeys.append(QString::number(piece.randomOrder));
    }
    const TPuzzleOutlines outlines = PuzzleOutlines(*geometry, pictureSize, grid.cols, edges);
    QJsonArray paths;
    for (const QByteArray &path : outlines.paths)
        paths.append(QString::fromLatin1(path));
    QJsonArray pieceEdges;
    for (const TPieceEdges &e : edges)
        pieceEdges.append(QJsonArray{e.top, e.right, e.bottom, e.left});
    QJsonArray pieceOutlines;
    for (const int index : outlines.pieceOutline)
        pieceOutlines.append(index);
    return QJsonObject{
        {"name", QString::fromUtf8(game.name)},
        {"author", QString::fromUtf8(game.author)},
        {"website", QString::fromUtf8(game.website)},
        {"cols", grid.cols},
        {"rows", grid.rows},
        {"width", pictureSize.width()},
        {"height", pictureSize.height()},
        {"cellWidth", geometry->cellWidth},
        {"cellHeight", geometry->cellHeight},
        {"margin", geometry->margin},
        {"pieceWidth", geometry->pieceWidth},
        {"pieceHeight", geometry->pieceHeight},
        {"borders", grid.drawBorders},
        {"turned", game.turnedPieces},
        {"alternative", useAlternative},
        {"outlines", paths},
        {"outlineOfPiece", pieceOutlines},
        {"edges", pieceEdges},
        {"orderKeys", orderKeys},
        {"turns", turns},
    };
}

// Which puzzle a kept game belongs to: the same pictures and pieces give the same identity, on
// every device.
QString PuzzleIdentity(const QByteArray &sourceJpeg, const QByteArray &puzzleJson)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(sourceJpeg);
    hash.addData(puzzleJson);
    return QString::fromLatin1(hash.result().toHex().left(32));
}

QByteArray PictureElement(const char *id, const QByteArray &jpeg)
{
    return "<img id=\"" + QByteArray(id) + "\" hidden alt=\"\" src=\"data:image/jpeg;base64," +
           jpeg.toBase64() + "\">\n";
}

} // namespace

QByteArray PuzzleWebPage(const TJpegPicture &source, const TJpegPicture *alternative,
                         const TPuzzleGame &game)
{
    const bool useAlternative = alternative != nullptr && !alternative->Empty();
    const QByteArray sourceJpeg = source.Data();
    QJsonObject puzzle = PuzzleData(source, useAlternative, game);
    puzzle.insert("id", PuzzleIdentity(sourceJpeg, ScriptSafeJson(puzzle)));
    const QByteArray script = ResourceText(":/web/player.js");
    const QByteArray style = ResourceText(":/web/player.css");
    QByteArray page;
    page += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n"
            "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
            ContentSecurityPolicy(script, style) +
            "\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1, "
            "user-scalable=no\">\n<meta name=\"generator\" content=\"Tessalune\">\n"
            "<title>Tessalune</title>\n<style>" +
            style + "</style></head><body>\n";
    page += PictureElement("tessalune-picture", sourceJpeg);
    if (useAlternative)
        page += PictureElement("tessalune-alternative", alternative->Data());
    page += "<script type=\"application/json\" id=\"tessalune-puzzle\">" + ScriptSafeJson(puzzle) +
            "</script>\n";
    // The player writes the game here when it saves the page to a file.
    page += "<script type=\"application/json\" id=\"tessalune-game\"></script>\n";
    page += "<script>" + script + "</script>\n</body></html>\n";
    return page;
}

QString WebPageFileName(const QString &puzzleFileName)
{
    QString base = puzzleFileName;
    if (base.endsWith(".exe", Qt::CaseInsensitive))
        base.chop(4);
    return base + ".html";
}

void WritePuzzleWebPage(const QByteArray &page, const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size() || !file.commit())
        throw std::runtime_error("cannot write \"" + fileName.toStdString() +
                                 "\": " + file.errorString().toStdString());
}
