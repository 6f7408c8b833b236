#include "engine/container/PuzzleDocumentCodec.h"

#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentLimits.h"
#include "engine/container/PuzzleSchema.h"

#include <array>

using namespace PuzzleSchema;

namespace
{

constexpr int QuarterTurns = 4;

int ReadGridSize(const TKeyedNode &document, const char *key, int fallback)
{
    const int value = TextToIntDef(document.GetAttr(key), fallback);
    return value < 1 ? fallback : value;
}

TStoredNumber ReadStoredNumber(const TKeyedNode &node, const char *key)
{
    const QByteArray text = node.GetAttr(key);
    TStoredNumber number;
    number.present = !text.isEmpty();
    if (const auto value = TextToInt(text))
        number.value = *value;
    return number;
}

// Seconds: absent gives none; negative or not a number gives 0.
std::optional<std::int64_t> ReadSeconds(const TKeyedNode &document, const char *key)
{
    const QByteArray text = document.GetAttr(key);
    if (text.isEmpty())
        return std::nullopt;
    const auto seconds = TextToInt(text);
    return seconds && *seconds > 0 ? *seconds : 0;
}

std::optional<TColor> ReadColour(const TKeyedNode &document)
{
    const QByteArray text = document.GetAttr(KeyColor);
    if (text.isEmpty())
        return std::nullopt;
    return TextToColor(text);
}

std::optional<int> ReadTexture(const TKeyedNode &document)
{
    const QByteArray text = document.GetAttr(KeyTexture);
    if (text.isEmpty())
        return std::nullopt;
    return TextToIntDef(text, 0);
}

// Read in the order T, R, B, L; a value that is not an integer makes that edge and every edge
// read after it flat.
TPieceEdges ReadEdges(const TKeyedNode &record)
{
    TPieceEdges edges;
    int *const fields[] = {&edges.top, &edges.right, &edges.bottom, &edges.left};
    const char *const keys[] = {KeyTop, KeyRight, KeyBottom, KeyLeft};
    for (int i = 0; i < 4; ++i) {
        const std::optional<std::int32_t> value = TextToInt(record.GetAttr(keys[i]));
        if (!value)
            break;
        *fields[i] = *value;
    }
    return edges;
}

// Both values must convert; a piece with only one lies on the palette.
std::optional<QPoint> ReadPosition(const TKeyedNode &record)
{
    const auto left = TextToInt(record.GetAttr(KeyPieceLeft));
    const auto top = TextToInt(record.GetAttr(KeyPieceTop));
    if (!left || !top)
        return std::nullopt;
    return QPoint(*left, *top);
}

int ReadTurn(const TKeyedNode &record)
{
    const auto turn = TextToInt(record.GetAttr(KeyTurn));
    return turn && *turn >= 0 && *turn < QuarterTurns ? static_cast<int>(*turn) : 0;
}

TPiece ReadPiece(const TKeyedNode &record)
{
    TPiece piece;
    piece.row = TextToIntDef(record.GetAttr(KeyRow), -1);
    piece.col = TextToIntDef(record.GetAttr(KeyCol), -1);
    piece.edges = ReadEdges(record);
    piece.randomOrder = TextToIntDef(record.GetAttr(KeyRandomOrder), 0);
    piece.position = ReadPosition(record);
    piece.turn = ReadTurn(record);
    return piece;
}

// PIECES, or TURNED_PIECES in a puzzle with turned pieces; null when there is neither.
TKeyedNode *PiecesNodeOf(const TKeyedNode &document)
{
    if (TKeyedNode *pieces = document.FindChild(PiecesNode))
        return pieces;
    return document.FindChild(TurnedPiecesNode);
}

QList<TKeyedNode *> RecordsOf(const TKeyedNode *pieces)
{
    QList<TKeyedNode *> records;
    for (TKeyedNode *record = pieces ? pieces->FindChild(PieceNode) : nullptr; record != nullptr;
         record = pieces->FindNext(record))
        records.append(record);
    return records;
}

// Each Write... sets what differs from the stored meaning and leaves equal values' text alone.
void WriteText(TKeyedNode &node, const char *key, const QByteArray &value)
{
    if (node.GetAttr(key) != value)
        node.SetAttr(key, value);
}

void WriteNumber(TKeyedNode &node, const char *key, std::optional<std::int64_t> stored,
                 std::optional<std::int64_t> value)
{
    if (stored == value)
        return;
    if (value)
        node.SetAttr(key, IntToText(*value));
    else
        node.DeleteAttr(key);
}

void WriteStoredNumber(TKeyedNode &node, const char *key, const TStoredNumber &number)
{
    const TStoredNumber stored = ReadStoredNumber(node, key);
    if (stored == number)
        return;
    if (!number.present)
        node.DeleteAttr(key);
    else if (number.value)
        node.SetAttr(key, IntToText(*number.value));
}

void WriteEdges(TKeyedNode &record, const TPieceEdges &edges)
{
    if (ReadEdges(record) == edges)
        return;
    record.SetAttr(KeyTop, IntToText(edges.top));
    record.SetAttr(KeyRight, IntToText(edges.right));
    record.SetAttr(KeyBottom, IntToText(edges.bottom));
    record.SetAttr(KeyLeft, IntToText(edges.left));
}

void WritePiece(const TPiece &piece, TKeyedNode &record)
{
    const auto asNumber = [](int value) { return std::optional<std::int64_t>(value); };
    WriteNumber(record, KeyRow, TextToIntDef(record.GetAttr(KeyRow), -1), asNumber(piece.row));
    WriteNumber(record, KeyCol, TextToIntDef(record.GetAttr(KeyCol), -1), asNumber(piece.col));
    WriteEdges(record, piece.edges);
    WriteNumber(record, KeyRandomOrder, TextToIntDef(record.GetAttr(KeyRandomOrder), 0),
                asNumber(piece.randomOrder));
    if (ReadPosition(record) != piece.position) {
        if (piece.position) {
            record.SetAttr(KeyPieceLeft, IntToText(piece.position->x()));
            record.SetAttr(KeyPieceTop, IntToText(piece.position->y()));
        } else {
            record.DeleteAttr(KeyPieceLeft);
            record.DeleteAttr(KeyPieceTop);
        }
    }
    WriteNumber(record, KeyTurn, ReadTurn(record), asNumber(piece.turn));
}

// A new record in the maker's order: cell, right and bottom edges, order key, top and left
// edges, then turn and position when there are any.
void AddRecord(TKeyedNode &pieces, const TPiece &piece, bool turned)
{
    auto *record = new TKeyedNode(&pieces);
    record->SetName(PieceNode);
    record->SetAttr(KeyRow, IntToText(piece.row));
    record->SetAttr(KeyCol, IntToText(piece.col));
    record->SetAttr(KeyRight, IntToText(piece.edges.right));
    record->SetAttr(KeyBottom, IntToText(piece.edges.bottom));
    record->SetAttr(KeyRandomOrder, IntToText(piece.randomOrder));
    record->SetAttr(KeyTop, IntToText(piece.edges.top));
    record->SetAttr(KeyLeft, IntToText(piece.edges.left));
    if (turned)
        record->SetAttr(KeyTurn, IntToText(piece.turn));
    WritePiece(piece, *record);
}

void WritePieces(const TPuzzleGame &game, TKeyedNode &document)
{
    TKeyedNode *pieces = PiecesNodeOf(document);
    if (pieces == nullptr && game.pieces.empty())
        return;
    if (pieces == nullptr) {
        pieces = new TKeyedNode(&document);
        pieces->SetName(PiecesNode);
    }
    const QByteArray nodeName = game.turnedPieces ? TurnedPiecesNode : PiecesNode;
    if (pieces->Name() != nodeName)
        pieces->SetName(nodeName);
    const QList<TKeyedNode *> records = RecordsOf(pieces);
    const qsizetype count = static_cast<qsizetype>(game.pieces.size());
    for (qsizetype i = 0; i < count; ++i) {
        const TPiece &piece = game.pieces[static_cast<std::size_t>(i)];
        if (i < records.size())
            WritePiece(piece, *records[i]);
        else
            AddRecord(*pieces, piece, game.turnedPieces);
    }
    for (qsizetype i = count; i < records.size(); ++i)
        delete records[i];
}

void WriteHeader(const TPuzzleGame &game, TKeyedNode &document)
{
    WriteText(document, KeyName, game.name);
    WriteText(document, KeyAuthor, game.author);
    WriteText(document, KeyWebsite, game.website);
    WriteNumber(document, KeyCols, ReadGridSize(document, KeyCols, DefaultCols), game.cols);
    WriteNumber(document, KeyRows, ReadGridSize(document, KeyRows, DefaultRows), game.rows);
    if ((document.GetAttr(KeyBorders) != FlagNo) != game.drawBorders)
        document.SetAttr(KeyBorders, game.drawBorders ? QByteArray() : QByteArray(FlagNo));
}

void WriteRootValues(const TPuzzleGame &game, TKeyedNode &document)
{
    WriteHeader(game, document);
    if ((document.GetAttr(KeyUseAlternative) == FlagYes) != game.useAlternativePicture)
        document.SetAttr(KeyUseAlternative,
                         game.useAlternativePicture ? QByteArray(FlagYes) : QByteArray());
    if (ReadColour(document) != game.backgroundColour) {
        document.SetAttr(KeyColor, game.backgroundColour ? ColorToText(*game.backgroundColour)
                                                         : QByteArray());
    }
    if (ReadTexture(document) != game.backgroundTexture) {
        document.SetAttr(KeyTexture, game.backgroundTexture ? IntToText(*game.backgroundTexture)
                                                            : QByteArray());
    }
    WriteStoredNumber(document, KeyToolsLeft, game.tools.left);
    WriteStoredNumber(document, KeyToolsTop, game.tools.top);
    WriteStoredNumber(document, KeyToolsWidth, game.tools.width);
    WriteStoredNumber(document, KeyToolsHeight, game.tools.height);
    WriteNumber(document, KeyPlayedSeconds, ReadSeconds(document, KeyPlayedSeconds),
                game.playedSeconds);
    WriteNumber(document, KeyBestSeconds, ReadSeconds(document, KeyBestSeconds), game.bestSeconds);
}

std::int64_t CountNodes(const TKeyedNode &node)
{
    std::int64_t count = 1;
    for (int i = 0; i < node.ChildCount(); ++i)
        count += CountNodes(*node.Child(i));
    return count;
}

} // namespace

