// The paper's steps in its order: find the flats' edges, label the flats
// from their low edges, build the gradient away from higher terrain, add the
// gradient towards lower terrain, then route each unrouted cell down the sum.
// Each gradient is a breadth-first distance, so it does not depend on the
// order the cells of one layer are taken in.

#include "landform/FlatResolution.h"

#include "landform/FlowRouting.h"

#include <algorithm>

namespace {

// A cell whose combined gradient is final; the gradients stay below 2^31.
constexpr uint32_t doneBit = uint32_t{1} << 31;

struct Flats {
    Flats(int32_t width, int32_t height, Boundary boundary, const std::vector<double>& surface,
          std::vector<uint32_t>& receivers)
        : width(width), height(height), boundary(boundary), torus(width, height, boundary),
          surface(surface), receivers(receivers), labels(surface.size(), 0),
          mask(surface.size(), 0) {}

    bool Unrouted(uint32_t c) const { return receivers[c] == noReceiver; }

    // High edges: unrouted cells beside higher ground. Low edges: routed
    // cells beside an unrouted cell of their height, listed once (marked in
    // the gradients for the time being).
    void FindFlatEdges() {
        uint32_t n[8];
        for (int32_t y = 0; y < height; ++y) {
            const TorusRow row(width, height, y, boundary);
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t c = row.mid + uint32_t(x);
                if (!Unrouted(c))
                    continue;
                row.Neighbours(x, n);
                bool high = false;
                for (const uint32_t m : n) {
                    high = high || surface[m] > surface[c];
                    if (!Unrouted(m) && surface[m] == surface[c] && mask[m] == 0) {
                        mask[m] = 1;
                        lowEdges.push_back(m);
                    }
                }
                if (high)
                    highEdges.push_back(c);
            }
        }
        for (const uint32_t c : lowEdges)
            mask[c] = 0;
    }

    // One label for every cell of a flat that has a way down.
    void LabelFlats() {
        std::vector<uint32_t> stack;
        uint32_t n[8];
        flatHeight.push_back(0);  // label 0: no flat
        for (const uint32_t edge : lowEdges) {
            if (labels[edge] != 0)
                continue;
            const uint32_t label = uint32_t(flatHeight.size());
            flatHeight.push_back(0);
            labels[edge] = label;
            stack.push_back(edge);
            while (!stack.empty()) {
                const uint32_t c = stack.back();
                stack.pop_back();
                torus.Neighbours(c, n);
                for (const uint32_t m : n) {
                    if (labels[m] == 0 && surface[m] == surface[c]) {
                        labels[m] = label;
                        stack.push_back(m);
                    }
                }
            }
        }
        // A flat with no way down has none to find.
        std::erase_if(highEdges, [&](uint32_t c) { return labels[c] == 0; });
    }

    // Calls visit(c, loops) once for every start and every unrouted cell of
    // its flat that breadth-first layers from the starts reach, loops
    // counting from 1 at the starts; `seen` tells a cell already visited.
    template <class Seen, class Visit>
    void Layers(const std::vector<uint32_t>& starts, Seen&& seen, Visit&& visit) {
        std::vector<uint32_t> layer(starts), next;
        uint32_t n[8];
        for (uint32_t loops = 1; !layer.empty(); ++loops) {
            next.clear();
            for (const uint32_t c : layer) {
                if (seen(c))
                    continue;
                visit(c, loops);
                torus.Neighbours(c, n);
                for (const uint32_t m : n)
                    if (Unrouted(m) && labels[m] == labels[c] && !seen(m))
                        next.push_back(m);
            }
            layer.swap(next);
        }
    }

    // Distance from higher terrain; each flat's largest is its height.
    void BuildAwayGradient() {
        Layers(
            highEdges, [&](uint32_t c) { return mask[c] != 0; },
            [&](uint32_t c, uint32_t loops) {
                mask[c] = loops;
                flatHeight[labels[c]] = std::max(flatHeight[labels[c]], loops);
            });
    }

    // Twice the distance from lower terrain, plus the away gradient turned
    // round, so the towards gradient always wins and the away one breaks its
    // ties.
    void BuildTowardsCombinedGradient() {
        Layers(
            lowEdges, [&](uint32_t c) { return (mask[c] & doneBit) != 0; },
            [&](uint32_t c, uint32_t loops) {
                const uint32_t away = mask[c] != 0 ? flatHeight[labels[c]] - mask[c] : 0;
                mask[c] = (away + 2 * loops) | doneBit;
            });
    }

    // Every unrouted cell of a labelled flat to its neighbour lowest on the
    // combined gradient. The choice reads the gradient only, never a route
    // set here, so the order the cells are taken in cannot change it.
    void MaskedFlowDirections(std::vector<uint8_t>& diagonal) {
        uint32_t n[8];
        for (int32_t y = 0; y < height; ++y) {
            const TorusRow row(width, height, y, boundary);
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t c = row.mid + uint32_t(x);
                if (!Unrouted(c) || labels[c] == 0)
                    continue;
                row.Neighbours(x, n);
                uint32_t lowest = mask[c];
                int best = -1;
                for (int k = 0; k < 8; ++k) {
                    const uint32_t m = mask[n[k]];
                    if (labels[n[k]] == labels[c] && (m & doneBit) != 0 && m < lowest) {
                        lowest = m;
                        best = k;
                    }
                }
                if (best >= 0) {
                    receivers[c] = n[best];
                    diagonal[c] = diagonalNeighbour[best];
                }
            }
        }
    }

    int32_t width, height;
    Boundary boundary;
    TorusCells torus;
    const std::vector<double>& surface;
    std::vector<uint32_t>& receivers;
    std::vector<uint32_t> labels;      // 0: on no flat with a way down
    std::vector<uint32_t> mask;        // the gradients
    std::vector<uint32_t> flatHeight;  // by label
    std::vector<uint32_t> highEdges, lowEdges;
};

}  // namespace

void ResolveFlats(int32_t width, int32_t height, const std::vector<double>& surface,
                  std::vector<uint32_t>& receivers, std::vector<uint8_t>& diagonal,
                  Boundary boundary) {
    if (surface.empty())
        return;
    Flats flats(width, height, boundary, surface, receivers);
    flats.FindFlatEdges();
    if (flats.lowEdges.empty())
        return;
    flats.LabelFlats();
    flats.BuildAwayGradient();
    flats.BuildTowardsCombinedGradient();
    flats.MaskedFlowDirections(diagonal);
}
