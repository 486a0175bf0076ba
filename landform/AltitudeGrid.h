#pragma once
// The altitudes of a map as a plain grid (row-major), which the stages
// reshape. It is always a copy: the seed's map stays as the generator made
// it. A grown map wraps at all edges; an imported one may be open and hold
// NoData cells (landform/Boundary.h).

#include "landform/Boundary.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class GEO_MakeLand;

struct AltitudeGrid {
    AltitudeGrid() = default;
    AltitudeGrid(int32_t w, int32_t h, double fill = 0.0)
        : width(w), height(h), altitudes(size_t(w) * size_t(h), fill) {}

    double& at(int32_t x, int32_t y) { return altitudes[size_t(y) * size_t(width) + size_t(x)]; }
    double at(int32_t x, int32_t y) const {
        return altitudes[size_t(y) * size_t(width) + size_t(x)];
    }

    int32_t width = 0;
    int32_t height = 0;
    std::vector<double> altitudes;
    Boundary boundary = Boundary::Wrap;
    // 1 where a cell holds no height; empty when every cell holds one.
    std::vector<uint8_t> noData;
};

// A copy of the cells' altitudes. Throws a CommandFailure of
// FailureKind::Layout when the cells form no grid of the terrain's size.
AltitudeGrid AltitudesOf(const GEO_MakeLand& terrain);

// Puts the grid's altitudes into the cells of a terrain of the same grid, for
// a front end that shows or writes the shaped map through the terrain's own
// renderer and writers. Never meant for the seed's map while a map file of it
// is still to be written. Throws FailureKind::Layout on a size mismatch.
void ApplyAltitudes(GEO_MakeLand& terrain, const AltitudeGrid& grid);
