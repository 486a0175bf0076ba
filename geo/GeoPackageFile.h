#pragma once
// The map's shapes as a GeoPackage through GDAL: layers "land" and "lakes"
// of polygons and "rivers" of lines, with the GeoJSON's properties, in the
// map's coordinate system.

#include "export/MapShapes.h"

#include <string>
#include <vector>

// A ShapesEncoder. Throws a CommandFailure of FailureKind::Encoding with
// GDAL's text when it refuses.
std::vector<unsigned char> EncodeGeoPackage(const MapShapes& shapes, const std::string& crs);

// Installs EncodeGeoPackage for every --vectors FILE.gpkg.
void UseGeoPackages();
