#include "engine/container/PuzzleDocumentLimits.h"

#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"

void LoadPuzzleDocument(TKeyedNode &document, QByteArrayView text)
{
    if (text.size() > MaxDocumentBytes)
        throw EKeyedNodeError("The puzzle document is larger than " +
                                  QByteArray::number(MaxDocumentBytes >> 20) + " MiB",
                              1);
    if (CountStartTags(QByteArray::fromRawData(text.data(), text.size()), PuzzleSchema::PieceNode) >
        MaxPieceRecords)
        throw EKeyedNodeError("The puzzle document holds more than " +
                                  QByteArray::number(MaxPieceRecords) + " piece records",
                              1);
    // A copy: the document's values may share the text's bytes.
    document.LoadFromText(text.toByteArray());
}
