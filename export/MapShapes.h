#pragma once
// The map's shapes (export/MapVectors.h) as the vector files carry them:
// land and lake polygons, river lines with their figures, placed where the
// map lies. GeoJSON is written here; GeoPackage by the encoder geo/ (GDAL)
// installs, so that the page, without GDAL, refuses it plainly.

#include "export/MapVectors.h"

#include <string>
#include <vector>

struct MapShapes {
    std::vector<VectorPolygon> land;
    std::vector<VectorPolygon> lakes;
    std::vector<RiverReach> rivers;
    double cellMetres = 1;  // for the drained areas
};

// Moves the shapes from metres off the map's south-west corner (a grid of
// `rows` rows, `cellMetres` a side) to GDAL's geotransform of its first
// cell; rings keep their turn (outlines counter-clockwise) whatever the
// transform's orientation.
void PlaceShapes(MapShapes& shapes, const double transform[6], int32_t rows);

// The shapes as a file in the coordinate system `crs` (WKT; empty: none).
using ShapesEncoder = std::vector<unsigned char> (*)(const MapShapes& shapes,
                                                     const std::string& crs);

// The GeoPackage encoder; nullptr when none is installed. Set once at start-up.
void SetGeoPackageEncoder(ShapesEncoder encoder);
ShapesEncoder InstalledGeoPackageEncoder();