TPuzzleGame ReadPuzzleGame(const TKeyedNode &document)
{
    TPuzzleGame game;
    game.name = document.GetAttr(KeyName);
    game.author = document.GetAttr(KeyAuthor);
    game.website = document.GetAttr(KeyWebsite);
    game.cols = ReadGridSize(document, KeyCols, DefaultCols);
    game.rows = ReadGridSize(document, KeyRows, DefaultRows);
    game.drawBorders = document.GetAttr(KeyBorders) != FlagNo;
    game.useAlternativePicture = document.GetAttr(KeyUseAlternative) == FlagYes;
    game.backgroundColour = ReadColour(document);
    game.backgroundTexture = ReadTexture(document);
    game.tools = {ReadStoredNumber(document, KeyToolsLeft), ReadStoredNumber(document, KeyToolsTop),
                  ReadStoredNumber(document, KeyToolsWidth),
                  ReadStoredNumber(document, KeyToolsHeight)};
    game.playedSeconds = ReadSeconds(document, KeyPlayedSeconds);
    game.bestSeconds = ReadSeconds(document, KeyBestSeconds);
    const TKeyedNode *pieces = PiecesNodeOf(document);
    game.turnedPieces = pieces != nullptr && pieces->Name() == TurnedPiecesNode;
    const QList<TKeyedNode *> records = RecordsOf(pieces);
    game.pieces.reserve(static_cast<std::size_t>(records.size()));
    for (const TKeyedNode *record : records)
        game.pieces.push_back(ReadPiece(*record));
    return game;
}

