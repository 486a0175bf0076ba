#pragma once
// The altitudes a heightmap file is written from: a window onto a map's
// wrapped grid (its cells, or a grid of altitudes), read without a copy. The
// window may be the grid itself, the grid closed by one more row and column
// repeating the first (the torus closes exactly: N x N cells give the
// N + 1 samples a side terrain engines want, with nothing resampled), or a
// tile of either.

#include "export/HeightLayout.h"
#include "landform/AltitudeGrid.h"

#include <cstdint>

class GEO_MakeLand;
struct LandCell;

class HeightWindow {
  public:
    // The whole grid of the cells. Throws a CommandFailure of
    // FailureKind::Layout when they form no grid of the terrain's size.
    static HeightWindow OfCells(const GEO_MakeLand& terrain);
    static HeightWindow OfGrid(const AltitudeGrid& grid);

    // One row and one column more, repeating the first.
    HeightWindow Closed() const;
    // The tile's rectangle of this window.
    HeightWindow Tile(const HeightTile& tile) const;

    // The same window with the cells marked 1 in `holes` (the grid's size,
    // kept by the caller) as holes.
    HeightWindow WithHoles(const uint8_t* holes) const;

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // The window's first sample on the grid.
    int32_t X0() const { return x0_; }
    int32_t Y0() const { return y0_; }

    double At(int32_t x, int32_t y) const {
        const size_t i = Index(x, y);
        return cells_ ? CellAltitude(i) : grid_[i];
    }
    bool Hole(int32_t x, int32_t y) const { return holes_ && holes_[Index(x, y)]; }

  private:
    HeightWindow() = default;
    size_t Index(int32_t x, int32_t y) const {
        int32_t sx = x0_ + x;
        int32_t sy = y0_ + y;
        sx -= sx >= gridWidth_ ? gridWidth_ : 0;
        sy -= sy >= gridHeight_ ? gridHeight_ : 0;
        return size_t(sy) * size_t(gridWidth_) + size_t(sx);
    }
    double CellAltitude(size_t i) const;

    const LandCell* cells_ = nullptr;
    const double* grid_ = nullptr;
    const uint8_t* holes_ = nullptr;
    int32_t gridWidth_ = 0;
    int32_t gridHeight_ = 0;
    int32_t x0_ = 0;  // within the grid; the window reaches at most one grid beyond
    int32_t y0_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
};
