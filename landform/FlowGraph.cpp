#include "landform/FlowGraph.h"

#include "landform/EdgeOutlets.h"
#include "landform/FlatResolution.h"
#include "landform/FlowRouting.h"
#include "landform/PriorityFlood.h"

#include <optional>

FlowGraph::FlowGraph(int32_t width, int32_t height)
    : width_(width), height_(height), receivers_(size_t(width) * size_t(height)),
      diagonal_(receivers_.size()) {}

FlowGraph FlowGraph::Drained(int32_t width, int32_t height, const std::vector<double>& altitudes,
                             double waterLevel, bool twoThreads, const StageSink& progress) {
    return DrainedOver(width, height, altitudes, waterLevel, twoThreads, progress, Boundary::Wrap,
                       {});
}

FlowGraph FlowGraph::Drained(const AltitudeGrid& grid, double waterLevel, bool twoThreads,
                             const StageSink& progress) {
    return DrainedOver(grid.width, grid.height, grid.altitudes, waterLevel, twoThreads, progress,
                       grid.boundary, EdgeOutlets(grid));
}

FlowGraph FlowGraph::DrainedOver(int32_t width, int32_t height,
                                 const std::vector<double>& altitudes, double waterLevel,
                                 bool twoThreads, const StageSink& progress, Boundary boundary,
                                 const std::vector<uint8_t>& outlets) {
    constexpr int32_t phases = 4;
    const auto phase = [&](int32_t done) {
        ReportOrStop(progress, {ProgressPhase::Draining, done, phases});
    };
    phase(0);
    FlowGraph g(width, height);
    if (altitudes.size() != g.receivers_.size())
        throw std::invalid_argument("the altitudes do not fit the grid");
    if (!outlets.empty() && outlets.size() != altitudes.size())
        throw std::invalid_argument("the outlets do not fit the grid");
    g.filled_ = FillDepressions(width, height, altitudes, waterLevel, outlets, boundary);
    phase(1);
    {
        ChunkWorker worker(twoThreads);
        ::RouteSteepest(width, height, g.filled_.data(), waterLevel, Pits::Unrouted,
                        g.receivers_.data(), g.diagonal_.data(), worker,
                        outlets.empty() ? nullptr : outlets.data());
    }
    if (outlets.empty())
        if (const std::optional<uint32_t> outlet = SoleOutlet(altitudes, waterLevel))
            g.receivers_[*outlet] = *outlet;
    phase(2);
    ResolveFlats(width, height, g.filled_, g.receivers_, g.diagonal_, boundary);
    // Only a NaN altitude, equal to nothing, is left without a way out: it
    // keeps what reaches it rather than send the areas off the grid.
    for (size_t i = 0; i < g.receivers_.size(); ++i)
        if (g.receivers_[i] == noReceiver)
            g.receivers_[i] = uint32_t(i);
    phase(3);
    g.StackAndAccumulate();
    phase(4);
    return g;
}

FlowGraph FlowGraph::OfReceivers(int32_t width, int32_t height, std::vector<uint32_t> receivers) {
    FlowGraph g(width, height);
    if (receivers.size() != g.receivers_.size())
        throw std::invalid_argument("the receivers do not fit the grid");
    g.receivers_ = std::move(receivers);
    for (const uint32_t r : g.receivers_)
        if (r >= g.receivers_.size())
            throw std::invalid_argument("a receiver lies off the grid");
    const TorusCells torus(width, height);
    uint32_t n[8];
    for (uint32_t c = 0; c < g.receivers_.size(); ++c) {
        torus.Neighbours(c, n);
        for (int k = 0; k < 8; ++k)
            if (n[k] == g.receivers_[c] && n[k] != c)
                g.diagonal_[c] = diagonalNeighbour[k];
    }
    g.StackAndAccumulate();
    return g;
}

void FlowGraph::RouteSteepest(const std::vector<double>& surface, double waterLevel,
                              ChunkWorker& worker, const std::vector<uint8_t>& outlets) {
    if (surface.size() != receivers_.size() ||
        (!outlets.empty() && outlets.size() != surface.size()))
        throw std::invalid_argument("the surface does not fit the grid");
    filled_.clear();
    ::RouteSteepest(width_, height_, surface.data(), waterLevel, Pits::Sinks, receivers_.data(),
                    diagonal_.data(), worker, outlets.empty() ? nullptr : outlets.data());
    StackAndAccumulate();
}

void FlowGraph::StackAndAccumulate() {
    if (!Accumulate(receivers_, area_, &stack_))
        throw FlowCycle();
}
