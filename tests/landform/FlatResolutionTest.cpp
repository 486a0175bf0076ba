// The routes across flats against a plain reading of Barnes, Lehman and
// Mulla (2014): both gradients found by relaxing distances until nothing
// changes, on the plain flood's filled surface, over small random maps
// where flats are common.

#include "LandformMaps.h"
#include "ReferenceFlood.h"

#include "landform/FlowGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

constexpr int64_t far = std::numeric_limits<int64_t>::max() / 4;

struct PlainFlats {
    std::vector<double> filled;
    std::vector<bool> unrouted, lowEdge;
    std::vector<int64_t> towards;   // far off the flats
    std::vector<int64_t> gradient;  // far off the flats
};

// Cells reached from `start` cells (distance 1) through unrouted cells of
// their own height: shortest step counts, by relaxation.
std::vector<int64_t> Distances(const TestMap& m, const PlainFlats& f,
                               const std::vector<bool>& start) {
    const size_t cells = m.altitudes.size();
    std::vector<int64_t> d(cells, far);
    for (size_t i = 0; i < cells; ++i)
        if (start[i])
            d[i] = 1;
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t i = 0; i < cells; ++i) {
            if (!f.unrouted[i])
                continue;
            for (const size_t n : ReferenceNeighbours(m.width, m.height, i)) {
                if (f.filled[n] == f.filled[i] && d[n] + 1 < d[i]) {
                    d[i] = d[n] + 1;
                    changed = true;
                }
            }
        }
    }
    return d;
}

PlainFlats PlainGradients(const TestMap& m) {
    const size_t cells = m.altitudes.size();
    PlainFlats f{ReferenceFill(m.width, m.height, m.altitudes, m.waterLevel), {}, {}, {}, {}};
    const size_t lowest =
        size_t(std::min_element(m.altitudes.begin(), m.altitudes.end()) - m.altitudes.begin());
    const bool noWater = std::none_of(m.altitudes.begin(), m.altitudes.end(),
                                      [&](double a) { return a <= m.waterLevel; });
    f.unrouted.assign(cells, false);
    for (size_t i = 0; i < cells; ++i) {
        const bool outlet = m.altitudes[i] <= m.waterLevel || (noWater && i == lowest);
        bool lower = false;
        for (const size_t n : ReferenceNeighbours(m.width, m.height, i))
            lower = lower || f.filled[n] < f.filled[i];
        f.unrouted[i] = !outlet && !lower;
    }
    f.lowEdge.assign(cells, false);
    std::vector<bool> highEdge(cells, false);
    for (size_t i = 0; i < cells; ++i)
        for (const size_t n : ReferenceNeighbours(m.width, m.height, i)) {
            f.lowEdge[i] =
                f.lowEdge[i] || (!f.unrouted[i] && f.unrouted[n] && f.filled[n] == f.filled[i]);
            highEdge[i] = highEdge[i] || (f.unrouted[i] && f.filled[n] > f.filled[i]);
        }
    const std::vector<int64_t> towards = Distances(m, f, f.lowEdge);
    // Only the high edges of flats with a way down count.
    for (size_t i = 0; i < cells; ++i)
        highEdge[i] = highEdge[i] && towards[i] < far;
    const std::vector<int64_t> away = Distances(m, f, highEdge);
    // A flat's height: the largest away distance on it.
    std::vector<size_t> flat(cells, cells);
    std::vector<int64_t> flatHeight;
    for (size_t i = 0; i < cells; ++i) {
        if (flat[i] != cells)
            continue;
        flatHeight.push_back(0);
        std::vector<size_t> stack{i};
        flat[i] = flatHeight.size() - 1;
        while (!stack.empty()) {
            const size_t c = stack.back();
            stack.pop_back();
            if (away[c] < far)
                flatHeight.back() = std::max(flatHeight.back(), away[c]);
            for (const size_t n : ReferenceNeighbours(m.width, m.height, c))
                if (flat[n] == cells && f.filled[n] == f.filled[c]) {
                    flat[n] = flat[i];
                    stack.push_back(n);
                }
        }
    }
    f.towards = towards;
    f.gradient.assign(cells, far);
    for (size_t i = 0; i < cells; ++i)
        if (towards[i] < far)
            f.gradient[i] = (away[i] < far ? flatHeight[flat[i]] - away[i] : 0) + 2 * towards[i];
    return f;
}

TEST(FlatResolution, FollowsBothGradientsOfThePlainReading) {
    std::mt19937 rng(2014);
    int64_t flatCells = 0, awayDecided = 0;
    for (int round = 0; round < 3000; ++round) {
        const TestMap m = SmallRandomMap(rng);
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << m.width << " x " << m.height
                                        << ", water " << m.waterLevel);
        const PlainFlats f = PlainGradients(m);
        const FlowGraph g = FlowGraph::Drained(m.width, m.height, m.altitudes, m.waterLevel, false);
        for (size_t i = 0; i < m.altitudes.size(); ++i) {
            if (!f.unrouted[i])
                continue;
            ASSERT_LT(f.gradient[i], far) << "a flat cell without a way down: " << i;
            const std::vector<size_t> n = ReferenceNeighbours(m.width, m.height, i);
            size_t expected = i;
            int64_t lowest = f.gradient[i];
            for (const size_t c : n)
                if (f.filled[c] == f.filled[i] && f.gradient[c] < lowest)
                    lowest = f.gradient[c], expected = c;
            ASSERT_NE(expected, i) << "no way down the gradients from " << i;
            ASSERT_EQ(g.Receivers()[i], expected) << "flat cell " << i;
            ++flatCells;
            // Where the gradient towards lower terrain alone would have
            // chosen another way, the one away from higher terrain decided.
            size_t towardsOnly = i;
            for (const size_t c : n)
                if (f.filled[c] == f.filled[i] && f.towards[c] < f.towards[towardsOnly])
                    towardsOnly = c;
            awayDecided += towardsOnly != expected;
        }
    }
    EXPECT_GT(flatCells, 1000) << "the maps must hold flats";

    EXPECT_GT(awayDecided, 40) << "and flats where higher terrain matters";
}

}  // namespace
