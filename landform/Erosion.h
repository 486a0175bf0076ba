#pragma once
// Erosion of an altitude grid that wraps at all four edges, the same bytes on
// one thread or two and on any machine (only + - * / and sqrt).
//
// Stream power: the implicit scheme of Braun and Willett (2013), "A very
// efficient O(n), implicit and parallel method to solve the stream power
// equation governing fluvial incision and landscape evolution", with
// m = 1/2, n = 1 and no uplift. Each step routes the flow graph afresh by
// steepest descent, then, walking its stack from the outlets upwards, moves
// every cell towards its receiver's new height:
//
//     h' = h - (h - h'_receiver) * f / (1 + f),   f = K * sqrt(A) / d
//
// with A the cells it drains (itself included), d the distance to the
// receiver (1, or sqrt(2) on a diagonal) and K the erodibility: the time step
// and the cell spacing are folded into it. At K = 0.01 a cell draining
// 100 cells closes about a tenth of its drop to the receiver per step, one
// draining 10,000 half of it: ten steps cut visible valleys into a smoothed
// map of the default size. Water (at or below the water level) is the
// base level and stays; a pit keeps the flow it gathers, as the drainage
// fills it afterwards. A cell only ever comes down, and never below 0.
//
// Thermal (talus) erosion in gather form: every cell reads its neighbours'
// heights of the previous step only, so neither the order of the cells nor
// the threads can matter. Where two neighbours differ by more than the talus
// (times sqrt(2) across a diagonal), a sixteenth of the excess moves from the
// higher to the lower. The pair exchanges the same amount both ways, so the
// total is kept; over eight neighbours a cell gives away at most half of its
// excess, so nothing overshoots. Heights are held to [0, 1].
//
// Both keep the outlets of landform/EdgeOutlets.h (`outlets`, empty for
// none) at their height: the border of a map with open edges and its NoData.

#include "core/ProgressSink.h"
#include "landform/FlowGraph.h"

#include <cstdint>
#include <vector>

constexpr double defaultErodibility = 0.01;
constexpr double defaultTalus = 0.01;  // of the height range, per cell

// Scratch beyond the altitudes, for a memory check: the flow graph's
// receivers, areas and stack (4 bytes each), diagonal flags and donor
// counts (1 each); the talus steps' second grid.
constexpr uint64_t streamPowerBytesPerCell = 14;
constexpr uint64_t thermalBytesPerCell = 8;

// One stream-power step over a graph routed by steepest descent on these
// very altitudes (FlowGraph::RouteSteepest). erodibility >= 0.
void StreamPowerStep(const FlowGraph& graph, std::vector<double>& altitudes, double erodibility);

// Steps of routing and eroding, each reported as Eroding; the sink may stop
// them between steps (Stopped), the altitudes then part-eroded.
void ErodeStreamPower(int32_t width, int32_t height, std::vector<double>& altitudes,
                      double waterLevel, int32_t steps, double erodibility, bool twoThreads,
                      const StageSink& progress = {}, const std::vector<uint8_t>& outlets = {});

// talus >= 0. Each step reported as Slumping, and stopped between as above.
void ErodeThermal(int32_t width, int32_t height, std::vector<double>& altitudes, int32_t steps,
                  double talus, bool twoThreads, const StageSink& progress = {},
                  const std::vector<uint8_t>& outlets = {});
