#include "windows/desktop/PuzzleDesktop.h"

#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/BackgroundTiling.h"
#include "engine/jigsaw/DesktopColours.h"
#include "engine/jigsaw/DesktopGrid.h"
#include "engine/jigsaw/Joining.h"
#include "engine/jigsaw/PaletteOrder.h"
#include "engine/jigsaw/PieceShape.h"
#include "engine/jigsaw/Random.h"
#include "windows/common/AnimatedImage.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

namespace
{

constexpr int PaletteScrollBarWidth = 16;
constexpr int DockedPanelHeight = 8;
// The strip is this much wider than a piece; pieces sit this far inside it and apart.
constexpr int StripExtraWidth = 10;
constexpr int PaletteInset = 5;
constexpr int PaletteGap = 5;
constexpr int FirstPaletteTop = 5;
constexpr int ExtentShapeSize = 65;
constexpr int PaletteTimerMs = 100;
constexpr int SparkleFrameMs = 100;
constexpr int SparkleLength = 9;
// The sparkle wanders by Random(16) - 8 pixels per frame on each axis.
constexpr int SparkleJitterRange = 16;
constexpr int SparkleJitterOffset = 8;
const QColor StripColour(0, 128, 192);

// Sets the screen cursor back to the default.
void ResetScreenCursor()
{
    while (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::restoreOverrideCursor();
}

} // namespace

TO_pd::TO_pd(QWidget *parent) : QFrame(parent)
{
    CreateComponents();
}

TO_pd::~TO_pd() = default;

QWidget *TO_pd::CreatePanel(int height)
{
    auto *panel = new QWidget(canvas);
    panel->setAutoFillBackground(true);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, ToQColor(WorkspaceColour()));
    panel->setPalette(colours);
    panel->resize(panel->width(), height);
    return panel;
}

void TO_pd::CreateComponents()
{
    ScrollBar_pal = new QScrollBar(Qt::Vertical, this);
    ScrollBar_pal->setFocusPolicy(Qt::NoFocus);
    ScrollBar_pal->setRange(0, 1);
    ScrollBar_pal->setSingleStep(1);
    ScrollBar_pal->setPageStep(1);
    ScrollBar_pal->resize(PaletteScrollBarWidth, height());
    connect(ScrollBar_pal, &QScrollBar::valueChanged, this, &TO_pd::ScrollBar_palChange);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setWidgetResizable(true);
    canvas = new TDesktopCanvas(nullptr);
    canvas->SetBackgroundColour(ToQColor(WorkspaceColour()));
    ScrollBox1->setWidget(canvas);

    Shape_pal = std::make_unique<TShapeItem>(StripColour, Qt::black);
    // As wide as for pieces of no width until the desktop is set up.
    Shape_pal->SetBounds(QRect(0, DockedPanelHeight, StripExtraWidth, 0));
    canvas->AddItem(Shape_pal.get());
    Image_bg = std::make_unique<TPictureItem>();
    Image_bg->SetVisible(false);
    canvas->AddItem(Image_bg.get());

    Panel_margin = CreatePanel(0);
    Panel_margin->resize(PaletteScrollBarWidth + PaletteInset, 0);
    Panel_margin->setMouseTracking(true);
    Panel_margin->installEventFilter(this);
    Panel_top = CreatePanel(DockedPanelHeight);
    Panel_bottom = CreatePanel(DockedPanelHeight);

    AI1 = new TAnimatedImage(canvas, SparkleFrames(), SparkleFrameMs);
    AI1->hide();
    connect(AI1, &TAnimatedImage::FrameChanged, this, &TO_pd::AI1FrameChanged);
    connect(AI1, &TAnimatedImage::Stopped, this, &TO_pd::AI1Stop);

    connect(canvas, &TDesktopCanvas::Resized, this, &TO_pd::LayoutDockedControls);
    connect(canvas, &TDesktopCanvas::ItemMousePressed, this, &TO_pd::ItemMouseDown);
    connect(canvas, &TDesktopCanvas::ItemMouseMoved, this, &TO_pd::ItemMouseMove);
    connect(canvas, &TDesktopCanvas::ItemMouseReleased, this, &TO_pd::ItemMouseUp);

    Timer1 = new QTimer(this);
    Timer1->setInterval(PaletteTimerMs);
    connect(Timer1, &QTimer::timeout, this, &TO_pd::Timer1Timer);
    Timer1->start();

    UpdateExtent();
}

