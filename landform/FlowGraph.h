#pragma once
// Where water goes over an altitude grid that wraps at all four edges, as
// Braun and Willett (2013) describe it: one receiver per cell, the stack of
// cells from the outlets upwards, and the drained area of every cell. One
// graph is built for a surface and water level; erosion, the lakes, the
// rivers, the water overlay and the water figures all read that one.
//
// Two ways to route it:
// - Drained: depressions filled first (landform/PriorityFlood.h), steepest
//   descent over the filled surface, flats resolved (FlatResolution.h), so
//   every cell reaches an outlet. Lakes, rivers and the figures read this.
// - RouteSteepest: steepest descent over the surface as it stands, a pit
//   keeping its water: erosion's routing, redone every step in the graph's
//   own memory.
//
// Cell indices are 32-bit: up to 2^32 - 2 cells (the largest map has 2^28).

#include "core/ChunkShare.h"
#include "core/ProgressSink.h"
#include "landform/AltitudeGrid.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

// Receivers that lead round in a circle: a fault of the routing, never of the
// map, so it is thrown rather than drained around.
class FlowCycle : public std::logic_error {
  public:
    FlowCycle() : std::logic_error("the flow's receivers form a cycle") {}
};

// What a drained graph holds beyond the altitudes at its peak, for a memory
// check: the graph's 21 bytes a cell with the flood's queues or the flats'
// labels and gradients beside it (about 22.5 measured on 4096 x 4096 maps).
constexpr uint64_t drainageBytesPerCell = 24;

class FlowGraph {
  public:
    FlowGraph() = default;
    FlowGraph(int32_t width, int32_t height);

    // Reports its four phases (filling, routing, flats, accumulation) as
    // Draining; the sink may stop it between them (Stopped). The same graph
    // on one thread or two. Throws std::invalid_argument for altitudes that
    // do not fit the grid, as RouteSteepest does for its surface.
    static FlowGraph Drained(int32_t width, int32_t height, const std::vector<double>& altitudes,
                             double waterLevel, bool twoThreads, const StageSink& progress = {});
    // The same over the grid's own edges: with open edges or NoData, the
    // outlets of landform/EdgeOutlets.h drain it besides its water.
    static FlowGraph Drained(const AltitudeGrid& grid, double waterLevel, bool twoThreads,
                             const StageSink& progress = {});

    // A graph of the given receivers (an outlet is its own), stacked and
    // accumulated; for tests and figures made elsewhere.
    static FlowGraph OfReceivers(int32_t width, int32_t height, std::vector<uint32_t> receivers);

    // Routes afresh by steepest descent over `surface`: cells at or below
    // the water level and pits are their own receivers. Forgets any filling.
    // `outlets` (landform/EdgeOutlets.h; empty: none) keep their water too.
    void RouteSteepest(const std::vector<double>& surface, double waterLevel, ChunkWorker& worker,
                       const std::vector<uint8_t>& outlets = {});

    // Lets a router change receivers and diagonal flags (as one that sends
    // water across depressions does), then stacks and accumulates afresh;
    // throws FlowCycle.
    template <class Change> void Reroute(Change&& change) {
        change(receivers_, diagonal_);
        StackAndAccumulate();
    }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    const std::vector<uint32_t>& Receivers() const { return receivers_; }
    // 1 where a cell's receiver is a corner neighbour (distance sqrt(2)).
    const std::vector<uint8_t>& Diagonal() const { return diagonal_; }
    // Every cell once, each receiver before its donors.
    const std::vector<uint32_t>& Stack() const { return stack_; }
    // Cells draining through a cell, itself included.
    const std::vector<uint32_t>& Area() const { return area_; }
    // The surface the water sees: the altitudes with depressions filled,
    // never below them. Empty when routed on the surface as it stands.
    const std::vector<double>& Filled() const { return filled_; }

  private:
    static FlowGraph DrainedOver(int32_t width, int32_t height,
                                 const std::vector<double>& altitudes, double waterLevel,
                                 bool twoThreads, const StageSink& progress, Boundary boundary,
                                 const std::vector<uint8_t>& outlets);
    // Stack and areas from the receivers; throws FlowCycle.
    void StackAndAccumulate();

    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint32_t> receivers_;
    std::vector<uint8_t> diagonal_;
    std::vector<uint32_t> stack_;
    std::vector<uint32_t> area_;
    std::vector<double> filled_;
};
