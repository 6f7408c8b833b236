// The picture editor on a 4000 × 3000 photograph: opening it (the JPEG decode included) as a
// ratio to the decode alone, and one step of the scale view's slider at 50 % (the editor's
// image resized and its visible part repainted) as a ratio to a plain fill of the visible area.
// The editor has its default size. Processor time of the whole process (Qt paints large scaled
// pictures on a thread pool), measured in this run, so that other work on the machine and the
// waits for a window to be shown do not count.

#include "BenchPictures.h"
#include "RatioReporter.h"
#include "engine/picture/JpegPicture.h"
#include "windows/common/ProgramWindows.h"
#include "windows/maker/PictureEditor.h"
#include "windows/maker/PictureView.h"
#include "windows/maker/ScaleDialog.h"

#include <QApplication>
#include <QDir>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace
{

constexpr int PictureWidth = 4000;
constexpr int PictureHeight = 3000;
constexpr int StepPosition = 50;

QByteArray MakeJpeg()
{
    const QImage picture = MakePhotoLikePicture({PictureWidth, PictureHeight});
    TJpegPicture jpeg;
    jpeg.Assign(picture);
    return jpeg.Data();
}

// Processes the window's pending repaint now, as the event loop would.
void SyncPaint(QWidget *window)
{
    QEvent request(QEvent::UpdateRequest);
    QApplication::sendEvent(window, &request);
}

// The floor: a window of the visible area's size whose painting is one fill.
class TFillWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(128, 128, 128));
    }
};

struct TFixture {
    QTemporaryDir folder; // the editor makes its sources folder beside the working folder
    QByteArray jpeg = MakeJpeg();
    TScaleDialog scale;

    TFixture()
    {
        QDir().mkpath(folder.filePath(QStringLiteral("program")));
        QDir::setCurrent(folder.filePath(QStringLiteral("program")));
        ProgramWindows().scaleDialog.Publish(&scale);
    }
    ~TFixture() { ProgramWindows().scaleDialog.Publish(nullptr); }
};

// Made in main, after the application object and destroyed before it.
TFixture *fixture = nullptr;

void BM_DecodeJpeg(benchmark::State &state)
{
    TJpegPicture picture;
    picture.SetData(fixture->jpeg);
    for (auto _ : state)
        benchmark::DoNotOptimize(picture.ToBitmap());
}

// From creating the editor to its first painted frame, closed at once.
void BM_OpenEditor(benchmark::State &state)
{
    TJpegPicture picture;
    picture.SetData(fixture->jpeg);
    for (auto _ : state) {
        TPictureEditor editor;
        QTimer::singleShot(0, &editor, [&] {
            if (!QTest::qWaitForWindowExposed(&editor))
                state.SkipWithError("the editor was not shown");
            editor.reject();
        });
        editor.EditPicture(picture, QStringLiteral("Source picture"));
    }
}

void BM_FillVisibleArea(benchmark::State &state)
{
    TPictureEditor editor;
    editor.show();
    TFillWindow fill;
    fill.resize(editor.m_pictureScroll->viewport()->size());
    editor.hide();
    fill.show();
    if (!QTest::qWaitForWindowExposed(&fill))
        state.SkipWithError("the fill window was not shown");
    for (auto _ : state)
        fill.repaint();
}

// The scale view at 50 %, its slider moved one step to either side and back by the keyboard.
void BM_SliderStepAt50(benchmark::State &state)
{
    TJpegPicture picture;
    picture.SetData(fixture->jpeg);
    TPictureEditor editor;
    QTimer::singleShot(0, &editor, [&] {
        if (!QTest::qWaitForWindowExposed(&editor))
            state.SkipWithError("the editor was not shown");
        // Set once the editor is up, so that it fires in the scale view's own loop.
        QTimer::singleShot(0, &fixture->scale, [&] {
            TScaleDialog &scale = fixture->scale;
            if (!QTest::qWaitForWindowExposed(&scale))
                state.SkipWithError("the scale view was not shown");
            scale.m_scaleSlider->setValue(StepPosition);
            SyncPaint(&editor);
            bool right = true;
            for (auto _ : state) {
                QTest::keyClick(scale.m_scaleSlider, right ? Qt::Key_Right : Qt::Key_Left);
                right = !right;
                SyncPaint(&editor);
            }
            scale.reject();
        });
        QTest::mouseClick(editor.m_scaleButton, Qt::LeftButton);
        editor.reject();
    });
    editor.EditPicture(picture, QStringLiteral("Source picture"));
}

BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_OpenEditor)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FillVisibleArea)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_SliderStepAt50)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// Each row against its own floor; a row whose work or floor a filter left out is not printed.
void PrintRatios(const TRatioReporter &times)
{
    const double decode = times.CpuTime("BM_DecodeJpeg");
    const double open = times.CpuTime("BM_OpenEditor");
    const double fill = times.CpuTime("BM_FillVisibleArea");
    const double step = times.CpuTime("BM_SliderStepAt50");
    const bool openRan = decode > 0 && open > 0;
    const bool stepRan = fill > 0 && step > 0;
    if (!openRan && !stepRan)
        return;
    std::printf("\nPicture editor, %d x %d JPEG, default window size:\n", PictureWidth,
                PictureHeight);
    if (openRan)
        std::printf("%-28s %8.2f x decode\n", "open the editor", open / decode);
    if (stepRan)
        std::printf("%-28s %8.2f x fill of the visible area\n", "slider step at 50 %", step / fill);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    const auto made = std::make_unique<TFixture>();
    fixture = made.get();
    RunBenchmarksAndPrintRatios(PrintRatios);
    return 0;
}
