#pragma once
// The puzzles tests play: a photo-like picture of our own and a document made as the maker
// makes it, from a fixed generator state so that every run cuts the same pieces.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <memory>

class TKeyedNode;
class TPuzzleDocument;

// Smooth colour fields with a few discs and stripes, so that every piece looks different and
// a JPEG of it is a photograph's kind of data.
QImage PhotoLikePicture(QSize size);

// A new puzzle document made from a fixed generator state, as the maker makes it.
void MakeTestDocument(TPuzzleDocument &document, int cols, int rows,
                      const QByteArray &name = "Tulips");

// The document's stored form as a tree, for checks of what a file holds.
std::unique_ptr<TKeyedNode> StoredTree(const TPuzzleDocument &document);
