#pragma once
// Linear hillslope diffusion, dh/dt = D (d2h/dx2 + d2h/dy2), split into one
// backward-Euler sweep along the rows and one along the columns (the locally
// one-dimensional scheme of Yanenko): each a tridiagonal system per row or
// column, cyclic on a wrapping grid (Sherman-Morrison). Every sweep's matrix
// is diagonally dominant with a positive inverse, so any D is stable and no
// height leaves the range of its neighbourhood: Peaceman and Rachford's
// half-explicit steps, second-order in time, overshoot far beyond it at
// large D once cells are held. Cells at or below the water level, NoData
// cells and the border of an open grid hold their heights. Lines are
// independent and each is solved in a fixed order, so the bytes do not
// depend on the threads. Along an axis of fewer than three cells nothing
// diffuses.

#include "core/ChunkShare.h"
#include "landform/Boundary.h"

#include <cstdint>
#include <vector>

class HillslopeDiffusion {
  public:
    HillslopeDiffusion(int32_t width, int32_t height, Boundary boundary,
                       const std::vector<uint8_t>& noData)
        : width_(width), height_(height), boundary_(boundary), noData_(noData) {}

    // One step of D (cells squared per step) on the heights.
    void Step(std::vector<double>& altitudes, double waterLevel, double diffusivity,
              ChunkWorker& worker);

  private:
    void MarkHeld(const std::vector<double>& altitudes, double waterLevel);
    void Sweep(std::vector<double>& heights, double r, bool rows, ChunkWorker& worker) const;

    int32_t width_, height_;
    Boundary boundary_;
    std::vector<uint8_t> noData_;  // a copy: callers may hand over a temporary
    std::vector<uint8_t> held_;
};
