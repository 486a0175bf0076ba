#include "landform/Drainage.h"

#include "landform/FlowRouting.h"

#include <limits>
#include <queue>

namespace {

constexpr double unreached = -std::numeric_limits<double>::infinity();

struct Spill {
    double level;
    uint32_t cell;
};

// The priority queue's order: lowest level first, then lowest index, so
// that the queue's state is the same under any standard library.
struct Later {
    bool operator()(const Spill& a, const Spill& b) const {
        return a.level > b.level || (a.level == b.level && a.cell > b.cell);
    }
};

using OpenQueue = std::priority_queue<Spill, std::vector<Spill>, Later>;

// Water cells keep their altitude. The flood starts from the land cells
// beside water, at their own altitude: they are what an outlet's flood
// would reach first, so the outlets themselves need no turn in the queue.
void SeedFromWater(int32_t width, int32_t height, const std::vector<double>& altitudes,
                   double waterLevel, std::vector<double>& filled, OpenQueue& open) {
    for (size_t i = 0; i < altitudes.size(); ++i)
        if (altitudes[i] <= waterLevel)
            filled[i] = altitudes[i];
    uint32_t n[8];
    for (int32_t y = 0; y < height; ++y) {
        const TorusRow row(width, height, y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = row.mid + uint32_t(x);
            if (filled[c] != unreached)
                continue;
            row.Neighbours(x, n);
            for (int k = 0; k < 8; ++k) {
                if (altitudes[n[k]] <= waterLevel) {
                    filled[c] = altitudes[c];
                    open.push({filled[c], c});
                    break;
                }
            }
        }
    }
}

}  // namespace

std::optional<uint32_t> SoleOutlet(const std::vector<double>& altitudes, double waterLevel) {
    if (altitudes.empty())
        return std::nullopt;
    size_t lowest = 0;
    for (size_t i = 0; i < altitudes.size(); ++i) {
        if (altitudes[i] <= waterLevel)
            return std::nullopt;
        if (altitudes[i] < altitudes[lowest])
            lowest = i;
    }
    return uint32_t(lowest);
}

std::vector<double> FillDepressions(int32_t width, int32_t height,
                                    const std::vector<double>& altitudes, double waterLevel) {
    std::vector<double> filled(altitudes.size(), unreached);
    if (altitudes.empty())
        return filled;
    OpenQueue open;
    if (const std::optional<uint32_t> outlet = SoleOutlet(altitudes, waterLevel)) {
        filled[*outlet] = altitudes[*outlet];
        open.push({filled[*outlet], *outlet});
    } else {
        SeedFromWater(width, height, altitudes, waterLevel, filled, open);
    }
    // The pit holds cells raised to the level of the cell that reached them;
    // they all share that level, so a stack serves as well as a queue.
    std::vector<uint32_t> pit;
    const TorusCells torus(width, height);
    uint32_t n[8];
    for (;;) {
        uint32_t c;
        if (!pit.empty()) {
            c = pit.back();
            pit.pop_back();
        } else if (!open.empty()) {
            c = open.top().cell;
            open.pop();
        } else {
            break;
        }
        const double level = filled[c];
        torus.Neighbours(c, n);
        for (int k = 0; k < 8; ++k) {
            const uint32_t m = n[k];
            if (filled[m] != unreached)
                continue;
            if (altitudes[m] <= level) {
                filled[m] = level;
                pit.push_back(m);
            } else {
                filled[m] = altitudes[m];
                open.push({filled[m], m});
            }
        }
    }
    return filled;
}

void RouteFlats(int32_t width, int32_t height, const std::vector<double>& filled,
                std::vector<uint32_t>& receivers) {
    if (receivers.empty())
        return;
    constexpr uint32_t pending = noReceiver - 1;  // in the next layer, not yet routed
    const TorusCells torus(width, height);
    uint32_t n[8];
    const auto routedOnLevel = [&](uint32_t c) -> uint32_t {
        torus.Neighbours(c, n);
        for (int k = 0; k < 8; ++k)
            if (receivers[n[k]] < pending && filled[n[k]] == filled[c])
                return n[k];
        return noReceiver;
    };
    // Layer d holds the cells d steps from the flat's routed cells; each
    // takes a receiver from layer d - 1, chosen before any of layer d is
    // routed, so the choice cannot depend on the order within a layer.
    std::vector<uint32_t> layer, next, chosen;
    for (size_t c = 0; c < receivers.size(); ++c)
        if (receivers[c] == noReceiver && routedOnLevel(uint32_t(c)) != noReceiver)
            layer.push_back(uint32_t(c));
    while (!layer.empty()) {
        chosen.resize(layer.size());
        for (size_t k = 0; k < layer.size(); ++k)
            chosen[k] = routedOnLevel(layer[k]);
        for (size_t k = 0; k < layer.size(); ++k)
            receivers[layer[k]] = chosen[k];
        next.clear();
        for (const uint32_t c : layer) {
            torus.Neighbours(c, n);
            for (int k = 0; k < 8; ++k) {
                if (receivers[n[k]] == noReceiver && filled[n[k]] == filled[c]) {
                    receivers[n[k]] = pending;
                    next.push_back(n[k]);
                }
            }
        }
        layer.swap(next);
    }
}

Drainage Drain(int32_t width, int32_t height, const std::vector<double>& altitudes,
               double waterLevel, bool twoThreads) {
    Drainage d;
    d.filled = FillDepressions(width, height, altitudes, waterLevel);
    d.receivers.resize(altitudes.size());
    {
        ChunkWorker worker(twoThreads);
        RouteSteepest(width, height, d.filled.data(), waterLevel, Pits::Unrouted,
                      d.receivers.data(), nullptr, worker);
    }
    if (const std::optional<uint32_t> outlet = SoleOutlet(altitudes, waterLevel))
        d.receivers[*outlet] = *outlet;
    RouteFlats(width, height, d.filled, d.receivers);
    Accumulate(d.receivers, d.area, nullptr);
    return d;
}
