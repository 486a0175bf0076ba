#pragma once
// Any single-band raster GDAL reads: an elevation model in metres or feet
// (Int16, UInt16, Int32, Float32, Float64 and the like) with its NoData and
// georeference, or a greyscale PNG or float TIFF heightmap of Glenvar's.
// Only GDAL's drivers for single files of heights are allowed: no virtual
// raster (which names other files) and no network path is ever opened.

#include "geo/HeightReader.h"

ImportedHeights ReadGdalRaster(const std::string& path, const HeightReadOptions& options);

// GDAL set up once for this process: its drivers registered, its messages
// kept off the terminal (every failure is reported in our own words).
void PrepareGdal();
