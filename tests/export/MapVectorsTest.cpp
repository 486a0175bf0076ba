// Shapes traced from masks a map could never be relied on to hold:
// checkerboards and random speckle full of cells touching only at a corner.
// Checked by laws rather than by a second tracer: the polygons' areas are
// the cells' less the cut corners, no two rings share a point, and a cell's
// centre lies inside its own polygon alone (an even-odd count over every
// ring). Rivers on hand-built flow: Strahler's orders and a reach cut where
// it crosses the wrapped edge.

#include "export/MapVectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>

namespace {

double SignedArea(const std::vector<VectorPoint>& ring) {
    double sum = 0;
    for (size_t i = 0; i + 1 < ring.size(); ++i)
        sum += ring[i].x * ring[i + 1].y - ring[i + 1].x * ring[i].y;
    return sum / 2;
}

// Crossings of a ray to the east: odd inside the polygon's rings.
bool Inside(const VectorPolygon& polygon, double x, double y) {
    bool inside = false;
    for (const auto& ring : polygon.rings)
        for (size_t i = 0; i + 1 < ring.size(); ++i) {
            const VectorPoint a = ring[i], b = ring[i + 1];
            if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y))
                inside = !inside;
        }
    return inside;
}

// Corners where two cells of the mask meet diagonally and the other two are not of it.
int Saddles(int w, int h, const std::vector<uint8_t>& m) {
    int count = 0;
    for (int y = 1; y < h; ++y)
        for (int x = 1; x < w; ++x) {
            const bool nw = m[(y - 1) * w + x - 1], ne = m[(y - 1) * w + x], sw = m[y * w + x - 1],
                       se = m[y * w + x];
            count += (nw && se && !ne && !sw) || (ne && sw && !nw && !se);
        }
    return count;
}

void CheckLaws(int w, int h, const std::vector<uint8_t>& mask) {
    const double cell = 2.0;
    const std::vector<VectorPolygon> polygons = MaskPolygons(w, h, mask, cell, true);
    double area = 0;
    std::set<std::pair<double, double>> points;
    for (const VectorPolygon& p : polygons) {
        ASSERT_FALSE(p.rings.empty());
        EXPECT_GT(SignedArea(p.rings.front()), 0) << "outlines counter-clockwise";
        for (size_t r = 0; r < p.rings.size(); ++r) {
            const auto& ring = p.rings[r];
            ASSERT_GE(ring.size(), 5u);
            EXPECT_EQ(ring.front().x, ring.back().x);
            EXPECT_EQ(ring.front().y, ring.back().y);
            if (r > 0) {
                EXPECT_LT(SignedArea(ring), 0) << "holes clockwise";
            }
            area += SignedArea(ring);
            for (size_t i = 0; i + 1 < ring.size(); ++i)
                EXPECT_TRUE(points.insert({ring[i].x, ring[i].y}).second)
                    << "rings touch at " << ring[i].x << "," << ring[i].y;
        }
    }
    size_t cells = 0;
    for (uint8_t m : mask)
        cells += m;
    // Each corner where two cells meet diagonally loses a triangle of
    // quarter-cell legs from each.
    const double cut = 2 * Saddles(w, h, mask) * (0.25 * 0.25 / 2);
    EXPECT_NEAR(area, (double(cells) - cut) * cell * cell, 1e-9);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int holders = 0;
            for (const VectorPolygon& p : polygons)
                holders += Inside(p, (x + 0.5) * cell, (h - y - 0.5) * cell);
            EXPECT_EQ(holders, mask[size_t(y * w + x)]) << x << "," << y;
        }
}

TEST(MapVectors, PolygonsOfHostileMasksKeepTheirLaws) {
    const int w = 23, h = 17;
    std::vector<uint8_t> board(w * h);
    for (int i = 0; i < w * h; ++i)
        board[size_t(i)] = ((i % w) + (i / w)) % 2;
    CheckLaws(w, h, board);
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> speckle(w * h);
        for (uint8_t& m : speckle)
            m = int(random() % 100) < 20 + 3 * round ? 1 : 0;
        CheckLaws(w, h, speckle);
    }
    // A ring of land round a lake round an island: one polygon with a hole, and the island.
    std::vector<uint8_t> rings(9 * 9, 0);
    for (int y = 1; y < 8; ++y)
        for (int x = 1; x < 8; ++x)
            rings[size_t(y * 9 + x)] = (x == 1 || x == 7 || y == 1 || y == 7 || (x == 4 && y == 4));
    const auto polygons = MaskPolygons(9, 9, rings, 1, true);
    ASSERT_EQ(polygons.size(), 2u);
    EXPECT_EQ(polygons[0].rings.size(), 2u);
    EXPECT_FALSE(polygons[0].cutAtMapEdge);
    CheckLaws(9, 9, rings);
}

TEST(MapVectors, RiversFollowStrahlerAndAreCutAtTheWrap) {
    // A 6 x 3 map: two order-1 sources meet at cell 8, a third joins below
    // at 10, then the river crosses the east edge into cell 12 and ends in
    // the sea at 13 (not a river cell).
    const int w = 6, h = 3;
    std::vector<uint32_t> receivers(w * h);
    for (uint32_t i = 0; i < receivers.size(); ++i)
        receivers[i] = i;
    receivers[1] = 8;
    receivers[7] = 8;
    receivers[8] = 9;
    receivers[9] = 10;
    receivers[4] = 10;
    receivers[10] = 11;
    receivers[11] = 6;  // (5, 1) to (0, 1): across the east edge
    receivers[6] = 13;  // a diagonal step into the sea
    const FlowGraph flow = FlowGraph::OfReceivers(w, h, receivers);
    std::vector<uint8_t> rivers(w * h, 0);
    for (uint32_t i : {1u, 7u, 8u, 9u, 4u, 10u, 11u, 6u})
        rivers[i] = 1;
    const std::vector<RiverReach> reaches = RiverReaches(flow, rivers, 10);
    std::map<int, int> orders;
    for (const RiverReach& r : reaches)
        ++orders[r.strahler];
    // Sources 1, 4 and 7 (order 1); 8 to 10 (order 2, two order-1 met); from
    // 10 on, order 2 still (a 1 joined a 2), cut in two at the edge.
    EXPECT_EQ(orders[1], 3);
    EXPECT_EQ(orders[2], 3);
    int cut = 0;
    for (const RiverReach& r : reaches) {
        if (!r.cutAtMapEdge)
            continue;
        ++cut;
        EXPECT_EQ(r.drainedCells, flow.Area()[6]);
        for (const VectorPoint& p : r.line)
            EXPECT_TRUE(p.x >= 0 && p.x <= w * 10 && p.y >= 0 && p.y <= h * 10);
    }
    EXPECT_EQ(cut, 2);
    // The two pieces: from the confluence at 10 through 11 to the east edge
    // (1.5 cells), from the west edge through 6 and half the diagonal step
    // to the shore (0.5 + sqrt(2) / 2).
    double length = 0;
    for (const RiverReach& r : reaches)
        if (r.cutAtMapEdge)
            length += r.lengthMetres;
    EXPECT_NEAR(length, 10 * (2 + std::sqrt(0.5)), 1e-9);
}

}  // namespace
