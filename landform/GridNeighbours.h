#pragma once
// The eight neighbours of a cell in reading order (NW, N, NE, W, E, SW, S,
// SE, as landform/FlowRouting.h orders them), honouring the grid's boundary:
// -1 where a neighbour lies past an open edge. Inner cells take the short
// way, so a pass over a large grid pays for the edge only at the edge.

#include "landform/Boundary.h"

#include <cstdint>

class GridNeighbours {
  public:
    GridNeighbours(int32_t width, int32_t height, Boundary boundary)
        : width_(width), height_(height), boundary_(boundary) {}

    void Of(int32_t x, int32_t y, int64_t out[8]) const {
        if (x > 0 && y > 0 && x < width_ - 1 && y < height_ - 1) {
            const int64_t c = int64_t(y) * width_ + x;
            out[0] = c - width_ - 1, out[1] = c - width_, out[2] = c - width_ + 1;
            out[3] = c - 1, out[4] = c + 1;
            out[5] = c + width_ - 1, out[6] = c + width_, out[7] = c + width_ + 1;
            return;
        }
        static constexpr int8_t dx[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
        static constexpr int8_t dy[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
        for (int k = 0; k < 8; ++k)
            out[k] = NeighbourCell(x, y, dx[k], dy[k], width_, height_, boundary_);
    }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    Boundary Edge() const { return boundary_; }

  private:
    int32_t width_, height_;
    Boundary boundary_;
};
