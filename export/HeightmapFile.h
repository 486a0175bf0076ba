#pragma once
// Heightmaps in the forms terrain engines and GIS tools import: one sample
// per cell, rows from the top. Saved through SaveSafely, so a failure leaves
// the target as it was.

#include "data/Archive.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class HeightWindow;

// libtiff refused to encode; the text is its own.
class HeightmapFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Raw little-endian 16-bit words, the PNG's samples (HeightSample), no header.
void WriteR16Rows(const HeightWindow& heights, Archive& archive);

// A 32-bit floating-point greyscale TIFF, little-endian, uncompressed: each
// altitude rounded to single precision; the recipe, when given, as its
// ImageDescription. Throws HeightmapFailure when libtiff refuses,
// std::bad_alloc when memory runs out.
std::vector<unsigned char> EncodeHeightmapTiff(const HeightWindow& heights,
                                               const std::string& recipe = {});

// The bytes EncodeHeightmapTiff reserves for its file; the estimate of memory
// and the writer read the same figure. Header, samples and the directory with
// its strip tables (two words a strip, a strip at least a row).
inline uint64_t TiffFileBytes(int32_t width, int32_t height) {
    return uint64_t(width) * uint64_t(height) * sizeof(float) + uint64_t(height) * 16 + 65536;
}
// Its peak beside the map: the file, a row of floats and libtiff's strip
// tables (each strip's offset and size as 64-bit words while writing).
inline uint64_t TiffEncodingBytes(int32_t width, int32_t height) {
    return TiffFileBytes(width, height) + uint64_t(width) * sizeof(float) + uint64_t(height) * 16;
}
