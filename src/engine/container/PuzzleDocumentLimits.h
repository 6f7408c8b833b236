#pragma once
// How large a puzzle document may be before it is read. The limits follow from the largest
// puzzle the maker writes, with room to spare, so that a hostile document is refused from its
// size instead of taking memory for millions of records.

#include <QByteArray>
#include <QByteArrayView>

class TKeyedNode;

// The largest grid the maker writes has 100 × 100 cells; a document holding more piece records
// than that is not one the program made.
inline constexpr int MaxPieceRecords = 10000;

// The maker's largest document: 10,000 records with stored positions and turns (about 103 bytes
// each) and a header whose three texts hold the 32,767 characters a line edit takes, at 3 bytes
// each (escaped or UTF-8): 1.33 MB as measured. About eight times that leaves room for the state
// later versions add.
inline constexpr qsizetype MaxDocumentBytes = qsizetype{10} << 20; // 10 MiB

// Replaces the document's content with the text, as TKeyedNode::LoadFromText does, after
// refusing text longer than MaxDocumentBytes or with more than MaxPieceRecords piece records
// (both before anything is parsed, or copied from the view). Throws EKeyedNodeError whose
// message names the cause.
void LoadPuzzleDocument(TKeyedNode &document, QByteArrayView text);
