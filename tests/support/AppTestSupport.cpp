#include "support/AppTestSupport.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "support/JpegBytes.h"

#include <QImage>

QByteArray WithSections(const QByteArray &program, const TSections &sections)
{
    QByteArray image = program;
    for (const auto &[name, data] : sections)
        AppendSection(name, data, image);
    return image;
}

QByteArray SamplePictureBytes()
{
    QImage bitmap(40, 30, QImage::Format_RGB888);
    bitmap.fill(QColor(200, 120, 40));
    return JpegBytesOf(bitmap);
}

QByteArray SampleDocumentText()
{
    using namespace PuzzleSchema;
    TKeyedNode root;
    root.SetName(RootNode);
    root.SetAttr(KeyName, "Sample");
    root.SetAttr(KeyCols, "7");
    root.SetAttr(KeyRows, "7");
    auto *pieces = new TKeyedNode(&root);
    pieces->SetName(PiecesNode);
    for (int index = 0; index < 49; ++index) {
        auto *piece = new TKeyedNode(pieces);
        piece->SetName(PieceNode);
        piece->SetAttr(KeyRow, IntToText(index / 7));
        piece->SetAttr(KeyCol, IntToText(index % 7));
    }
    return root.SaveToText();
}

TSections PuzzleSections(const QByteArray &picture, const QByteArray &document)
{
    using namespace PuzzleSchema;
    return {{SectionIsPuzzle, IsPuzzleValue},
            {SectionSourceImage, picture},
            {SectionDocument, document}};
}

void TExecutableFolderTest::SetUp()
{
    TTemporaryFolderTest::SetUp();
    ExeImage().clear();
}

void TExecutableFolderTest::TearDown()
{
    ExeImage().clear();
    TTemporaryFolderTest::TearDown();
}
