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

namespace {

// Quinn's weights from cell c to its lower neighbours of the outlets'
// basins; false when it has none, or lies in a pit's basin.
bool Shares(uint32_t c, const std::vector<double>& surface, const std::vector<uint32_t>& basins,
            const GridNeighbours& grid, int64_t (&n)[8], double (&weight)[8], double& total) {
    if (basins[c] != 0)
        return false;
    static constexpr bool diagonal[8] = {true, false, true, false, false, true, false, true};
    const uint32_t w = uint32_t(grid.Width());
    grid.Of(int32_t(c % w), int32_t(c / w), n);
    total = 0;
    for (int k = 0; k < 8; ++k) {
        const bool open = n[k] >= 0 && basins[size_t(n[k])] == 0;
        const double drop = open ? surface[c] - surface[size_t(n[k])] : 0.0;
        weight[k] = drop > 0 ? (diagonal[k] ? drop / 4 : drop / 2) : 0.0;
        total += weight[k];
    }
    return total > 0;
}

}  // namespace

std::vector<double> MultipleFlowAreaWhileEroding(const FlowGraph& graph,
                                                 const std::vector<double>& surface,
                                                 const std::vector<uint32_t>& basins,
                                                 const GridNeighbours& grid) {
    const std::vector<uint32_t>& rec = graph.Receivers();
    const size_t cells = rec.size();
    std::vector<double> area(cells, 1.0);
    if (basins.size() != cells || surface.size() != cells) {
        std::copy(graph.Area().begin(), graph.Area().end(), area.begin());
        return area;
    }
    int64_t n[8];
    double weight[8], total = 0;
    // Donors still to come, per cell; a cell gives once all have given.
    std::vector<uint8_t> waiting(cells, 0);
    for (uint32_t c = 0; c < cells; ++c) {
        if (rec[c] == c)
            continue;
        if (Shares(c, surface, basins, grid, n, weight, total)) {
            for (int k = 0; k < 8; ++k)
                if (weight[k] > 0)
                    ++waiting[size_t(n[k])];
        } else {
            ++waiting[rec[c]];
        }
    }
    std::vector<uint32_t> ready;
    ready.reserve(cells);
    for (uint32_t c = 0; c < cells; ++c)
        if (waiting[c] == 0)
            ready.push_back(c);
    const auto receive = [&](uint32_t to, double share) {
        area[to] += share;
        if (--waiting[to] == 0)
            ready.push_back(to);
    };
    for (size_t next = 0; next < ready.size(); ++next) {
        const uint32_t c = ready[next];
        if (rec[c] == c)
            continue;
        if (Shares(c, surface, basins, grid, n, weight, total)) {
            for (int k = 0; k < 8; ++k)
                if (weight[k] > 0)
                    receive(uint32_t(n[k]), area[c] * (weight[k] / total));
        } else {
            receive(rec[c], area[c]);
        }
    }
    return area;
}