// Docked controls of the scroll box, in desktop coordinates: the top and bottom panels across
// the whole area, the margin panel and the strip on the left, the texture over the rest.
void TO_pd::LayoutDockedControls()
{
    const int width = canvas->width();
    const int height = canvas->height();
    const int middleHeight = std::max(0, height - 2 * DockedPanelHeight);
    Panel_top->setGeometry(0, 0, width, DockedPanelHeight);
    Panel_bottom->setGeometry(0, height - DockedPanelHeight, width, DockedPanelHeight);
    Panel_margin->setGeometry(0, DockedPanelHeight, Panel_margin->width(), middleHeight);
    Shape_pal->SetBounds(
        QRect(Panel_margin->width(), DockedPanelHeight, Shape_pal->Bounds().width(), middleHeight));
    const int textureLeft = Shape_pal->Bounds().right() + 1;
    Image_bg->SetBounds(
        QRect(textureLeft, DockedPanelHeight, std::max(0, width - textureLeft), middleHeight));
}

// The scroll range reaches the extent shape and every piece on the desktop.
void TO_pd::UpdateExtent()
{
    QRect extent = Shape_RD;
    for (const auto &image : images) {
        if (!image->onPalette)
            extent = extent.united(image->Bounds());
    }
    canvas->setMinimumSize(std::max(0, extent.right() + 1), std::max(0, extent.bottom() + 1));
}

QPoint TO_pd::ScrollPosition() const
{
    return {ScrollBox1->horizontalScrollBar()->value(), ScrollBox1->verticalScrollBar()->value()};
}

QPoint TO_pd::ViewPosition(const TPieceImage *image) const
{
    return image->Position() - ScrollPosition();
}

int TO_pd::StripLeftInView() const
{
    return Shape_pal->Bounds().left() - ScrollPosition().x();
}

void TO_pd::SetupDesktop(int cols, int rows, int pieceWidth, int pieceHeight, int margin)
{
    dragged = nullptr;
    images.clear();
    records.clear();
    indexOfRecord.clear();
    paletteRecords.clear();
    AI1->Stop();
    AI1->hide();
    nextPaletteTop = FirstPaletteTop;
    this->cols = cols;
    this->rows = rows;
    ScrollBox1->horizontalScrollBar()->setValue(0);
    ScrollBox1->verticalScrollBar()->setValue(0);
    this->margin = margin;
    this->pieceWidth = pieceWidth;
    this->pieceHeight = pieceHeight;
    outline = std::make_unique<TPieceOutline>(pieceWidth, pieceHeight, margin);
    Shape_RD = QRect(DesktopExtentCorner(cols, rows, CellWidth(), CellHeight()),
                     QSize(ExtentShapeSize, ExtentShapeSize));
    UpdateExtent();
    Shape_pal->SetBounds(QRect(Shape_pal->Position(),
                               QSize(pieceWidth + StripExtraWidth, Shape_pal->Bounds().height())));
    LayoutDockedControls();
    ComputePaletteSlots();
    initialised = true;
}

void TO_pd::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    FrameResize();
}

void TO_pd::FrameResize()
{
    ScrollBar_pal->setGeometry(0, 0, PaletteScrollBarWidth, height());
    ScrollBox1->setGeometry(PaletteScrollBarWidth, 0, std::max(0, width() - PaletteScrollBarWidth),
                            height());
    if (initialised)
        ComputePaletteSlots();
}

void TO_pd::ComputePaletteSlots()
{
    const int available = height() - Panel_bottom->height() - Panel_top->height();
    const TPaletteSlots fitting = ::ComputePaletteSlots(available, pieceHeight);
    paletteSlots = fitting.slotCount;
    paletteTopPad = fitting.topPad;
    RefreshPalette();
}

TPieceImage *TO_pd::AddPiece(const QImage &workBitmap, TKelPigger *record)
{
    if (record == nullptr || outline == nullptr)
        return nullptr;
    QImage bitmap = workBitmap.convertToFormat(QImage::Format_RGB888);
    ShapePiece(bitmap, ReadPieceEdges(*record), *outline, drawBorders);
    return AddPieceImage(PieceDisplayImage(bitmap), record);
}

TPieceImage *TO_pd::AddPieceImage(QImage displayPicture, TKelPigger *record)
{
    if (record == nullptr || outline == nullptr)
        return nullptr;
    auto image = std::make_unique<TPieceImage>(std::move(displayPicture));
    image->onPalette = true;
    image->SetVisible(false);
    image->MoveTo(QPoint(StripLeftInView() + PaletteInset, nextPaletteTop) + ScrollPosition());
    nextPaletteTop += image->Bounds().height() + PaletteGap;
    canvas->AddItem(image.get());
    images.push_back(std::move(image));
    indexOfRecord.insert(record, records.size());
    records.append(record);
    return images.back().get();
}

