#pragma once
// One implicit stream-power step with sediment deposition, after Yuan, Braun,
// Guerit et al. (2019), "A new efficient method to solve the stream power law
// model taking into account sediment deposition", with m = 1/2, n = 1:
//
//     dh/dt = U - K sqrt(A) S + (G / A) Qs,   Qs = what the cells upstream
//                                                  lost, uplift included
//
// Uplift is already in the heights given. Walking the stack from the outlets
// upwards, each cell is solved after its receiver,
//
//     h' = (h + (G / A) Qs + f h'_receiver) / (1 + f),   f = K sqrt(A) / d,
//
// and, as Qs depends on the heights upstream that are solved later, the walk
// is repeated with the sediment of the last one until no height moves more
// than `tolerance` (Gauss-Seidel, as the paper does); the first walk starts
// from the losses of the step before. G = 0 needs one walk:
// Braun and Willett's scheme. A cell whose receiver stands above it (water
// crossing a lake) is not cut, only filled. Outlets keep their heights; the
// sediment reaching them leaves with the water. Sequential, fixed order.

#include "landform/FlowGraph.h"

#include <cstdint>
#include <vector>

struct SedimentLaw {
    double erodibility = 0.01;  // K, with the time step and cell size folded in
    double deposition = 0;      // G, dimensionless
    double tolerance = 1e-7;    // of the heights, between two walks
    int32_t maxWalks = 100;
};

class SedimentStep {
  public:
    // Walks done by the last step.
    int32_t Walks() const { return walks_; }

    // `area`, when given, replaces the graph's drained areas (one per cell).
    void Run(const FlowGraph& graph, std::vector<double>& altitudes, const SedimentLaw& law,
             const std::vector<double>* area = nullptr);

  private:
    void Lay(const FlowGraph& graph, const std::vector<double>& h, const SedimentLaw& law,
             const std::vector<double>* area);
    void Accumulate();
    double Walk();
    static void PlainWalk(const FlowGraph& graph, std::vector<double>& h, double erodibility,
                          const std::vector<double>* area);

    // By cell: the losses of the last step, the next one's first guess.
    std::vector<double> loss_;
    // By place in the stack: the receiver's place, f / (1 + f), G / A, the
    // heights before the step and as walked, the losses, and the sediment
    // reaching each from upstream, itself left out.
    std::vector<uint32_t> position_, receiver_;
    std::vector<double> keep_, deposit_, start_, height_, lossInOrder_, sediment_;
    int32_t walks_ = 0;
};
