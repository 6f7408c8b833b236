// The helper of scripts/start_cost.sh, which times the real program's starts under a virtual X
// server against what no program can beat:
//   start_cost_probe window          a plain Qt window (a label), shown until it is killed
//   start_cost_probe photo OUT W H   writes a photograph-like JPEG of W × H pixels
//   start_cost_probe decode JPEG     prints the seconds of the fastest of three decodes
#include "BenchPictures.h"
#include "engine/picture/JpegPicture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace
{

int ShowPlainWindow(int argc, char **argv)
{
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("A plain Qt window"));
    label.setWindowTitle(QStringLiteral("Plain Qt window"));
    label.show();
    return application.exec();
}

int WritePhoto(const char *path, int width, int height)
{
    TJpegPicture picture;
    picture.Assign(MakePhotoLikePicture(QSize(width, height)));
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    picture.SaveToStream(file);
    return 0;
}

int TimeDecode(const char *path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    TJpegPicture picture;
    picture.SetData(file.readAll());
    double fastest = std::numeric_limits<double>::max();
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        const QImage bitmap = picture.ToBitmap();
        fastest = std::min(fastest, clock.nsecsElapsed() / 1e9);
        if (bitmap.isNull())
            return 1;
    }
    std::printf("%.4f\n", fastest);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "window") == 0)
        return ShowPlainWindow(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "photo") == 0)
        return WritePhoto(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 3 && std::strcmp(argv[1], "decode") == 0)
        return TimeDecode(argv[2]);
    std::fprintf(stderr, "usage: start_cost_probe window | photo OUT W H | decode JPEG\n");
    return 2;
}
