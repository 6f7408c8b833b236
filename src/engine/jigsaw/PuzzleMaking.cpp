#include "engine/jigsaw/PuzzleMaking.h"

#include "engine/jigsaw/PieceTurns.h"

namespace
{

// A hole on one side is a tab on the other.
int OppositeEdge(int neighbourEdge)
{
    return neighbourEdge == -1 ? 1 : -1;
}

// Top and left edges come from the pieces above and to the left.
void MatchNeighbourEdges(std::vector<TPiece> &pieces, int cols)
{
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        TPiece &piece = pieces[i];
        const std::size_t columns = static_cast<std::size_t>(cols);
        piece.edges.top = i < columns ? 0 : OppositeEdge(pieces[i - columns].edges.bottom);
        const bool startsRow = i % columns == 0;
        piece.edges.left = startsRow ? 0 : OppositeEdge(pieces[i - 1].edges.right);
    }
}

} // namespace

int RandomEdge(TRandomGenerator &random)
{
    return random.Random(10) <= 5 ? -1 : 1;
}

std::vector<TPiece> MakePieces(int rows, int cols, TRandomGenerator &random)
{
    std::vector<TPiece> pieces;
    if (rows < 1 || cols < 1)
        return pieces;
    pieces.reserve(static_cast<std::size_t>(rows) * cols);
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            TPiece piece;
            piece.row = row;
            piece.col = col;
            piece.edges.bottom = row < rows - 1 ? RandomEdge(random) : 0;
            piece.edges.right = col < cols - 1 ? RandomEdge(random) : 0;
            piece.randomOrder = random.Random(rows * cols);
            pieces.push_back(piece);
        }
    }
    MatchNeighbourEdges(pieces, cols);
    return pieces;
}

TPuzzleGame MakePuzzleGame(const TPuzzleProperties &properties, TRandomGenerator &random)
{
    TPuzzleGame game;
    game.name = properties.name;
    game.author = properties.author;
    game.website = properties.website;
    game.cols = properties.cols;
    game.rows = properties.rows;
    game.drawBorders = properties.borders;
    game.pieces = MakePieces(properties.rows, properties.cols, random);
    game.turnedPieces = properties.turned;
    // Drawn after the edges, so that the shapes are those of the same puzzle upright.
    if (properties.turned)
        DrawTurns(game.pieces, random);
    return game;
}

TPuzzleGame MakePuzzleGame(const TPuzzleProperties &properties)
{
    ProcessRandom().Randomize();
    return MakePuzzleGame(properties, ProcessRandom());
}
