#include "support/TestPuzzles.h"

#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/jigsaw/Random.h"

#include <QPainter>
#include <cmath>

QImage PhotoLikePicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const double u = double(x) / size.width();
            const double v = double(y) / size.height();
            row[3 * x] = static_cast<uchar>(120 + 100 * std::sin(6 * u + 2 * v));
            row[3 * x + 1] = static_cast<uchar>(60 + 150 * v);
            row[3 * x + 2] = static_cast<uchar>(200 - 140 * u * v);
        }
    }
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const int unit = std::min(size.width(), size.height());
    painter.setBrush(QColor(230, 40, 60));
    painter.drawEllipse(QPoint(size.width() / 3, size.height() / 2), unit / 5, unit / 5);
    painter.setBrush(QColor(250, 220, 30));
    painter.drawEllipse(QPoint(2 * size.width() / 3, size.height() / 3), unit / 7, unit / 7);
    painter.setBrush(QColor(20, 120, 40));
    painter.drawRect(0, 4 * size.height() / 5, size.width(), size.height() / 10);
    painter.setBrush(Qt::white);
    painter.drawRect(size.width() / 10, size.height() / 10, size.width() / 8, size.height() / 12);
    return picture;
}

void MakeTestDocument(TPuzzleDocument &document, int cols, int rows, const QByteArray &name)
{
    TRandomGenerator random(20261207);
    document = TPuzzleDocument(MakePuzzleGame({rows, cols, true, name, "", ""}, random));
}

std::unique_ptr<TKeyedNode> StoredTree(const TPuzzleDocument &document)
{
    auto tree = std::make_unique<TKeyedNode>();
    tree->LoadFromText(document.StoredText());
    return tree;
}
