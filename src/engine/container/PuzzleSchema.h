#pragma once
// Names of the payload sections of a puzzle executable and of the nodes and keys of the
// puzzle document, in one place for every reader and writer.

namespace PuzzleSchema
{

// Payload sections, in the order the maker writes them; "FILE_NAME" only in the hand-over copy.
inline constexpr char SectionIsPuzzle[] = "IS_PUZZLE";
inline constexpr char SectionSourceImage[] = "SRC_IMG";
inline constexpr char SectionAlternativeImage[] = "PRM_IMG";
inline constexpr char SectionDocument[] = "PIG_TXT";
inline constexpr char SectionFileName[] = "FILE_NAME";
inline constexpr char IsPuzzleValue[] = "Y";

// Nodes.
inline constexpr char RootNode[] = "PUZZLE_DATA";
inline constexpr char PiecesNode[] = "PIECES";
inline constexpr char PieceNode[] = "PIECE";
// Holds the piece records instead of PIECES when pieces lie turned: a player that does not know
// turns finds no pieces and refuses the puzzle instead of playing it without them.
inline constexpr char TurnedPiecesNode[] = "TURNED_PIECES";

// Root attributes.
inline constexpr char KeyName[] = "PNAME";
inline constexpr char KeyAuthor[] = "AUTHOR";
inline constexpr char KeyWebsite[] = "WEBSITE";
inline constexpr char KeyCols[] = "COLS";
inline constexpr char KeyRows[] = "ROWS";
inline constexpr char KeyBorders[] = "BRDRS";
inline constexpr char KeyUseAlternative[] = "USE_PRM";
inline constexpr char KeyColor[] = "COLOR";
inline constexpr char KeyTexture[] = "TEXTURE";
inline constexpr char KeyToolsLeft[] = "TFX";
inline constexpr char KeyToolsTop[] = "TFY";
inline constexpr char KeyToolsWidth[] = "TFW";
inline constexpr char KeyToolsHeight[] = "TFH";

// Piece attributes, in the order they are set.
inline constexpr char KeyRow[] = "ROW";
inline constexpr char KeyCol[] = "COL";
inline constexpr char KeyRight[] = "R";
inline constexpr char KeyBottom[] = "B";
inline constexpr char KeyRandomOrder[] = "RO";
inline constexpr char KeyTop[] = "T";
inline constexpr char KeyLeft[] = "L";
inline constexpr char KeyPieceLeft[] = "PLEFT";
inline constexpr char KeyPieceTop[] = "PTOP";
// Quarter turns clockwise, 0 to 3, in a puzzle with turned pieces.
inline constexpr char KeyTurn[] = "TURN";

// The clock, root attributes that a player without the clock ignores: seconds played so far in
// this game, and the fewest seconds any solve of the puzzle took.
inline constexpr char KeyPlayedSeconds[] = "PLAYSECS";
inline constexpr char KeyBestSeconds[] = "BESTSECS";

// Values.
inline constexpr char FlagYes[] = "Y";
inline constexpr char FlagNo[] = "N";
inline constexpr char EdgeTab[] = "1";
inline constexpr char EdgeHole[] = "-1";
inline constexpr char EdgeFlat[] = "0";

// Readers' fallbacks.
inline constexpr int DefaultCols = 10;
inline constexpr int DefaultRows = 12;

} // namespace PuzzleSchema
