#include "landform/MultipleFlow.h"

#include <algorithm>

std::vector<double> MultipleFlowArea(const FlowGraph& drained, const GridNeighbours& grid) {
    const std::vector<uint32_t>& rec = drained.Receivers();
    const std::vector<uint32_t>& stack = drained.Stack();
    const std::vector<double>& surface = drained.Filled();
    std::vector<double> area(rec.size(), 1.0);
    if (surface.size() != rec.size()) {
        std::copy(drained.Area().begin(), drained.Area().end(), area.begin());
        return area;
    }
    std::vector<uint32_t> place(rec.size());
    for (size_t p = 0; p < stack.size(); ++p)
        place[stack[p]] = uint32_t(p);
    std::vector<uint32_t> order(stack.rbegin(), stack.rend());
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return surface[a] > surface[b] || (surface[a] == surface[b] && place[a] > place[b]);
    });
    static constexpr bool diagonal[8] = {true, false, true, false, false, true, false, true};
    const uint32_t w = uint32_t(grid.Width());
    int64_t n[8];
    double weight[8];
    for (const uint32_t c : order) {
        if (rec[c] == c)
            continue;  // an outlet keeps what it drains
        grid.Of(int32_t(c % w), int32_t(c / w), n);
        double total = 0;
        for (int k = 0; k < 8; ++k) {
            const double drop = n[k] < 0 ? 0.0 : surface[c] - surface[size_t(n[k])];
            weight[k] = drop > 0 ? (diagonal[k] ? drop / 4 : drop / 2) : 0.0;
            total += weight[k];
        }
        if (!(total > 0)) {
            area[rec[c]] += area[c];
            continue;
        }
        for (int k = 0; k < 8; ++k)
            if (weight[k] > 0)
                area[size_t(n[k])] += area[c] * (weight[k] / total);
    }
    return area;
}
