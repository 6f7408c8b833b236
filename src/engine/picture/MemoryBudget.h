#pragma once
// The memory a puzzle's pictures may take at most. Everything read from a puzzle file is
// measured against it before memory is taken, so a hostile puzzle is refused instead of
// exhausting the machine.

#include <cstdint>

inline constexpr std::int64_t MemoryBudget = std::int64_t{1} << 30; // 1 GiB

// Decoding a JPEG picture takes per pixel its 24-bit bitmap (3 bytes) and, for progressive
// and multi-scan files, libjpeg's whole-image coefficient buffers (2 bytes per sample, up to
// four samples per pixel for CMYK): 3 + 8 bytes at most.
inline constexpr std::int64_t JpegDecodingBytesPerPixel = 11;
