#include "support/JpegTestFiles.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace
{

struct TTestErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void JumpOnError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<TTestErrorManager *>(cinfo->err)->jump, 1);
}

int ComponentsOf(TJpegTestColour colour)
{
    switch (colour) {
    case TJpegTestColour::Grey:
        return 1;
    case TJpegTestColour::Cmyk:
        return 4;
    default:
        return 3;
    }
}

J_COLOR_SPACE ColourSpaceOf(TJpegTestColour colour)
{
    switch (colour) {
    case TJpegTestColour::Grey:
        return JCS_GRAYSCALE;
    case TJpegTestColour::Cmyk:
        return JCS_CMYK;
    default:
        return JCS_RGB;
    }
}

// Returns the malloc'd file or null; the test data is always valid, so errors are not expected.
unsigned char *Encode(const unsigned char *pixels, int width, int height, TJpegTestColour colour,
                      int quality, bool progressive, unsigned long *size)
{
    jpeg_compress_struct cinfo;
    TTestErrorManager error;
    unsigned char *buffer = nullptr;
    cinfo.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = JumpOnError;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return nullptr;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = ComponentsOf(colour);
    cinfo.in_color_space = ColourSpaceOf(colour);
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const int stride = width * ComponentsOf(colour);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto *row = const_cast<unsigned char *>(pixels + stride * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return buffer;
}

// Walks the marker segments before the first scan; calls visit(marker, segment) for each.
template <typename Visit> void ForEachSegment(const QByteArray &file, Visit visit)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(file.constData());
    qsizetype at = 2;
    while (at + 4 <= file.size() && bytes[at] == 0xFF) {
        const int marker = bytes[at + 1];
        const int length = bytes[at + 2] << 8 | bytes[at + 3];
        if (at + 2 + length > file.size())
            return;
        visit(marker, QByteArray(file.constData() + at + 4, length - 2));
        if (marker == 0xDA)
            return;
        at += 2 + length;
    }
}

// Position in natural order of the k-th coefficient in the file's zigzag order.
constexpr int ZigzagToNatural[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

} // namespace

QByteArray EncodeTestJpeg(const std::vector<unsigned char> &pixels, int width, int height,
                          TJpegTestColour colour, int quality, bool progressive)
{
    unsigned long size = 0;
    unsigned char *buffer =
        Encode(pixels.data(), width, height, colour, quality, progressive, &size);
    if (buffer == nullptr)
        return QByteArray();
    QByteArray file(reinterpret_cast<const char *>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return file;
}

std::vector<std::array<int, 64>> ReadQuantTables(const QByteArray &file)
{
    std::vector<std::array<int, 64>> tables;
    ForEachSegment(file, [&](int marker, const QByteArray &segment) {
        if (marker != 0xDB)
            return;
        const auto *bytes = reinterpret_cast<const unsigned char *>(segment.constData());
        for (qsizetype at = 0; at + 65 <= segment.size(); at += 65) {
            const std::size_t number = bytes[at] & 15;
            if (bytes[at] >> 4 != 0)
                return; // 16-bit tables are not baseline
            if (tables.size() <= number)
                tables.resize(number + 1);
            for (int k = 0; k < 64; ++k)
                tables[number][ZigzagToNatural[k]] = bytes[at + 1 + k];
        }
    });
    return tables;
}

bool IsBaseline(const QByteArray &file)
{
    int firstFrame = 0;
    ForEachSegment(file, [&](int marker, const QByteArray &) {
        if (firstFrame == 0 && marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 &&
            marker != 0xC8 && marker != 0xCC)
            firstFrame = marker;
    });
    return firstFrame == 0xC0;
}

int ComponentCount(const QByteArray &file)
{
    int components = 0;
    ForEachSegment(file, [&](int marker, const QByteArray &segment) {
        if (components == 0 && marker >= 0xC0 && marker <= 0xC2 && segment.size() > 5)
            components = static_cast<unsigned char>(segment[5]);
    });
    return components;
}
