#pragma once
// Heightmaps in the forms terrain engines and GIS tools import: one sample
// per cell, rows from the top. Saved through SaveSafely, so a failure leaves
// the target as it was.

#include "data/Archive.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

class GEO_MakeLand;

// libtiff refused to encode, or the cells form no grid; the text says which.
class HeightmapFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Raw little-endian 16-bit words, the PNG's samples (HeightSample), no header.
void WriteR16Rows(const GEO_MakeLand& terrain, Archive& archive);

// A 32-bit floating-point greyscale TIFF, little-endian, uncompressed: each
// altitude rounded to single precision. Throws HeightmapFailure when libtiff
// refuses, std::bad_alloc when memory runs out.
std::vector<unsigned char> EncodeHeightmapTiff(const GEO_MakeLand& terrain);
