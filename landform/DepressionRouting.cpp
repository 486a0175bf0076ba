#include "landform/DepressionRouting.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr uint32_t noLink = UINT32_MAX;
constexpr bool diagonalAt[8] = {true, false, true, false, false, true, false, true};

// Union-find over the nodes, path halving; the smaller index wins a union so
// that no choice depends on anything but the links' order.
uint32_t RootOf(std::vector<uint32_t>& parent, uint32_t n) {
    while (parent[n] != n) {
        parent[n] = parent[parent[n]];
        n = parent[n];
    }
    return n;
}

}  // namespace

bool DepressionRouter::IsOutlet(uint32_t cell, const std::vector<double>& surface,
                                double waterLevel, const std::vector<uint8_t>& noData) const {
    if (!(surface[cell] > waterLevel) || (!noData.empty() && noData[cell]))
        return true;
    if (grid_.Edge() != Boundary::Open)
        return false;
    const int32_t w = grid_.Width();
    return OnBorder(int32_t(cell % uint32_t(w)), int32_t(cell / uint32_t(w)), w, grid_.Height());
}

void DepressionRouter::Label(const FlowGraph& graph, const std::vector<double>& surface,
                             double waterLevel, const std::vector<uint8_t>& noData) {
    const std::vector<uint32_t>& rec = graph.Receivers();
    const uint32_t cells = uint32_t(rec.size());
    // Without any outlet the lowest pit takes the water: a map all above
    // its water still drains somewhere, as the drainage does.
    uint32_t forced = noLink;
    bool outlet = false;
    for (uint32_t c = 0; c < cells && !outlet; ++c) {
        if (rec[c] != c)
            continue;
        if (IsOutlet(c, surface, waterLevel, noData))
            outlet = true;
        else if (forced == noLink || surface[c] < surface[forced])
            forced = c;
    }
    if (outlet)
        forced = noLink;
    basin_.resize(cells);
    pitOf_.assign(1, 0);
    for (const uint32_t c : graph.Stack()) {
        const uint32_t r = rec[c];
        if (r != c) {
            basin_[c] = basin_[r];
        } else if (c == forced || IsOutlet(c, surface, waterLevel, noData)) {
            basin_[c] = 0;
        } else {
            basin_[c] = uint32_t(pitOf_.size());
            pitOf_.push_back(c);
        }
    }
    // The pits' cells grouped by node, each group in index order.
    const size_t nodes = pitOf_.size();
    cellsAt_.assign(nodes + 1, 0);
    for (uint32_t c = 0; c < cells; ++c)
        ++cellsAt_[basin_[c]];
    cellsAt_[0] = 0;  // the base level's cells are never scanned
    std::exclusive_scan(cellsAt_.begin(), cellsAt_.end(), cellsAt_.begin(), 0u);
    cells_.resize(cellsAt_[nodes]);
    std::vector<uint32_t> next(cellsAt_.begin(), cellsAt_.end() - 1);
    for (uint32_t c = 0; c < cells; ++c)
        if (basin_[c] != 0)
            cells_[next[basin_[c]]++] = c;
}

void DepressionRouter::FindLinks(const std::vector<double>& surface) {
    links_.clear();
    const uint32_t nodes = uint32_t(pitOf_.size());
    bestLink_.assign(nodes, -1);
    std::vector<uint32_t> touched;
    const uint32_t w = uint32_t(grid_.Width());
    int64_t n[8];
    for (uint32_t p = 1; p < nodes; ++p) {
        for (uint32_t i = cellsAt_[p]; i < cellsAt_[p + 1]; ++i) {
            const uint32_t c = cells_[i];
            grid_.Of(int32_t(c % w), int32_t(c / w), n);
            for (int k = 0; k < 8; ++k) {
                if (n[k] < 0)
                    continue;
                const uint32_t o = basin_[size_t(n[k])];
                // Each pair of pits once, from the lower; the base level from every pit.
                if (o == p || (o != 0 && o < p))
                    continue;
                const double pass = std::max(surface[c], surface[size_t(n[k])]);
                const Link link{p, o, c, uint32_t(n[k]), pass, diagonalAt[k]};
                int64_t& best = bestLink_[o];
                if (best < 0) {
                    best = int64_t(links_.size());
                    links_.push_back(link);
                    touched.push_back(o);
                } else if (pass < links_[size_t(best)].pass) {
                    links_[size_t(best)] = link;
                }
            }
        }
        for (const uint32_t o : touched)
            bestLink_[o] = -1;
        touched.clear();
    }
}

