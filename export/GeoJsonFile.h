#pragma once
// The map's shapes (export/MapVectors.h) as one GeoJSON feature collection:
// land and lake polygons, river lines with their figures, in metres.

#include "export/MapVectors.h"

#include <string>
#include <vector>

struct MapShapes {
    std::vector<VectorPolygon> land;
    std::vector<VectorPolygon> lakes;
    std::vector<RiverReach> rivers;
    double cellMetres = 1;
};

std::string GeoJsonText(const MapShapes& shapes);
