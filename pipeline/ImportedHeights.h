#pragma once
// Heights a map pipeline did not grow: an elevation model, a heightmap of
// Glenvar's or another tool's. The heights keep the units they came in; the
// cells that hold none are marked; the georeference travels on to the TIFFs
// written from them. The readers live above (geo/); this is their result.

#include "landform/AltitudeGrid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

// The largest raster taken, a side and in cells: a header claiming more is
// refused before anything is allocated. The memory check covers the rest.
constexpr int32_t maxImportSide = 65536;
constexpr int64_t maxImportCells = int64_t{1} << 30;

// Heights as Glenvar grows them (0..1, water level 0.5 unless told), or an
// elevation model's in metres or feet (sea level 0 unless told).
enum class HeightUnits { Unitless, Metres, Feet };

// "unitless", "metre" or "foot", as sidecars and `info --json` write them.
const char* HeightUnitsName(HeightUnits units);

// Where the grid lies on the Earth, in GDAL's terms.
struct Georeference {
    bool placed = false;  // the file had a geotransform
    double transform[6] = {0, 1, 0, 0, 0, -1};
    std::string crs;  // WKT; empty without a coordinate system
    std::optional<double> noData;
};

struct ImportedHeights {
    std::string path;        // for every message about it
    std::string sampleType;  // "Int16", "Float32", "UInt16 PNG", …
    HeightUnits units = HeightUnits::Unitless;
    // How finely the file holds 0..1 heights: 8 or 16 for samples over their
    // full range, 32 for single-precision floats, 64 for doubles. The water
    // level is held as finely, so a cell at the level stays water.
    int32_t sampleBits = 64;
    AltitudeGrid heights;  // in their units; noData marks the cells without
    Georeference geo;
};

// The refusals every importer shares, each naming the file: fewer than 2 x 2
// cells or more than the largest raster, a NaN or an infinity, every cell
// NoData or all one height, a NoData value inside the range of the heights.
// Throws a CommandFailure of FailureKind::File; otherwise gives the lowest
// and highest height of the cells that hold one.
std::pair<double, double> CheckImported(const ImportedHeights& imported);
