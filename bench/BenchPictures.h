#pragma once
// What the benchmarks work on: a photograph-like picture and, for benchmarks run once per
// photograph size, those sizes as arguments, one fixture per size and the names of the runs.

#include <QImage>
#include <QSize>
#include <QString>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <string>
#include <utility>

// Smooth colour fields with fine texture, so that its JPEG is of photographic size and the
// encoder and decoder work as they do on real photographs.
inline QImage MakePhotoLikePicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const int texture = ((x * 7 + y * 13) ^ (x * y)) & 15;
            row[3 * x] = static_cast<uchar>(x * 240 / size.width() + texture);
            row[3 * x + 1] = static_cast<uchar>(y * 240 / size.height() + texture);
            row[3 * x + 2] = static_cast<uchar>((x + y) % 240 + texture);
        }
    }
    return picture;
}

// A 12- and a 20-megapixel photograph.
inline constexpr QSize PhotoSizes[] = {{4000, 3000}, {5472, 3648}};

// Each photograph size as the benchmark's first two arguments (width, height).
inline void PhotoSizeArguments(benchmark::internal::Benchmark *benchmark)
{
    for (const QSize size : PhotoSizes)
        benchmark->Args({size.width(), size.height()});
}

// The fixture for the size in the benchmark's first two arguments, made on first use and kept
// for the other benchmarks of that size.
template <typename TFixture> TFixture &FixtureForSize(const benchmark::State &state)
{
    static std::map<std::pair<int, int>, std::unique_ptr<TFixture>> fixtures;
    const QSize size(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::unique_ptr<TFixture> &fixture = fixtures[{size.width(), size.height()}];
    if (!fixture)
        fixture = std::make_unique<TFixture>(size);
    return *fixture;
}

// Google Benchmark's name of a run on a photograph size, with a thread count as third argument
// when `threads` > 0, timed on the process's processor time when `processTime` and on the wall
// clock.
inline std::string PhotoRunName(const char *benchmark, QSize size, int threads = 0,
                                bool processTime = true)
{
    QString name = QStringLiteral("%1/%2/%3").arg(benchmark).arg(size.width()).arg(size.height());
    if (threads > 0)
        name += QStringLiteral("/%1").arg(threads);
    if (processTime)
        name += QStringLiteral("/process_time");
    return (name + QStringLiteral("/real_time")).toStdString();
}
