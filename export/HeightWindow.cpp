#include "export/HeightWindow.h"

#include "core/GEO_MakeLand.h"
#include "data/Failures.h"

HeightWindow HeightWindow::OfCells(const GEO_MakeLand& terrain) {
    const GEO_MakeLand::GridSize size = terrain.CellGridSize();
    if (!size.formsGrid || terrain.GetSize() == 0)
        throw CommandFailure("the map's cells do not form a grid of its size", FailureKind::Layout);
    HeightWindow w;
    w.cells_ = terrain.GetData();
    w.gridWidth_ = w.width_ = size.width;
    w.gridHeight_ = w.height_ = size.height;
    return w;
}

HeightWindow HeightWindow::OfGrid(const AltitudeGrid& grid) {
    HeightWindow w;
    w.grid_ = grid.altitudes.data();
    w.gridWidth_ = w.width_ = grid.width;
    w.gridHeight_ = w.height_ = grid.height;
    return w;
}

HeightWindow HeightWindow::Closed() const {
    HeightWindow w = *this;
    w.width_ += 1;
    w.height_ += 1;
    return w;
}

HeightWindow HeightWindow::Tile(const HeightTile& tile) const {
    HeightWindow w = *this;
    w.x0_ = (x0_ + tile.x) % gridWidth_;
    w.y0_ = (y0_ + tile.y) % gridHeight_;
    w.width_ = tile.width;
    w.height_ = tile.height;
    return w;
}

double HeightWindow::CellAltitude(size_t i) const {
    return cells_[i].altitude;
}

HeightWindow HeightWindow::WithHoles(const uint8_t* holes) const {
    HeightWindow w = *this;
    w.holes_ = holes;
    return w;
}
