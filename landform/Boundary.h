#pragma once
// What lies past a grid's edge. A grown map wraps at all four edges (a
// torus); an imported elevation model is open: water leaves over its border,
// whose cells are outlets kept at their height, and no neighbourhood reaches
// across. NoData cells of an open map are outlets too.

#include <cstdint>

enum class Boundary : uint8_t { Wrap, Open };

// The index of cell (x + dx, y + dy) on a width x height grid, or -1 when it
// lies past an open edge. |dx| and |dy| at most the grid's size.
inline int64_t NeighbourCell(int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t width,
                             int32_t height, Boundary boundary) {
    int32_t nx = x + dx;
    int32_t ny = y + dy;
    if (boundary == Boundary::Open) {
        if (nx < 0 || ny < 0 || nx >= width || ny >= height)
            return -1;
    } else {
        nx = ((nx % width) + width) % width;
        ny = ((ny % height) + height) % height;
    }
    return int64_t(ny) * width + nx;
}

// A border cell of an open grid: an outlet.
inline bool OnBorder(int32_t x, int32_t y, int32_t width, int32_t height) {
    return x == 0 || y == 0 || x == width - 1 || y == height - 1;
}
