#pragma once
// Heightmaps in the forms terrain engines and GIS tools import: one sample
// per cell, rows from the top. Saved through SaveSafely, so a failure leaves
// the target as it was.

#include "data/Archive.h"

#include <cstdint>
#include <string>
#include <vector>

class HeightWindow;
struct TiffPlacement;

// Raw little-endian 16-bit words, the PNG's samples (HeightSample), no header.
void WriteR16Rows(const HeightWindow& heights, Archive& archive);

// A 32-bit floating-point greyscale TIFF, little-endian, uncompressed: each
// altitude rounded to single precision; the recipe, when given, as its
// ImageDescription. Throws a CommandFailure of FailureKind::Encoding with
// libtiff's text when it refuses, std::bad_alloc when memory runs out.
// With a placement and an installed encoder (export/TiffPlacement.h), the
// encoder writes it as a GeoTIFF instead.
std::vector<unsigned char> EncodeHeightmapTiff(const HeightWindow& heights,
                                               const std::string& recipe = {},
                                               const TiffPlacement* placement = nullptr);
