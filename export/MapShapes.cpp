#include "export/MapShapes.h"

#include <algorithm>

namespace {

ShapesEncoder geoPackageEncoder = nullptr;

}  // namespace

void PlaceShapes(MapShapes& shapes, const double t[6], int32_t rows) {
    const double cell = shapes.cellMetres;
    const auto place = [&](VectorPoint& p) {
        const double column = p.x / cell;
        const double row = double(rows) - p.y / cell;
        p = {t[0] + column * t[1] + row * t[2], t[3] + column * t[4] + row * t[5]};
    };
    // A transform that mirrors the map (north down) would turn every ring over.
    const bool mirrors = t[2] * t[4] - t[1] * t[5] < 0;
    for (std::vector<VectorPolygon>* polygons : {&shapes.land, &shapes.lakes})
        for (VectorPolygon& polygon : *polygons)
            for (std::vector<VectorPoint>& ring : polygon.rings) {
                std::for_each(ring.begin(), ring.end(), place);
                if (mirrors)
                    std::reverse(ring.begin(), ring.end());
            }
    for (RiverReach& reach : shapes.rivers)
        std::for_each(reach.line.begin(), reach.line.end(), place);
}

void SetGeoPackageEncoder(ShapesEncoder encoder) {
    geoPackageEncoder = encoder;
}

ShapesEncoder InstalledGeoPackageEncoder() {
    return geoPackageEncoder;
}
