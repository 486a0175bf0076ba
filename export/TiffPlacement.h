#pragma once
// What makes a float TIFF a GeoTIFF a GIS places: the geotransform of its
// first sample, the coordinate system, the NoData value of the cells without
// a height, and how the samples become heights in metres or feet. Filled by
// the pipeline, written by the GeoTIFF encoder of geo/ (GDAL) when a front
// end installs it; without one, float TIFFs stay plain (the page).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class HeightWindow;

struct TiffPlacement {
    // GDAL's geotransform of the grid's first cell: x0, dx, 0, y0, 0, dy.
    double transform[6] = {0, 1, 0, 0, 0, -1};
    std::string crs;  // WKT; empty: none
    // Samples are written as base + value x span (an import's own units).
    double base = 0;
    double span = 1;
    // The band's scale and unit: what GIS tools multiply the samples by
    // (a grown map's 0..1 heights in metres), 1 and "" when none.
    double scale = 1;
    std::string unit;
    // Written where the window's cells are holes (HeightWindow::Hole).
    std::optional<double> noData;
    // Set on TIFFs of 0..1 heights, so that reading one back keeps them so.
    bool unitHeights = false;
};

// Encodes the window's samples with the recipe as its ImageDescription.
using TiffEncoder = std::vector<unsigned char> (*)(const HeightWindow& heights,
                                                   const std::string& recipe,
                                                   const TiffPlacement& placement);

// The encoder EncodeHeightmapTiff hands every TIFF with a placement to;
// nullptr to write plain TIFFs again. Set once at start-up.
void SetTiffEncoder(TiffEncoder encoder);
TiffEncoder InstalledTiffEncoder();
