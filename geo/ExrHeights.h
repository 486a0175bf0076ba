#pragma once
// Glenvar's EXR heightmap: one float channel "Y" of 0..1 altitudes (or the
// first channel of a one-channel file written elsewhere), through OpenEXR.

#include "geo/HeightReader.h"

ImportedHeights ReadExrHeights(const std::string& path, const HeightReadOptions& options);
