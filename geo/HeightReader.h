#pragma once
// Reads the heights `glenvar-cli shape` and `glenvar.load` take from a file,
// by its form: Glenvar's heightmaps (16-bit PNG, .r16 with its sidecar or a
// given size, float TIFF, EXR) and any single-band raster GDAL reads (an
// elevation model in metres or feet, with NoData and a georeference). Map
// files (.ld, .dat) are no heights: the front ends load those as maps.

#include "pipeline/ImportedHeights.h"

#include <cstdint>
#include <functional>
#include <string>

struct HeightReadOptions {
    // A .r16's size when it has no sidecar; 0 x 0: from the sidecar.
    int32_t rawWidth = 0;
    int32_t rawHeight = 0;
    // Called with the raster's size once it is known and before its cells
    // are allocated: the front end's memory check, which throws to refuse.
    std::function<void(int32_t width, int32_t height)> checkSize;
};

// Throws a CommandFailure of FailureKind::File naming the path for anything
// it cannot read as heights: a truncated or damaged file, several bands, a
// size beyond maxImportSide, and what CheckImported refuses.
ImportedHeights ReadHeights(const std::string& path, const HeightReadOptions& options = {});

// Whether the path names a map file (.ld, .dat), which is loaded as a map.
bool IsMapFilePath(const std::string& path);
