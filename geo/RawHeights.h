#pragma once
// Glenvar's raw heightmap: little-endian 16-bit samples (altitude x 65535),
// no header. Its size comes from the sidecar NAME.r16.json written beside it,
// or from the caller; a file whose length is not exactly that is refused.

#include "geo/HeightReader.h"

ImportedHeights ReadRawHeights(const std::string& path, const HeightReadOptions& options);
