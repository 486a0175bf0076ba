#pragma once
// Float TIFFs as GeoTIFFs through GDAL: the placement's geotransform (moved
// to the window's first sample), coordinate system, NoData, scale and unit,
// and the recipe as the ImageDescription that recipes are read back from.

#include "export/TiffPlacement.h"

#include <string>
#include <vector>

// A TiffEncoder. Throws a CommandFailure of FailureKind::Encoding with GDAL's
// text when it refuses (a coordinate system it does not know, among others).
std::vector<unsigned char> EncodeGeoTiff(const HeightWindow& heights, const std::string& recipe,
                                         const TiffPlacement& placement);

// Installs EncodeGeoTiff for every float TIFF the pipeline writes.
void UseGeoTiffs();

// The WKT of a coordinate system given as GDAL takes it ("EPSG:32633", WKT,
// PROJ text); throws a CommandFailure of FailureKind::Setting naming `option`
// when GDAL does not know it.
std::string CrsWkt(const std::string& definition, const std::string& option);

// Metadata item on TIFFs of 0..1 heights (TiffPlacement::unitHeights).
constexpr const char* unitHeightsItem = "GLENVAR_HEIGHTS";
