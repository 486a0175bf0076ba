#include "landform/WaterOverlay.h"

namespace {

int32_t RiverRadius(uint64_t area, uint64_t threshold) {
    int32_t r = 0;
    while (r < maxRiverRadius && uint64_t(r + 2) * uint64_t(r + 2) * threshold <= area)
        ++r;
    return r;
}

}  // namespace

void DrawWaters(Picture& picture, const std::vector<double>& altitudes, const FlowGraph& flow,
                const std::vector<uint8_t>& lakes, const std::vector<uint8_t>& rivers,
                double waterLevel, uint32_t threshold, Boundary boundary) {
    const int32_t w = picture.width, h = picture.height;
    if (size_t(w) * size_t(h) != altitudes.size())
        return;
    for (size_t i = 0; i < altitudes.size(); ++i)
        if (lakes[i])
            picture.pixels[i] = waterOverlayPixel;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            if (!rivers[i])
                continue;
            const int32_t r = RiverRadius(flow.Area()[i], threshold);
            for (int32_t dy = -r; dy <= r; ++dy) {
                for (int32_t dx = -r; dx <= r; ++dx) {
                    if (dx * dx + dy * dy > r * r)
                        continue;
                    const int64_t n = NeighbourCell(x, y, dx, dy, w, h, boundary);
                    if (n < 0)
                        continue;
                    const size_t p = size_t(n);
                    if (altitudes[p] > waterLevel)
                        picture.pixels[p] = waterOverlayPixel;
                }
            }
        }
    }
}