void DepressionRouter::SpanningTree() {
    const uint32_t nodes = uint32_t(pitOf_.size());
    std::vector<uint32_t> order(links_.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
        return links_[a].pass < links_[b].pass || (links_[a].pass == links_[b].pass && a < b);
    });
    std::vector<uint32_t> parent(nodes);
    std::iota(parent.begin(), parent.end(), 0u);
    // The tree's links by node, to walk it from the base level.
    std::vector<uint32_t> degree(nodes + 1, 0);
    std::vector<uint32_t> tree;
    for (const uint32_t l : order) {
        const uint32_t a = RootOf(parent, links_[l].low), b = RootOf(parent, links_[l].high);
        if (a == b)
            continue;
        parent[std::max(a, b)] = std::min(a, b);
        tree.push_back(l);
        ++degree[links_[l].low];
        ++degree[links_[l].high];
    }
    std::exclusive_scan(degree.begin(), degree.end(), degree.begin(), 0u);
    std::vector<uint32_t> adjacent(tree.size() * 2);
    std::vector<uint32_t> fill(degree.begin(), degree.end() - 1);
    for (const uint32_t l : tree) {
        adjacent[fill[links_[l].low]++] = l;
        adjacent[fill[links_[l].high]++] = l;
    }
    parentLink_.assign(nodes, noLink);
    std::vector<uint8_t> seen(nodes, 0);
    std::vector<uint32_t> queue{0};
    seen[0] = 1;
    for (size_t q = 0; q < queue.size(); ++q) {
        const uint32_t node = queue[q];
        for (uint32_t i = degree[node]; i < degree[node + 1]; ++i) {
            const Link& link = links_[adjacent[i]];
            const uint32_t other = link.low == node ? link.high : link.low;
            if (seen[other])
                continue;
            seen[other] = 1;
            parentLink_[other] = adjacent[i];
            queue.push_back(other);
        }
    }
}

void DepressionRouter::Carve(FlowGraph& graph) {
    crossed_ = 0;
    graph.Reroute([this](std::vector<uint32_t>& rec, std::vector<uint8_t>& diagonal) {
        for (uint32_t p = 1; p < parentLink_.size(); ++p) {
            if (parentLink_[p] == noLink)
                continue;  // cut off from every outlet: the pit keeps its water
            const Link& link = links_[parentLink_[p]];
            const bool inLow = link.low == p;
            // From the pass cell down to the pit, each cell drains to the one
            // it received from; the pass cell drains across the pass.
            uint32_t previous = inLow ? link.to : link.from;
            uint8_t previousDiagonal = link.diagonal;
            for (uint32_t c = inLow ? link.from : link.to;;) {
                const uint32_t next = rec[c];
                const uint8_t nextDiagonal = diagonal[c];
                rec[c] = previous;
                diagonal[c] = previousDiagonal;
                if (next == c)
                    break;
                previous = c;
                previousDiagonal = nextDiagonal;
                c = next;
            }
            ++crossed_;
        }
    });
}

void DepressionRouter::HoldOutlets(FlowGraph& graph, const std::vector<uint8_t>& noData) const {
    // An open border and NoData keep their water whatever routed it
    // before: they are outlets, never donors.
    const int32_t w = grid_.Width(), h = grid_.Height();
    const bool open = grid_.Edge() == Boundary::Open;
    const auto outlet = [&](uint32_t c) {
        return (!noData.empty() && noData[c]) ||
               (open && OnBorder(int32_t(c % uint32_t(w)), int32_t(c / uint32_t(w)), w, h));
    };
    const std::vector<uint32_t>& rec = graph.Receivers();
    bool routed = false;
    for (uint32_t c = 0; c < rec.size() && !routed && (open || !noData.empty()); ++c)
        routed = outlet(c) && rec[c] != c;
    if (!routed)
        return;
    graph.Reroute([&](std::vector<uint32_t>& receivers, std::vector<uint8_t>& diagonal) {
        for (uint32_t c = 0; c < receivers.size(); ++c)
            if (outlet(c)) {
                receivers[c] = c;
                diagonal[c] = 0;
            }
    });
}

void DepressionRouter::Route(FlowGraph& graph, const std::vector<double>& surface,
                             double waterLevel, const std::vector<uint8_t>& noData) {
    HoldOutlets(graph, noData);
    Label(graph, surface, waterLevel, noData);
    crossed_ = 0;
    if (pitOf_.size() == 1)
        return;
    FindLinks(surface);
    SpanningTree();
    Carve(graph);
}
