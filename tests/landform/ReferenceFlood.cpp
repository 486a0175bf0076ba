#include "ReferenceFlood.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

std::vector<size_t> ReferenceNeighbours(int32_t width, int32_t height, size_t cell) {
    const int64_t w = width, h = height;
    const int64_t x = int64_t(cell) % w, y = int64_t(cell) / w;
    std::vector<size_t> out;
    for (int64_t dy = -1; dy <= 1; ++dy)
        for (int64_t dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0)
                out.push_back(size_t(((y + dy + h) % h) * w + (x + dx + w) % w));
    return out;
}

std::vector<double> ReferenceFill(int32_t width, int32_t height,
                                  const std::vector<double>& altitudes, double waterLevel) {
    using Entry = std::pair<double, size_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    std::vector<double> filled(altitudes);
    std::vector<bool> closed(altitudes.size(), false);
    size_t lowest = 0;
    for (size_t i = 0; i < altitudes.size(); ++i) {
        if (altitudes[i] <= waterLevel) {
            open.push({altitudes[i], i});
            closed[i] = true;
        }
        if (altitudes[i] < altitudes[lowest])
            lowest = i;
    }
    if (open.empty() && !altitudes.empty()) {
        open.push({altitudes[lowest], lowest});
        closed[lowest] = true;
    }
    while (!open.empty()) {
        const auto [level, c] = open.top();
        open.pop();
        for (const size_t n : ReferenceNeighbours(width, height, c)) {
            if (closed[n])
                continue;
            closed[n] = true;
            filled[n] = std::max(altitudes[n], level);
            open.push({filled[n], n});
        }
    }
    return filled;
}
