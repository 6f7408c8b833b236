#include "windows/play/JigsawPlayWindow.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PlayChecks.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/Thumbnail.h"
#include "windows/common/WindowInstances.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/BackgroundsDialog.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <stdexcept>

using namespace PuzzleSchema;

namespace
{

// A stored coordinate at which the desktop can hold a piece of that size: the piece's far edge
// stays within the largest extent a window can have. A game never stores anything beyond it.
bool WithinDesktop(std::optional<int> coordinate, int pieceSize)
{
    return coordinate && *coordinate >= -QWIDGETSIZE_MAX &&
           *coordinate <= QWIDGETSIZE_MAX - pieceSize;
}

// The tools window can grow to the whole screen; its thumbnail needs no more pixels than that.
QSize ThumbnailBound()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize(1920, 1080);
}

} // namespace

TD_puzzle_js::TD_puzzle_js(QWidget *parent) : TP_puzzle(parent)
{
    setWindowTitle(QStringLiteral("D_puzzle_js"));
    Odesktop = new TO_pd(TabSheet_puzzle);
    auto *fill = new QVBoxLayout(TabSheet_puzzle);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(Odesktop);
}

bool TD_puzzle_js::MakePuzzleDocument(TKelPigger &document, int rows, int cols, bool borders,
                                      const QByteArray &name, const QByteArray &author,
                                      const QByteArray &website)
{
    return ::MakePuzzleDocument(document, {rows, cols, borders, name, author, website});
}

void TD_puzzle_js::PrepareGame()
{
    BuildGame();
}

void TD_puzzle_js::BuildGame()
{
    if (sourcePicture == nullptr || document == nullptr)
        throw std::invalid_argument("The game has no picture or no document");
    // Refused before the picture is decoded or anything is cut.
    RequirePlayablePuzzle(*sourcePicture, *document);
    ReportProgress(0);
    LoadSourcePicture();
    ReportProgress(10);
    ReadPuzzleSize();
    ReportProgress(20);
    ComputeGeometry();
    Odesktop->SetupDesktop(cols, rows, geometry.pieceWidth, geometry.pieceHeight, geometry.margin);
    CutPieces();
    ReportProgress(50);
    RestorePiecePositions();
    ReportProgress(70);
    if (host.minimize)
        host.minimize();
    QCoreApplication::processEvents();
}

TD_puzzle_js::~TD_puzzle_js() = default;

void TD_puzzle_js::LoadSourcePicture()
{
    if (sourcePicture->Empty())
        throw EJPEGError("The puzzle has no picture");
    sourceReader = std::make_unique<TJpegRowReader>(*sourcePicture);
}

void TD_puzzle_js::ReadPuzzleSize()
{
    const QByteArray name = document->GetAttr(KeyName);
    if (host.showCaption)
        host.showCaption(QString::fromUtf8(name));
    const TPuzzleGrid grid = ReadPuzzleGrid(*document);
    cols = grid.cols;
    rows = grid.rows;
    Odesktop->SetDrawBorders(grid.drawBorders);
}

void TD_puzzle_js::ComputeGeometry()
{
    const QSize picture = sourceReader->Size();
    geometry = RequireCuttableGrid(picture.width(), picture.height(), cols, rows);
}

void TD_puzzle_js::CutPieces()
{
    const QSize picture = sourceReader->Size();
    TThumbnailMaker thumbnail(picture, ThumbnailBound());
    const TCutPlan plan{picture, cols, rows, geometry, Odesktop->DrawBorders(), CutThreads()};
    CutCells(
        plan, *Odesktop->Outline(), FindOrAddChild(document, PiecesNode),
        [this](unsigned char *firstRow, qsizetype bytesPerLine, int count) {
            sourceReader->ReadRows(firstRow, bytesPerLine, count);
        },
        [&thumbnail](const unsigned char *row) { thumbnail.AddRow(row); },
        [this](int, int, TKelPigger *record, QImage piece) {
            Odesktop->AddPieceImage(std::move(piece), record);
        });
    // Only the cut reads the picture; the game keeps its pieces and the thumbnail.
    sourceReader.reset();
    SetPuzzleThumbnail(thumbnail.Thumbnail(), picture);
}

void TD_puzzle_js::RestorePiecePositions()
{
    const TKelPigger *pieces = document->FindChild(PiecesNode);
    for (const TKelPigger *record = pieces ? pieces->FindChild(PieceNode) : nullptr;
         record != nullptr; record = pieces->FindNext(record)) {
        const std::optional<int> left = TextToInt(record->GetAttr(KeyPieceLeft));
        const std::optional<int> top = TextToInt(record->GetAttr(KeyPieceTop));
        TPieceImage *image = Odesktop->ImageOfRecord(record);
        if (image != nullptr && WithinDesktop(left, geometry.pieceWidth) &&
            WithinDesktop(top, geometry.pieceHeight))
            Odesktop->PlacePiece(image, *left, *top);
    }
    Odesktop->LayoutPalette();
}

void TD_puzzle_js::FormActivate()
{
    if (firstActivation && D_backgrounds != nullptr) {
        D_backgrounds->LoadData(QString());
        if (D_backgrounds->IsTextureChosen())
            Odesktop->SetBackgroundPicture(D_backgrounds->ChosenTexture());
        else
            Odesktop->SetBackgroundColor(D_backgrounds->ChosenColor());
    }
    TP_puzzle::FormActivate();
}

TF_tools::TGame TD_puzzle_js::ToolsGame()
{
    TF_tools::TGame game = TP_puzzle::ToolsGame();
    game.desktop = Odesktop;
    game.backgrounds = D_backgrounds;
    game.resetPuzzle = host.resetPuzzle;
    game.browsePuzzles = host.browsePuzzles;
    return game;
}
