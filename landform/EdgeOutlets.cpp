#include "landform/EdgeOutlets.h"

std::vector<uint8_t> EdgeOutlets(const AltitudeGrid& grid) {
    const int32_t w = grid.width;
    const int32_t h = grid.height;
    const bool open = grid.boundary == Boundary::Open;
    const bool holes = !grid.noData.empty();
    if (!open && !holes)
        return {};
    std::vector<uint8_t> outlets(size_t(w) * size_t(h), 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const size_t c = size_t(y) * size_t(w) + size_t(x);
            if (open && OnBorder(x, y, w, h))
                outlets[c] = 1;
            if (!holes || !grid.noData[c])
                continue;
            outlets[c] = 1;
            for (int32_t dy = -1; dy <= 1; ++dy) {
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    const int64_t n = NeighbourCell(x, y, dx, dy, w, h, grid.boundary);
                    if (n >= 0)
                        outlets[size_t(n)] = 1;
                }
            }
        }
    }
    return outlets;
}
