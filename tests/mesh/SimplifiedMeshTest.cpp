// The simplified surface against every sample of the full grid, measured by
// a plain search over all triangles (the distance to the face's plane when
// the foot falls inside, else to the nearest edge), not by the simplifier's
// own Voronoi regions and bins.

#include "mesh/SimplifiedMesh.h"
#include "export/HeightWindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace {

struct V {
    double x, y, z;
};
V Sub(V a, V b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
double Dot(V a, V b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V Cross(V a, V b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double SegmentDistance(V p, V a, V b) {
    const V ab = Sub(b, a);
    const double t = std::clamp(Dot(Sub(p, a), ab) / Dot(ab, ab), 0.0, 1.0);
    const V d = Sub(p, {a.x + t * ab.x, a.y + t * ab.y, a.z + t * ab.z});
    return std::sqrt(Dot(d, d));
}

double TriangleDistance(V p, V a, V b, V c) {
    const V n = Cross(Sub(b, a), Sub(c, a));
    const double nn = Dot(n, n);
    double best =
        std::min({SegmentDistance(p, a, b), SegmentDistance(p, b, c), SegmentDistance(p, c, a)});
    if (nn == 0)
        return best;
    // The foot inside when it lies on the inner side of all three edges.
    const bool inside = Dot(Cross(Sub(b, a), Sub(p, a)), n) >= 0 &&
                        Dot(Cross(Sub(c, b), Sub(p, b)), n) >= 0 &&
                        Dot(Cross(Sub(a, c), Sub(p, c)), n) >= 0;
    if (inside)
        best = std::min(best, std::fabs(Dot(Sub(p, a), n)) / std::sqrt(nn));
    return best;
}

V At(const TerrainMesh& m, size_t v) {
    return {m.positions[3 * v], m.positions[3 * v + 1], m.positions[3 * v + 2]};
}

double BruteDeviation(const TerrainMesh& full, const TerrainMesh& simple) {
    double worst = 0;
    for (size_t v = 0; v < full.VertexCount(); ++v) {
        double nearest = std::numeric_limits<double>::infinity();
        for (size_t t = 0; t < simple.indices.size(); t += 3)
            nearest = std::min(nearest, TriangleDistance(At(full, v), At(simple, simple.indices[t]),
                                                         At(simple, simple.indices[t + 1]),
                                                         At(simple, simple.indices[t + 2])));
        worst = std::max(worst, nearest);
    }
    return worst;
}

// Rolling hills with a cliff: smooth almost everywhere, a step the
// simplifier must keep.
AltitudeGrid Hills(int32_t w, int32_t h) {
    AltitudeGrid grid(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            grid.altitudes[size_t(y) * size_t(w) + size_t(x)] =
                0.3 + 0.1 * std::sin(x * 0.07) * std::cos(y * 0.05) + (x > w / 2 ? 0.05 : 0.0);
    return grid;
}

TEST(SimplifiedMesh, KeepsEverySampleWithinTheErrorAndItsEdges) {
    const AltitudeGrid grid = Hills(96, 80);
    const HeightWindow window = HeightWindow::OfGrid(grid);
    int simplified = 0;
    for (const MeshScale scale : {MeshScale{2.0, 500}, MeshScale{10.0, 200}}) {
        const TerrainMesh full = GridMesh(window, {0, 0, 0, 0, 96, 80}, scale);
        for (double error : {0.25, 1.0, 4.0}) {
            const TerrainMesh simple = SimplifiedMesh(full, error);
            const double deviation = BruteDeviation(full, simple);
            EXPECT_LE(deviation, error) << error;
            simplified += simple.TriangleCount() < full.TriangleCount();
            // A bound a little tighter than the truth is refused.
            if (deviation > 0) {
                EXPECT_FALSE(WithinError(full, simple, deviation * 0.999)) << error;
                EXPECT_TRUE(WithinError(full, simple, deviation * 1.001)) << error;
            }
            // Every edge sample stays, so tiles meet and a solid closes.
            size_t edge = 0;
            for (uint32_t cell : simple.cells) {
                const uint32_t x = cell % 96, y = cell / 96;
                edge += x == 0 || y == 0 || x == 95 || y == 79;
            }
            EXPECT_EQ(edge, size_t(2 * 96 + 2 * 80 - 4)) << error;
        }
    }
    // A block the library folds past repair is kept whole; most are not.
    EXPECT_GE(simplified, 4);
    const TerrainMesh full = GridMesh(window, {0, 0, 0, 0, 96, 80}, {});
    EXPECT_EQ(SimplifiedMesh(full, 0).indices, full.indices);
}

// Blocks simplified apart and joined: the edges between them hold every
// sample (no crack), and two threads give the very same mesh.
TEST(SimplifiedMesh, BlocksMeetAndThreadsAgree) {
    const AltitudeGrid grid = Hills(600, 300);
    const TerrainMesh full =
        GridMesh(HeightWindow::OfGrid(grid), {0, 0, 0, 0, 600, 300}, {1.0, 300});
    const TerrainMesh one = SimplifiedMesh(full, 0.5, false);
    const TerrainMesh two = SimplifiedMesh(full, 0.5, true);
    EXPECT_EQ(one.indices, two.indices);
    EXPECT_EQ(one.cells, two.cells);
    EXPECT_LT(one.TriangleCount() * 2, full.TriangleCount());
    EXPECT_TRUE(WithinError(full, one, 0.5));
    // A closed edge: no side is shared by more than two triangles, and every
    // step between neighbouring samples of the border is a side.
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    for (size_t t = 0; t < one.indices.size(); t += 3)
        for (int k = 0; k < 3; ++k) {
            const uint32_t a = one.cells[one.indices[t + k]];
            const uint32_t b = one.cells[one.indices[t + (k + 1) % 3]];
            ++edges[{std::min(a, b), std::max(a, b)}];
        }
    for (const auto& [edge, count] : edges)
        EXPECT_LE(count, 2) << edge.first << "-" << edge.second;
    for (uint32_t x = 0; x + 1 < 600; ++x) {
        EXPECT_TRUE(edges.count({x, x + 1})) << x;
        EXPECT_TRUE(edges.count({299 * 600 + x, 299 * 600 + x + 1})) << x;
    }
    for (uint32_t y = 0; y + 1 < 300; ++y) {
        EXPECT_TRUE(edges.count({y * 600, (y + 1) * 600})) << y;
        EXPECT_TRUE(edges.count({y * 600 + 599, (y + 1) * 600 + 599})) << y;
    }
}

}  // namespace

// The fast path from the heights builds the very mesh the grid mesh would
// simplify to, on a tile away from the window's corner.
TEST(SimplifiedMesh, FromTheHeightsMatchesTheGridMesh) {
    const AltitudeGrid grid = Hills(120, 90);
    const HeightWindow window = HeightWindow::OfGrid(grid);
    const HeightTile tile{1, 1, 40, 30, 70, 45};
    for (double error : {0.0, 0.3, 2.0}) {
        const TerrainMesh slow = SimplifiedMesh(GridMesh(window, tile, {2.0, 300}), error, false);
        const TerrainMesh fast = SimplifiedGridMesh(window, tile, {2.0, 300}, error, true);
        EXPECT_EQ(fast.positions, slow.positions) << error;
        EXPECT_EQ(fast.normals, slow.normals) << error;
        EXPECT_EQ(fast.texCoords, slow.texCoords) << error;
        EXPECT_EQ(fast.cells, slow.cells) << error;
        EXPECT_EQ(fast.indices, slow.indices) << error;
    }
}
