#pragma once
// JPEG files made with libjpeg itself, for inputs the program never writes (greyscale, CMYK,
// other qualities), and a reader of the quantisation tables a file carries.

#include <QByteArray>
#include <array>
#include <vector>

enum class TJpegTestColour { Rgb, Grey, Cmyk };

// width × height pixels of `components` bytes each (3 RGB, 1 grey, 4 CMYK), row after row.
QByteArray EncodeTestJpeg(const std::vector<unsigned char> &pixels, int width, int height,
                          TJpegTestColour colour, int quality, bool progressive = false);

// The quantisation tables of a file in natural (row-major) order, by table number; empty on
// any error.
std::vector<std::array<int, 64>> ReadQuantTables(const QByteArray &file);

// Whether the first frame header is baseline (SOF0), and its number of components.
bool IsBaseline(const QByteArray &file);
int ComponentCount(const QByteArray &file);
