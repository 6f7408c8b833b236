#include "engine/jigsaw/PuzzleMaking.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PieceTurns.h"

using namespace PuzzleSchema;

namespace
{

QByteArray EdgeText(int edge)
{
    return IntToText(edge);
}

// A hole on one side is a tab on the other.
QByteArray OppositeEdgeText(const QByteArray &neighbourEdge)
{
    return neighbourEdge == EdgeHole ? EdgeTab : EdgeHole;
}

void AddPieceRecord(TKeyedNode &pieces, int row, int col, int rows, int cols,
                    TRandomGenerator &random)
{
    auto *piece = new TKeyedNode(&pieces);
    piece->SetName(PieceNode);
    piece->SetAttr(KeyRow, IntToText(row));
    piece->SetAttr(KeyCol, IntToText(col));
    const int bottom = row < rows - 1 ? RandomEdge(random) : 0;
    const int right = col < cols - 1 ? RandomEdge(random) : 0;
    piece->SetAttr(KeyRight, EdgeText(right));
    piece->SetAttr(KeyBottom, EdgeText(bottom));
    piece->SetAttr(KeyRandomOrder, IntToText(random.Random(rows * cols)));
}

// Top and left edges come from the records above and to the left, by child index.
void MatchNeighbourEdges(TKeyedNode &pieces, int cols)
{
    for (int i = 0; i < pieces.ChildCount(); ++i) {
        TKeyedNode *piece = pieces.Child(i);
        const int above = i - cols;
        piece->SetAttr(KeyTop, above < 0
                                   ? QByteArray(EdgeFlat)
                                   : OppositeEdgeText(pieces.Child(above)->GetAttr(KeyBottom)));
        const int left = i - 1;
        const bool startsRow = left < 0 || left % cols == cols - 1;
        piece->SetAttr(KeyLeft, startsRow
                                    ? QByteArray(EdgeFlat)
                                    : OppositeEdgeText(pieces.Child(left)->GetAttr(KeyRight)));
    }
}

} // namespace

TKeyedNode *FindOrAddChild(TKeyedNode *node, const QByteArray &name)
{
    if (node == nullptr)
        return nullptr;
    if (TKeyedNode *child = node->FindChild(name))
        return child;
    auto *child = new TKeyedNode(node);
    child->SetName(name);
    return child;
}

int RandomEdge(TRandomGenerator &random)
{
    return random.Random(10) <= 5 ? -1 : 1;
}

void MakePieces(TKeyedNode &document, int rows, int cols, TRandomGenerator &random)
{
    TKeyedNode *pieces = FindOrAddChild(&document, PiecesNode);
    pieces->Clear();
    pieces->SetName(PiecesNode);
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col)
            AddPieceRecord(*pieces, row, col, rows, cols, random);
    if (cols > 0)
        MatchNeighbourEdges(*pieces, cols);
}

void MakePieces(TKeyedNode &document, int rows, int cols)
{
    ProcessRandom().Randomize();
    MakePieces(document, rows, cols, ProcessRandom());
}

bool MakePuzzleDocument(TKeyedNode &document, const TPuzzleProperties &properties,
                        TRandomGenerator &random)
{
    document.Clear();
    document.SetName(RootNode);
    document.SetAttr(KeyName, properties.name);
    document.SetAttr(KeyAuthor, properties.author);
    document.SetAttr(KeyWebsite, properties.website);
    document.SetAttr(KeyCols, IntToText(properties.cols));
    document.SetAttr(KeyRows, IntToText(properties.rows));
    document.SetAttr(KeyBorders, properties.borders ? QByteArray() : QByteArray(FlagNo));
    MakePieces(document, properties.rows, properties.cols, random);
    if (properties.turned) {
        // Drawn after the edges, so that the shapes are those of the same puzzle upright.
        TKeyedNode *pieces = document.FindChild(PiecesNode);
        pieces->SetName(TurnedPiecesNode);
        DrawTurns(*pieces, random);
    }
    return true;
}

bool MakePuzzleDocument(TKeyedNode &document, const TPuzzleProperties &properties)
{
    ProcessRandom().Randomize();
    return MakePuzzleDocument(document, properties, ProcessRandom());
}