void WritePuzzleGame(const TPuzzleGame &game, TKeyedNode &document)
{
    if (document.Name().isEmpty())
        document.SetName(RootNode);
    WriteRootValues(game, document);
    WritePieces(game, document);
}

TPuzzleDocument::TPuzzleDocument() : m_tree(std::make_unique<TKeyedNode>())
{
}

TPuzzleDocument::TPuzzleDocument(QByteArrayView text) : TPuzzleDocument()
{
    LoadPuzzleDocument(*m_tree, text);
    m_game = ReadPuzzleGame(*m_tree);
    m_kept = m_game;
}

TPuzzleDocument::TPuzzleDocument(const TPuzzleGame &game) : TPuzzleDocument()
{
    m_game = game;
    m_tree->SetName(RootNode);
    // The header is written whole, defaults included, as the maker always has.
    m_tree->SetAttr(KeyName, game.name);
    m_tree->SetAttr(KeyAuthor, game.author);
    m_tree->SetAttr(KeyWebsite, game.website);
    m_tree->SetAttr(KeyCols, IntToText(game.cols));
    m_tree->SetAttr(KeyRows, IntToText(game.rows));
    m_tree->SetAttr(KeyBorders, game.drawBorders ? QByteArray() : QByteArray(FlagNo));
    WritePuzzleGame(m_game, *m_tree);
    m_kept = m_game;
}

TPuzzleDocument::~TPuzzleDocument() = default;
TPuzzleDocument::TPuzzleDocument(TPuzzleDocument &&) noexcept = default;
TPuzzleDocument &TPuzzleDocument::operator=(TPuzzleDocument &&) noexcept = default;

bool TPuzzleDocument::IsEmpty() const
{
    return m_tree->Name().isEmpty();
}

void TPuzzleDocument::Keep()
{
    // Also keeps an empty document empty: nothing stored, nothing to store.
    if (m_game == m_kept)
        return;
    WritePuzzleGame(m_game, *m_tree);
    m_kept = m_game;
}

QByteArray TPuzzleDocument::StoredText() const
{
    return m_tree->SaveToText();
}

QByteArray TPuzzleDocument::Text()
{
    Keep();
    return StoredText();
}

std::int64_t TPuzzleDocument::NodeCount() const
{
    return CountNodes(*m_tree);
}
