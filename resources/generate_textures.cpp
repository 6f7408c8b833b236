// Makes the five desktop textures of the backgrounds dialog. Run by hand when the textures
// change (`cmake --build <dir> --target generate_textures` then run it with resources/textures
// as its argument); its outputs are committed, the normal build never runs it.
//
//   texture1.gif  94 × 94   light grey wavy ripple (GIF: Qt reads GIF but cannot write it, so
//                           the few lines of GIF encoding live here)
//   texture2.jpg  320 × 240 light wood grain
//   texture3.jpg  94 × 94   beige fine speckle
//   texture4.jpg  94 × 94   green fine speckle
//   texture5.jpg  94 × 94   black-and-white fine speckle
//
// Every pattern is periodic in its own size, so the tiled desktop shows no seams. The random
// speckles come from a fixed seed, so a rerun gives the same files.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <numbers>

namespace
{

constexpr double TwoPi = 2.0 * std::numbers::pi;

// Small fixed-seed generator: the textures must not change between runs.
class TSeededNoise
{
public:
    explicit TSeededNoise(std::uint32_t seed) : m_state(seed) {}
    // Uniform in [0, 1).
    double Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) / double(1u << 24);
    }

private:
    std::uint32_t m_state;
};

int ClampByte(double value)
{
    return std::clamp(int(std::lround(value)), 0, 255);
}

// ---- GIF writing: one 8-bit frame, 256-entry grey palette, LZW-compressed. ----

class TGifCodeWriter
{
public:
    void Put(int code, int codeSize)
    {
        m_bits |= std::uint32_t(code) << m_bitCount;
        m_bitCount += codeSize;
        while (m_bitCount >= 8) {
            m_bytes.append(char(m_bits & 0xFF));
            m_bits >>= 8;
            m_bitCount -= 8;
        }
    }
    QByteArray Finish()
    {
        if (m_bitCount > 0)
            m_bytes.append(char(m_bits & 0xFF));
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    std::uint32_t m_bits = 0;
    int m_bitCount = 0;
};

QByteArray LzwCompress(const QByteArray &indices)
{
    constexpr int MinCodeSize = 8;
    constexpr int ClearCode = 1 << MinCodeSize;
    constexpr int EndCode = ClearCode + 1;
    constexpr int MaxCode = 4095;

    TGifCodeWriter writer;
    std::map<std::uint32_t, int> table; // (prefix code << 8 | byte) → code
    int codeSize = MinCodeSize + 1;
    int lastCode = EndCode;
    writer.Put(ClearCode, codeSize);

    int prefix = std::uint8_t(indices[0]);
    for (qsizetype i = 1; i < indices.size(); ++i) {
        const int byte = std::uint8_t(indices[i]);
        const std::uint32_t key = std::uint32_t(prefix) << 8 | std::uint32_t(byte);
        const auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        writer.Put(prefix, codeSize);
        table[key] = ++lastCode;
        // The decoder widens its codes as soon as the table reaches the current width.
        if (lastCode >= (1 << codeSize))
            ++codeSize;
        if (lastCode == MaxCode) {
            writer.Put(ClearCode, codeSize);
            table.clear();
            codeSize = MinCodeSize + 1;
            lastCode = EndCode;
        }
        prefix = byte;
    }
    writer.Put(prefix, codeSize);
    writer.Put(EndCode, codeSize);
    return writer.Finish();
}

void AppendWord(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// A grey picture as a GIF file whose palette entry i is the grey level i.
QByteArray EncodeGreyGif(const QImage &grey)
{
    QByteArray out("GIF89a");
    AppendWord(out, grey.width());
    AppendWord(out, grey.height());
    out.append(char(0xF7)); // global palette of 256 entries, 8-bit colour resolution
    out.append(char(0));    // background index
    out.append(char(0));    // square pixels
    for (int level = 0; level < 256; ++level)
        out.append(3, char(level));

    out.append(char(0x2C)); // image descriptor: the whole screen, no local palette
    AppendWord(out, 0);
    AppendWord(out, 0);
    AppendWord(out, grey.width());
    AppendWord(out, grey.height());
    out.append(char(0));

    QByteArray indices;
    for (int y = 0; y < grey.height(); ++y)
        indices.append(reinterpret_cast<const char *>(grey.constScanLine(y)), grey.width());
    const QByteArray compressed = LzwCompress(indices);
    out.append(char(8)); // minimum code size
    for (qsizetype at = 0; at < compressed.size(); at += 255) {
        const QByteArray block = compressed.mid(at, 255);
        out.append(char(block.size()));
        out.append(block);
    }
    out.append(char(0));    // end of the image data
    out.append(char(0x3B)); // trailer
    return out;
}

// ---- The patterns. ----

QImage WavyRipple()
{
    constexpr int Size = 94;
    QImage grey(Size, Size, QImage::Format_Grayscale8);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const double u = double(x) / Size, v = double(y) / Size;
            const double wave = std::sin(TwoPi * (3 * v + 0.22 * std::sin(TwoPi * 2 * u)));
            const double swell = std::sin(TwoPi * (u + v));
            grey.scanLine(y)[x] = std::uint8_t(ClampByte(212 + 14 * wave + 5 * swell));
        }
    }
    return grey;
}

