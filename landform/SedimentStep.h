#pragma once
// One implicit stream-power step with sediment deposition, after Yuan, Braun,
// Guerit et al. (2019), "A new efficient method to solve the stream power law
// model taking into account sediment deposition", with m = 1/2, n = 1:
//
//     dh/dt = U - K sqrt(A) S + (G / A) Qs,   Qs = what the cells upstream
//                                                  lost, uplift included
//
// Uplift is already in the heights given. Each cell is solved after its
// receiver,
//
//     h' = (h + (G / A) Qs + f h'_receiver) / (1 + f),   f = K sqrt(A) / d,
//
// a cell whose receiver stands at or above what it would reach uncut
// (water crossing a lake, or filling) is only filled: h' = h + (G / A) Qs.
// Qs depends on the heights upstream and they on the heights below, but
// along the tree of receivers the system solves exactly in two walks: up the
// stack from its top, each cell's loss is an affine function of its
// receiver's loss, and the sediment it sends an affine function of its own;
// down the stack the losses follow. Which cells are cut is guessed from the
// heights before the step and the walks are redone, with the guesses that
// proved wrong turned, until every cell agrees (usually one or two rounds).
// G = 0 needs one walk: Braun and Willett's scheme. Outlets keep their
// heights; the sediment reaching them leaves with the water. Sequential,
// fixed order, only + - * /: the same bytes everywhere.

#include "landform/FlowGraph.h"

#include <cstdint>
#include <vector>

struct SedimentLaw {
    double erodibility = 0.01;  // K, with the time step and cell size folded in
    double deposition = 0;      // G, dimensionless
    int32_t maxRounds = 100;    // of the two walks, when guesses keep turning
};

class SedimentStep {
  public:
    // Rounds of the two walks done by the last step (1 for G = 0).
    int32_t Rounds() const { return rounds_; }

    // `area`, when given, replaces the graph's drained areas (one per cell).
    void Run(const FlowGraph& graph, std::vector<double>& altitudes, const SedimentLaw& law,
             const std::vector<double>* area = nullptr);

  private:
    void Lay(const FlowGraph& graph, const std::vector<double>& h, const SedimentLaw& law,
             const std::vector<double>* area);
    // `all`: every tree, as in the first round.
    void SolveUp(bool all);
    int64_t SolveDown();
    static void PlainWalk(const FlowGraph& graph, std::vector<double>& h, double erodibility,
                          const std::vector<double>* area);

    // By place in the stack: the receiver's place, f, G / A, the heights
    // before the step and the drop to the receiver, whether the cell is cut
    // (and has turned); going up, the sediment sent
    // in as c + e (own loss), then the loss as a + b (receiver's loss) in
    // the same two arrays; and the losses.
    std::vector<uint32_t> position_, receiver_;
    std::vector<double> f_, deposit_, start_, drop_, c_, e_, loss_;
    std::vector<uint8_t> cut_;
    // By place: the place of the cell's outlet; by an outlet's place:
    // whether its tree is solved this round, and again the next.
    std::vector<uint32_t> root_;
    std::vector<uint8_t> redo_, again_;
    int32_t rounds_ = 0;
};
