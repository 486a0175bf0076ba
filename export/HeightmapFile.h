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