void TO_pd::PlacePiece(TPieceImage *image, int x, int y)
{
    if (image == nullptr)
        return;
    // Desktop coordinates are the canvas's own.
    image->MoveTo(QPoint(x, y));
    image->onPalette = false;
    image->SetVisible(true);
    UpdateExtent();
}

void TO_pd::LayoutPalette()
{
    paletteRecords.clear();
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (images[i]->onPalette)
            paletteRecords.append(records[static_cast<qsizetype>(i)]);
    }
    SortPaletteRecords(paletteRecords, sortOrder);
    nextPaletteTop = Panel_top->height() + paletteTopPad + PaletteInset;
    const int count = static_cast<int>(paletteRecords.size());
    // Lowering the maximum below the position moves the position, which asks for another
    // layout at the next tick.
    ScrollBar_pal->setRange(0, PaletteScrollMaximum(count, paletteSlots));
    const int first = ScrollBar_pal->value();
    const int left = StripLeftInView() + PaletteInset;
    for (int k = 0; k < count; ++k) {
        TPieceImage *image = ImageOfRecord(paletteRecords[k]);
        if (image == nullptr)
            continue;
        image->MoveTo(QPoint(left, nextPaletteTop) + ScrollPosition());
        canvas->BringToFront(image);
        const bool inWindow = first <= k && k < first + paletteSlots;
        image->SetVisible(inWindow);
        if (inWindow)
            nextPaletteTop += pieceHeight + PaletteGap;
    }
}

void TO_pd::RefreshPalette()
{
    canvas->BringToFront(Shape_pal.get());
    // The margin panel grows with the horizontal scroll so that the strip keeps its place in
    // the view.
    Panel_margin->resize(ScrollBar_pal->width() + ScrollPosition().x() + PaletteInset,
                         Panel_margin->height());
    LayoutDockedControls();
    LayoutPalette();
}

void TO_pd::Timer1Timer()
{
    const QPoint scroll = ScrollPosition();
    if (!paletteDirty && scroll.x() == lastHorzPos && scroll.y() == lastVertPos)
        return;
    lastHorzPos = scroll.x();
    lastVertPos = scroll.y();
    paletteDirty = false;
    RefreshPalette();
}

void TO_pd::ScrollBar_palChange()
{
    paletteDirty = true;
}

void TO_pd::SetSortOrder(int order)
{
    sortOrder = order;
    ScrollBar_pal->setValue(0);
    paletteDirty = true;
}

void TO_pd::ItemMouseDown(TCanvasItem *item, QPoint point)
{
    if (auto *image = dynamic_cast<TPieceImage *>(item))
        ImageMouseDown(image, point.x(), point.y());
}

void TO_pd::ItemMouseMove(TCanvasItem *item, QPoint point)
{
    if (auto *image = dynamic_cast<TPieceImage *>(item))
        ImageMouseMove(image, point.x(), point.y());
    else if (item == Shape_pal.get() || item == Image_bg.get())
        reset_cursorMouseMove();
}

void TO_pd::ItemMouseUp(TCanvasItem *item)
{
    if (auto *image = dynamic_cast<TPieceImage *>(item))
        ImageMouseUp(image);
}

void TO_pd::ImageMouseDown(TPieceImage *image, int X, int Y)
{
    // Only the cell body picks a piece up, not the band that holds its tabs.
    const bool onBody =
        margin < X && X < pieceWidth - margin && margin < Y && Y < pieceHeight - margin;
    if (!onBody)
        return;
    dragged = image;
    canvas->BringToFront(image);
    grabX = X;
    grabY = Y;
}

void TO_pd::ImageMouseMove(TPieceImage *, int X, int Y)
{
    if (dragged == nullptr)
        return;
    dragged->MoveTo(dragged->Position() + QPoint(X - grabX, Y - grabY));
}

void TO_pd::ImageMouseUp(TPieceImage *)
{
    if (dragged != nullptr)
        DropPiece(dragged);
    dragged = nullptr;
    RefreshPalette();
}

void TO_pd::DropPiece(TPieceImage *image)
{
    ResetScreenCursor();
    const int threshold = DropThreshold(StripLeftInView(), Shape_pal->Bounds().width());
    image->onPalette = ViewPosition(image).x() < threshold;
    if (!image->onPalette)
        SnapToDesktop(image);
    StorePosition(image);
    UpdateExtent();
    if (const TKelPigger *record = RecordOfImage(image))
        CheckJoin(record);
    emit OnPieceDropped(this);
}

