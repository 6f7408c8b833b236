#include "windows/play/JigsawPlayWindow.h"

#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PlayChecks.h"
#include "engine/jigsaw/StoredPosition.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/Thumbnail.h"
#include "windows/common/PlayerSession.h"
#include "windows/common/ProgramWindows.h"
#include "windows/common/WindowLook.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/BackgroundsDialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <stdexcept>

// The engine's desktop limit is the toolkit's widget size limit.
static_assert(MaxDesktopCoordinate == QWIDGETSIZE_MAX);

namespace
{

// The caption of a game whose puzzle has no name.
const QString UnnamedPuzzleCaption = QStringLiteral("Puzzle");

// A stored coordinate at which the desktop can hold a piece of that size: the piece's far edge
// stays within the largest extent a window can have. A game never stores anything beyond it.
// The tools window can grow to the whole screen; its thumbnail needs no more pixels than that.
QSize ThumbnailBound()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize(1920, 1080);
}

} // namespace

TJigsawPlayWindow::TJigsawPlayWindow(QWidget *parent) : TPlayWindowBase(parent)
{
    m_desktop = new TPuzzleDesktop(m_puzzlePage);
    auto *fill = new QVBoxLayout(m_puzzlePage);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(m_desktop);
    connect(m_desktop, &TPuzzleDesktop::PlayerActed, this, &TPlayWindowBase::NotePlayerActivity);
    connect(m_desktop, &TPuzzleDesktop::OnPieceDropped, this, [this] {
        if (m_session != nullptr)
            m_session->NotePieceMoved();
    });
}

void TJigsawPlayWindow::PrepareGame()
{
    BuildGame();
}

void TJigsawPlayWindow::BuildGame()
{
    if (m_sourcePicture == nullptr || m_document == nullptr)
        throw std::invalid_argument("The game has no picture or no document");
    // Refused before the picture is decoded or anything is cut.
    RequirePlayablePuzzle(*m_sourcePicture, *m_document,
                          PlayedGameHeldBytes(*m_sourcePicture, *m_document));
    ReportProgress(0);
    LoadSourcePicture();
    ReportProgress(10);
    ReadPuzzleSize();
    ReportProgress(20);
    ComputeGeometry();
    m_desktop->SetupDesktop(m_document->Game(), m_geometry.pieceWidth, m_geometry.pieceHeight,
                            m_geometry.margin);
    if (m_session != nullptr)
        m_session->SetJoinGrid({m_cols, m_rows, m_geometry.cellWidth, m_geometry.cellHeight});
    CutPieces();
    ReportProgress(50);
    RestorePiecePositions();
    ReportProgress(70);
    emit GamePrepared();
}

TJigsawPlayWindow::~TJigsawPlayWindow() = default;

void TJigsawPlayWindow::LoadSourcePicture()
{
    if (m_sourcePicture->Empty())
        throw EJPEGError("The puzzle has no picture");
    m_sourceReader = std::make_unique<TJpegRowReader>(*m_sourcePicture);
}

void TJigsawPlayWindow::ReadPuzzleSize()
{
    const TPuzzleGame &game = m_document->Game();
    // The task bar names the game after its puzzle.
    const QString name = QString::fromUtf8(game.name);
    const QString caption =
        name.isEmpty() ? UnnamedPuzzleCaption : WindowLook::ShownPuzzleText(name);
    setWindowTitle(caption);
    emit CaptionChosen(caption);
    const TPuzzleGrid grid = GridOf(game);
    m_cols = grid.cols;
    m_rows = grid.rows;
    m_desktop->SetDrawBorders(grid.drawBorders);
    m_desktop->SetTurnedPieces(game.turnedPieces);
}

void TJigsawPlayWindow::ComputeGeometry()
{
    const QSize picture = m_sourceReader->Size();
    m_geometry = RequireCuttableGrid(picture.width(), picture.height(), m_cols, m_rows);
}

void TJigsawPlayWindow::CutPieces()
{
    const QSize picture = m_sourceReader->Size();
    TThumbnailMaker thumbnail(picture, ThumbnailBound());
    const TCutPlan plan{picture,     m_cols, m_rows, m_geometry, m_desktop->DrawBorders(),
                        CutThreads()};
    CutCells(
        plan, *m_desktop->Outline(), m_document->Game().pieces,
        [this](unsigned char *firstRow, qsizetype bytesPerLine, int count) {
            m_sourceReader->ReadRows(firstRow, bytesPerLine, count);
        },
        [&thumbnail](const unsigned char *row) { thumbnail.AddRow(row); },
        [this](int, int, QImage piece) { m_desktop->AddPieceImage(std::move(piece)); });
    // Only the cut reads the picture; the game keeps its pieces and the thumbnail.
    m_sourceReader.reset();
    SetPuzzleThumbnail(thumbnail.Thumbnail(), picture);
}

void TJigsawPlayWindow::RestorePiecePositions()
{
    const TPieces pieces = m_desktop->Pieces();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::optional<QPoint> position =
            StoredPosition(pieces[i], m_geometry.pieceWidth, m_geometry.pieceHeight);
        TPieceImage *image = m_desktop->ImageOfPiece(static_cast<int>(i));
        if (image != nullptr && position)
            m_desktop->PlacePiece(image, position->x(), position->y());
    }
    m_desktop->LayoutPalette();
}

void TJigsawPlayWindow::Activated()
{
    if (m_firstActivation && ProgramWindows().backgroundsDialog != nullptr) {
        ProgramWindows().backgroundsDialog->LoadData(QString());
        if (ProgramWindows().backgroundsDialog->IsTextureChosen())
            m_desktop->SetBackgroundPicture(ProgramWindows().backgroundsDialog->ChosenTexture());
        else
            m_desktop->SetBackgroundColor(ProgramWindows().backgroundsDialog->ChosenColor());
    }
    TPlayWindowBase::Activated();
}

TToolsWindow::TGame TJigsawPlayWindow::ToolsGame()
{
    TToolsWindow::TGame game = TPlayWindowBase::ToolsGame();
    game.desktop = m_desktop;
    game.backgrounds = ProgramWindows().backgroundsDialog.Get();
    game.resetPuzzle = [this] {
        if (m_session != nullptr)
            m_session->ResetGame();
    };
    game.browsePuzzles = [this] { emit BrowseRequested(); };
    return game;
}

void TJigsawPlayWindow::ResetGame()
{
    m_desktop->ResetGame();
    TPlayWindowBase::ResetGame();
}
