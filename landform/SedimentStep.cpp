#include "landform/SedimentStep.h"

#include <algorithm>
#include <cmath>

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
    keep_.resize(n);
    deposit_.resize(n);
    start_.resize(n);
    height_.resize(n);
    lossInOrder_.resize(n);
    sediment_.resize(n);
    for (size_t p = 0; p < n; ++p) {
        const uint32_t c = stack[p];
        const double a = areas ? (*areas)[c] : double(area[c]);
        const double f = (diagonalReceiver[c] ? diagonal : straight) * std::sqrt(a);
        receiver_[p] = position_[rec[c]];
        keep_[p] = f / (1 + f);
        deposit_[p] = law.deposition / a;
        start_[p] = h[c];
        height_[p] = h[c];
        lossInOrder_[p] = loss_[c];
    }
}

void SedimentStep::Accumulate() {
    // Donors before their receivers: the stack from its top. Fixed order, so
    // the sums are the same everywhere.
    std::fill(sediment_.begin(), sediment_.end(), 0.0);
    for (size_t p = receiver_.size(); p-- > 0;) {
        const uint32_t r = receiver_[p];
        if (r != p)
            sediment_[r] += sediment_[p] + lossInOrder_[p];
    }
}

double SedimentStep::Walk() {
    double moved = 0;
    for (size_t p = 0; p < receiver_.size(); ++p) {
        const uint32_t r = receiver_[p];
        if (r == p) {
            lossInOrder_[p] = 0;
            continue;
        }
        const double lifted = start_[p] + deposit_[p] * sediment_[p];
        const double below = height_[r];
        const double next = below < lifted ? lifted - (lifted - below) * keep_[p] : lifted;
        moved = std::max(moved, std::fabs(next - height_[p]));
        height_[p] = next;
        lossInOrder_[p] = start_[p] - next;
    }
    return moved;
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
    walks_ = 1;
    if (law.deposition == 0) {
        PlainWalk(graph, altitudes, law.erodibility, area);
        return;
    }
    // The first walk's sediment is what the last step's walks left: steps
    // in a row lose much the same. Any start ends at the same heights within
    // the tolerance.
    if (loss_.size() != altitudes.size())
        loss_.assign(altitudes.size(), 0.0);
    Lay(graph, altitudes, law, area);
    for (;;) {
        Accumulate();
        const double moved = Walk();
        if (moved <= law.tolerance || walks_ >= law.maxWalks)
            break;
        ++walks_;
    }
    const std::vector<uint32_t>& stack = graph.Stack();
    for (size_t p = 0; p < stack.size(); ++p) {
        altitudes[stack[p]] = height_[p];
        loss_[stack[p]] = lossInOrder_[p];
    }
}
