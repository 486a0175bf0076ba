#include "landform/SedimentStep.h"

#include <algorithm>
#include <cmath>

void SedimentStep::Accumulate(const FlowGraph& graph, const std::vector<double>& last) {
    // Donors before their receivers: the stack from its top. Fixed order, so
    // the sums are the same everywhere.
    const std::vector<uint32_t>& rec = graph.Receivers();
    const std::vector<uint32_t>& stack = graph.Stack();
    std::fill(sediment_.begin(), sediment_.end(), 0.0);
    for (size_t i = stack.size(); i-- > 0;) {
        const uint32_t c = stack[i];
        const uint32_t r = rec[c];
        if (r != c)
            sediment_[r] += sediment_[c] + (start_[c] - last[c]);
    }
}

double SedimentStep::Walk(const FlowGraph& graph, std::vector<double>& h, const SedimentLaw& law) {
    const std::vector<uint32_t>& rec = graph.Receivers();
    const std::vector<uint32_t>& area = graph.Area();
    const std::vector<uint8_t>& diagonalReceiver = graph.Diagonal();
    const double straight = law.erodibility;
    const double diagonal = law.erodibility / std::sqrt(2.0);
    const bool deposits = law.deposition != 0;
    double moved = 0;
    for (const uint32_t c : graph.Stack()) {
        const uint32_t r = rec[c];
        if (r == c)
            continue;
        const double a = double(area[c]);
        const double lifted = deposits ? start_[c] + law.deposition / a * sediment_[c] : start_[c];
        double next = lifted;
        if (h[r] < lifted) {
            const double f = (diagonalReceiver[c] ? diagonal : straight) * std::sqrt(a);
            // Without deposition the very expression of the plain step
            // (landform/Erosion.cpp), so G = 0 gives its bytes.
            next = lifted - (lifted - h[r]) * (f / (1 + f));
        }
        moved = std::max(moved, std::fabs(next - h[c]));
        h[c] = next;
    }
    return moved;
}

void SedimentStep::Run(const FlowGraph& graph, std::vector<double>& altitudes,
                       const SedimentLaw& law) {
    start_ = altitudes;
    walks_ = 1;
    if (law.deposition == 0) {
        Walk(graph, altitudes, law);
        return;
    }
    sediment_.assign(altitudes.size(), 0.0);
    last_ = altitudes;
    for (;;) {
        Accumulate(graph, last_);
        const double moved = Walk(graph, altitudes, law);
        if (moved <= law.tolerance || walks_ >= law.maxWalks)
            break;
        last_ = altitudes;
        ++walks_;
    }
}