void TO_pd::SnapToDesktop(TPieceImage *image)
{
    const QPoint scroll = ScrollPosition();
    QPoint view = ViewPosition(image);
    view.setY(std::max(0, view.y()));
    view.setX(SnapToCell(view.x(), scroll.x(), CellWidth()));
    view.setY(SnapToCell(view.y(), scroll.y(), CellHeight()));
    image->MoveTo(view + scroll);
}

void TO_pd::StorePosition(TPieceImage *image)
{
    TKelPigger *record = RecordOfImage(image);
    if (record == nullptr)
        return;
    if (image->onPalette) {
        record->DeleteAttr(PuzzleSchema::KeyPieceLeft);
        record->DeleteAttr(PuzzleSchema::KeyPieceTop);
        return;
    }
    const QPoint desktop = image->Position();
    record->SetAttr(PuzzleSchema::KeyPieceLeft, IntToText(desktop.x()));
    record->SetAttr(PuzzleSchema::KeyPieceTop, IntToText(desktop.y()));
}

void TO_pd::ResetGame()
{
    for (std::size_t i = 0; i < images.size(); ++i) {
        TKelPigger *record = records[static_cast<qsizetype>(i)];
        record->DeleteAttr(PuzzleSchema::KeyPieceLeft);
        record->DeleteAttr(PuzzleSchema::KeyPieceTop);
        images[i]->onPalette = true;
    }
    UpdateExtent();
    LayoutPalette();
}

void TO_pd::SetBackgroundPicture(const QImage &picture)
{
    // Tiled once for the texture's current size; a later resize is not re-tiled.
    const QImage tiled = TileTexture(picture, Image_bg->Bounds().size());
    Image_bg->SetPicture(tiled);
    Image_bg->SetVisible(!picture.isNull());
}

void TO_pd::SetBackgroundColor(TColor colour)
{
    Image_bg->SetVisible(false);
    canvas->SetBackgroundColour(ToQColor(colour));
}

void TO_pd::reset_cursorMouseMove()
{
    if (dragged == nullptr)
        ResetScreenCursor();
}

bool TO_pd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel_margin && event->type() == QEvent::MouseMove)
        reset_cursorMouseMove();
    return QFrame::eventFilter(watched, event);
}

TKelPigger *TO_pd::RecordOfImage(const TPieceImage *image) const
{
    const auto found = std::find_if(images.begin(), images.end(),
                                    [image](const auto &owned) { return owned.get() == image; });
    if (found == images.end())
        return nullptr;
    return records[found - images.begin()];
}

TPieceImage *TO_pd::ImageOfRecord(const TKelPigger *record) const
{
    const auto found = indexOfRecord.constFind(record);
    if (found == indexOfRecord.constEnd())
        return nullptr;
    return images[static_cast<std::size_t>(*found)].get();
}

TJoinGrid TO_pd::Grid() const
{
    return {cols, rows, CellWidth(), CellHeight()};
}

TKelPigger *TO_pd::NeighbourOf(const TKelPigger *record, int direction) const
{
    return ::NeighbourOf(Grid(), record, direction);
}

bool TO_pd::FitsNeighbour(const TKelPigger *record, int direction) const
{
    return ::FitsNeighbour(Grid(), record, direction);
}

TKelPigger *TO_pd::PieceAt(int col, int row) const
{
    return ::PieceAt(Grid(), records, col, row);
}

bool TO_pd::IsSolved() const
{
    return ::IsSolved(Grid(), records);
}

void TO_pd::CheckJoin(const TKelPigger *record)
{
    if (!FirstFittingDirection(Grid(), record))
        return;
    // A fit means both values converted.
    const int left = TextToIntDef(record->GetAttr(PuzzleSchema::KeyPieceLeft), 0);
    const int top = TextToIntDef(record->GetAttr(PuzzleSchema::KeyPieceTop), 0);
    AI1->move(left + pieceWidth / 2, top + pieceHeight / 2);
    AI1->raise();
    sparkleFrames = 0;
    AI1->show();
    AI1->Start();
}

void TO_pd::AI1FrameChanged()
{
    ++sparkleFrames;
    const int dx = ProcessRandom().Random(SparkleJitterRange) - SparkleJitterOffset;
    const int dy = ProcessRandom().Random(SparkleJitterRange) - SparkleJitterOffset;
    AI1->move(AI1->pos() + QPoint(dx, dy));
    if (sparkleFrames < SparkleLength)
        return;
    AI1->Stop();
    AI1->hide();
    sparkleFrames = 0;
}

void TO_pd::AI1Stop()
{
    canvas->update();
}
