#include "landform/SedimentStep.h"

#include <algorithm>
#include <cmath>

namespace {

// A cell's state: bit 0 whether it is cut, the bits above how often it
// turned.
constexpr uint8_t cutBit = 1, turn = 2, maxTurns = 4;

}  // namespace

void SedimentStep::Lay(const FlowGraph& graph, const std::vector<double>& h, const SedimentLaw& law,
                       const std::vector<double>* areas) {
    // Everything the walks read, laid out in stack order: the walks then
    // stream through memory, and only a receiver's entries are read out of
    // place, usually not far back.
    const std::vector<uint32_t>& stack = graph.Stack();
    const std::vector<uint32_t>& rec = graph.Receivers();
    const std::vector<uint32_t>& area = graph.Area();
    const std::vector<uint8_t>& diagonalReceiver = graph.Diagonal();
    const size_t n = stack.size();
    const double straight = law.erodibility;
    const double diagonal = law.erodibility / std::sqrt(2.0);
    position_.resize(n);
    for (size_t p = 0; p < n; ++p)
        position_[stack[p]] = uint32_t(p);
    receiver_.resize(n);
    f_.resize(n);
    deposit_.resize(n);
    start_.resize(n);
    drop_.resize(n);
    c_.resize(n);
    e_.resize(n);
    loss_.resize(n);
    cut_.resize(n);
    root_.resize(n);
    for (size_t p = 0; p < n; ++p) {
        const uint32_t c = stack[p];
        const double a = areas ? (*areas)[c] : double(area[c]);
        receiver_[p] = position_[rec[c]];
        f_[p] = (diagonalReceiver[c] ? diagonal : straight) * std::sqrt(a);
        deposit_[p] = law.deposition / a;
        start_[p] = h[c];
        drop_[p] = h[c] - h[rec[c]];
        // Level ground guessed cut: what is deposited on it usually lifts it.
        cut_[p] = drop_[p] < 0 ? 0 : cutBit;
        root_[p] = receiver_[p] == p ? uint32_t(p) : root_[receiver_[p]];
    }
    // Every tree is solved in the first round.
    redo_.assign(n, 1);
    again_.assign(n, 0);
}

void SedimentStep::SolveUp(bool all) {
    // Donors before their receivers: the stack from its top. Written in
    // losses L (start - h'), small numbers, rather than heights, whose sums
    // over a large basin would swamp them. A cell's sediment S = c + e L;
    //   cut:  L (1 + f) = f (start - start_r) + f L_r - G/A S
    //   else: L = -G/A S
    // and it sends on S + L = c + (1 + e) L to its receiver.
    const size_t n = receiver_.size();
    if (all) {
        std::fill(c_.begin(), c_.end(), 0.0);
        std::fill(e_.begin(), e_.end(), 0.0);
    } else {
        for (size_t p = 0; p < n; ++p)
            if (redo_[root_[p]]) {
                c_[p] = 0;
                e_[p] = 0;
            }
    }
    for (size_t p = n; p-- > 0;) {
        const uint32_t r = receiver_[p];
        if (r == p || (!all && !redo_[root_[p]]))
            continue;
        const double g = deposit_[p];
        double a, b;
        if (cut_[p] & cutBit) {
            const double f = f_[p];
            const double over = 1 / (1 + f + g * e_[p]);
            a = (f * drop_[p] - g * c_[p]) * over;
            b = f * over;
        } else {
            a = -g * c_[p] / (1 + g * e_[p]);
            b = 0;
        }
        c_[r] += c_[p] + (1 + e_[p]) * a;
        e_[r] += (1 + e_[p]) * b;
        c_[p] = a;
        e_[p] = b;
    }
}

int64_t SedimentStep::SolveDown() {
    // Receivers before donors. A cut cell must end no lower than its
    // receiver, a filled one no higher (level, both agree); the guesses that
    // were wrong are turned, and only their trees solved again next round.
    int64_t turned = 0;
    const size_t n = receiver_.size();
    for (size_t p = 0; p < n; ++p) {
        const uint32_t r = receiver_[p];
        if (r == p) {
            loss_[p] = 0;
            continue;
        }
        if (redo_[root_[p]] == 0)
            continue;
        loss_[p] = c_[p] + e_[p] * loss_[r];
        // Below its receiver when the drop is less than the losses' difference.
        const double lower = loss_[p] - loss_[r];
        // A cell turning back and forth sits where both ways meet, at its
        // receiver's height, and only rounding tells them apart: after a
        // few turns it stays, else it would swing for ever.
        if (cut_[p] / turn < maxTurns &&
            ((cut_[p] & cutBit) ? drop_[p] < lower : lower < drop_[p])) {
            cut_[p] = uint8_t((cut_[p] ^ cutBit) + turn);
            ++turned;
            again_[root_[p]] = 1;
        }
    }
    redo_.swap(again_);
    std::fill(again_.begin(), again_.end(), 0);
    return turned;
}

void SedimentStep::PlainWalk(const FlowGraph& graph, std::vector<double>& h, double erodibility,
                             const std::vector<double>* areas) {
    // The very expression of the plain step (landform/Erosion.cpp), so that
    // G = 0 gives its bytes; a cell below its receiver (in a lake) is not cut.
    const std::vector<uint32_t>& rec = graph.Receivers();
    const std::vector<uint32_t>& area = graph.Area();
    const std::vector<uint8_t>& diagonalReceiver = graph.Diagonal();
    const double straight = erodibility;
    const double diagonal = erodibility / std::sqrt(2.0);
    for (const uint32_t c : graph.Stack()) {
        const uint32_t r = rec[c];
        if (r == c || !(h[r] < h[c]))
            continue;
        const double a = areas ? (*areas)[c] : double(area[c]);
        const double f = (diagonalReceiver[c] ? diagonal : straight) * std::sqrt(a);
        h[c] -= (h[c] - h[r]) * (f / (1 + f));
    }
}

void SedimentStep::Run(const FlowGraph& graph, std::vector<double>& altitudes,
                       const SedimentLaw& law, const std::vector<double>* area) {
    rounds_ = 1;
    if (law.deposition == 0) {
        PlainWalk(graph, altitudes, law.erodibility, area);
        return;
    }
    Lay(graph, altitudes, law, area);
    for (;;) {
        SolveUp(rounds_ == 1);
        if (SolveDown() == 0 || rounds_ >= law.maxRounds)
            break;
        ++rounds_;
    }
    const std::vector<uint32_t>& stack = graph.Stack();
    for (size_t p = 0; p < stack.size(); ++p)
        altitudes[stack[p]] = start_[p] - loss_[p];
}