QImage WoodGrain()
{
    constexpr int Width = 320, Height = 240;
    const double light[3] = {233, 205, 160}, dark[3] = {196, 156, 108};
    TSeededNoise noise(0x5EED0002u);
    // One streak value per row and column phase gives the fine fibres along the grain.
    double fibre[Height];
    for (double &value : fibre)
        value = noise.Next();

    QImage wood(Width, Height, QImage::Format_RGB888);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const double u = double(x) / Width, v = double(y) / Height;
            const double rings =
                7 * v + 0.45 * std::sin(TwoPi * u) + 0.18 * std::sin(TwoPi * (3 * u + 2 * v));
            const double band =
                std::pow(std::sin(std::numbers::pi * (rings - std::floor(rings))), 8);
            const double mix =
                std::clamp(0.55 * band + 0.25 * fibre[y] + 0.08 * noise.Next(), 0.0, 1.0);
            std::uint8_t *pixel = wood.scanLine(y) + 3 * x;
            for (int channel = 0; channel < 3; ++channel)
                pixel[channel] = std::uint8_t(
                    ClampByte(light[channel] + (dark[channel] - light[channel]) * mix));
        }
    }
    return wood;
}

// Fine speckle: every pixel is the base colour moved towards one of two tints by chance.
QImage Speckle(std::uint32_t seed, const double base[3], const double lowTint[3],
               const double highTint[3], double spread)
{
    constexpr int Size = 94;
    TSeededNoise noise(seed);
    QImage speckle(Size, Size, QImage::Format_RGB888);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const double draw = noise.Next();
            const double amount = spread * noise.Next();
            const double *tint = draw < 0.5 ? lowTint : highTint;
            std::uint8_t *pixel = speckle.scanLine(y) + 3 * x;
            for (int channel = 0; channel < 3; ++channel)
                pixel[channel] = std::uint8_t(
                    ClampByte(base[channel] + (tint[channel] - base[channel]) * amount));
        }
    }
    return speckle;
}

bool WriteJpeg(const QImage &image, const QString &path)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    if (writer.write(image))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

// The GIF is checked by reading it back with Qt's own reader: the encoder must be lossless.
bool WriteGreyGif(const QImage &grey, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(EncodeGreyGif(grey)) < 0) {
        std::fprintf(stderr, "%s: cannot write\n", qPrintable(path));
        return false;
    }
    file.close();
    QImageReader reader(path, "gif");
    const QImage back = reader.read().convertToFormat(QImage::Format_Grayscale8);
    if (back != grey) {
        std::fprintf(stderr, "%s: reads back differently (%s)\n", qPrintable(path),
                     qPrintable(reader.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    const double beige[3] = {222, 206, 174}, beigeLow[3] = {176, 156, 120},
                 beigeHigh[3] = {246, 236, 214};
    const double green[3] = {86, 140, 78}, greenLow[3] = {36, 82, 34},
                 greenHigh[3] = {150, 196, 128};
    const double grey[3] = {128, 128, 128}, black[3] = {0, 0, 0}, white[3] = {255, 255, 255};

    const bool written =
        WriteGreyGif(WavyRipple(), folder.filePath(QStringLiteral("texture1.gif"))) &&
        WriteJpeg(WoodGrain(), folder.filePath(QStringLiteral("texture2.jpg"))) &&
        WriteJpeg(Speckle(0x5EED0003u, beige, beigeLow, beigeHigh, 0.8),
                  folder.filePath(QStringLiteral("texture3.jpg"))) &&
        WriteJpeg(Speckle(0x5EED0004u, green, greenLow, greenHigh, 0.8),
                  folder.filePath(QStringLiteral("texture4.jpg"))) &&
        WriteJpeg(Speckle(0x5EED0005u, grey, black, white, 1.0),
                  folder.filePath(QStringLiteral("texture5.jpg")));
    return written ? 0 : 1;
}
