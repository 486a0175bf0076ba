#pragma once
// The map's shapes (export/MapVectors.h) as one GeoJSON feature collection:
// land and lake polygons, river lines with their figures, where
// PlaceShapes put them.

#include "export/MapShapes.h"

#include <string>

std::string GeoJsonText(const MapShapes& shapes);
