#include "landform/AltitudeGrid.h"

#include "core/GEO_MakeLand.h"
#include "data/Failures.h"

namespace {

GEO_MakeLand::GridSize CheckedGrid(const GEO_MakeLand& terrain) {
    const GEO_MakeLand::GridSize size = terrain.CellGridSize();
    if (!size.formsGrid || terrain.GetSize() == 0)
        throw CommandFailure("the map's cells do not form a grid of its size", FailureKind::Layout);
    return size;
}

}  // namespace

AltitudeGrid AltitudesOf(const GEO_MakeLand& terrain) {
    const GEO_MakeLand::GridSize size = CheckedGrid(terrain);
    AltitudeGrid grid(size.width, size.height);
    const LandCell* cells = terrain.GetData();
    for (size_t i = 0; i < grid.altitudes.size(); ++i)
        grid.altitudes[i] = cells[i].altitude;
    return grid;
}

void ApplyAltitudes(GEO_MakeLand& terrain, const AltitudeGrid& grid) {
    const GEO_MakeLand::GridSize size = CheckedGrid(terrain);
    if (size.width != grid.width || size.height != grid.height)
        throw CommandFailure("the altitude grid does not match the map's grid",
                             FailureKind::Layout);
    LandCell* cells = terrain.GetData();
    for (size_t i = 0; i < grid.altitudes.size(); ++i)
        cells[i].altitude = grid.altitudes[i];
}
