#include "landform/Waters.h"

#include "landform/FlowRouting.h"

#include <algorithm>

namespace {

// Groups of set cells, eight-connected across the wrapping edges (never across open ones).
int64_t CountGroups(int32_t width, int32_t height, const std::vector<uint8_t>& mask,
                    Boundary boundary) {
    if (mask.empty())
        return 0;
    std::vector<uint8_t> seen(mask.size(), 0);
    std::vector<uint32_t> stack;
    const TorusCells torus(width, height, boundary);
    uint32_t n[8];
    int64_t groups = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        if (!mask[i] || seen[i])
            continue;
        ++groups;
        seen[i] = 1;
        stack.push_back(uint32_t(i));
        while (!stack.empty()) {
            const uint32_t c = stack.back();
            stack.pop_back();
            torus.Neighbours(c, n);
            for (const uint32_t m : n) {
                if (mask[m] && !seen[m]) {
                    seen[m] = 1;
                    stack.push_back(m);
                }
            }
        }
    }
    return groups;
}

}  // namespace

std::vector<uint8_t> LakeMask(const std::vector<double>& altitudes, const FlowGraph& flow) {
    std::vector<uint8_t> lakes(altitudes.size(), 0);
    const std::vector<double>& filled = flow.Filled();
    if (filled.size() != altitudes.size())
        return lakes;
    for (size_t i = 0; i < altitudes.size(); ++i)
        lakes[i] = filled[i] > altitudes[i];
    return lakes;
}

std::vector<uint8_t> RiverMask(const std::vector<double>& altitudes, const FlowGraph& flow,
                               const std::vector<uint8_t>& lakes, double waterLevel,
                               uint32_t threshold) {
    std::vector<uint8_t> rivers(altitudes.size());
    const std::vector<uint32_t>& area = flow.Area();
    for (size_t i = 0; i < altitudes.size(); ++i)
        rivers[i] = altitudes[i] > waterLevel && !lakes[i] && area[i] >= threshold;
    return rivers;
}

WaterFigures CountWaters(int32_t width, int32_t height, const std::vector<double>& altitudes,
                         const FlowGraph& flow, const std::vector<uint8_t>& lakes,
                         const std::vector<uint8_t>& rivers, double waterLevel, Boundary boundary) {
    WaterFigures f;
    int64_t land = 0, largestBasin = 0;
    for (size_t i = 0; i < altitudes.size(); ++i) {
        const bool isLand = altitudes[i] > waterLevel;
        land += isLand;
        f.riverCells += rivers[i];
        f.lakeCells += lakes[i];
        // Only land flows, so an outlet in the water drains its area but itself.
        if (flow.Receivers()[i] == i)
            largestBasin = std::max(largestBasin, int64_t(flow.Area()[i]) - !isLand);
    }
    f.lakeCount = CountGroups(width, height, lakes, boundary);
    f.largestBasinShare = land > 0 ? double(largestBasin) / double(land) : 0.0;
    return f;
}
