// Imported heights' NoData and georeference reaching meshes and shapes:
// no triangle left touching or spanning a hole's sample (checked against a
// plain point-in-triangle scan with barycentric weights), and shapes moved
// onto a geotransform, north up or mirrored, with outlines still turning
// counter-clockwise.

#include "export/HeightWindow.h"
#include "export/MapShapes.h"
#include "export/MeshHoles.h"
#include "export/TerrainMesh.h"

#include <gtest/gtest.h>

#include <set>

namespace {

double SignedArea(const std::vector<VectorPoint>& ring) {
    double sum = 0;
    for (size_t i = 0; i + 1 < ring.size(); ++i)
        sum += ring[i].x * ring[i + 1].y - ring[i + 1].x * ring[i].y;
    return sum / 2;
}

// Whether (px, py) lies in the closed triangle, by barycentric weights.
bool InTriangle(double ax, double ay, double bx, double by, double cx, double cy, double px,
                double py) {
    const double d = (by - cy) * (ax - cx) + (cx - bx) * (ay - cy);
    const double u = ((by - cy) * (px - cx) + (cx - bx) * (py - cy)) / d;
    const double v = ((cy - ay) * (px - cx) + (ax - cx) * (py - cy)) / d;
    return u >= 0 && v >= 0 && u + v <= 1;
}

struct HoledGrid {
    AltitudeGrid grid{7, 6};
    std::vector<uint8_t> holes = std::vector<uint8_t>(42, 0);
    HoledGrid() {
        for (size_t i = 0; i < grid.altitudes.size(); ++i)
            grid.altitudes[i] = double(i % 5) / 10;
        holes[2 * 7 + 3] = holes[2 * 7 + 4] = holes[5 * 7 + 0] = 1;
    }
};

TEST(MeshHoles, NoTriangleTouchesOrSpansAHole) {
    HoledGrid g;
    const HeightWindow window = HeightWindow::OfGrid(g.grid).WithHoles(g.holes.data());
    const HeightTile whole{0, 0, 0, 0, 7, 6};
    TerrainMesh mesh = GridMesh(window, whole, {});
    // One triangle over the middle with its corners clear of the holes.
    mesh.indices.insert(mesh.indices.end(), {0 * 7 + 1, 5 * 7 + 6, 0 * 7 + 6});
    const TerrainMesh kept = WithoutHoles(mesh, window, whole);
    ASSERT_GT(kept.TriangleCount(), 0u);
    EXPECT_LT(kept.TriangleCount(), mesh.TriangleCount() - 1);
    std::set<uint32_t> used;
    for (size_t t = 0; t < kept.indices.size(); t += 3) {
        double p[3][2];
        for (int k = 0; k < 3; ++k) {
            const uint32_t cell = kept.cells[kept.indices[t + size_t(k)]];
            used.insert(cell);
            p[k][0] = cell % 7;
            p[k][1] = cell / 7;
        }
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 7; ++x)
                if (g.holes[size_t(y * 7 + x)]) {
                    EXPECT_FALSE(
                        InTriangle(p[0][0], p[0][1], p[1][0], p[1][1], p[2][0], p[2][1], x, y))
                        << "triangle " << t / 3 << " over hole " << x << "," << y;
                }
    }
    EXPECT_EQ(used.size(), kept.VertexCount()) << "no vertex left unused";
    for (uint32_t cell : used)
        EXPECT_FALSE(g.holes[cell]);
}

TEST(MeshHoles, HoleNeighboursTakeOneSidedNormals) {
    HoledGrid g;
    g.grid.altitudes.assign(42, 0.5);
    for (size_t i = 0; i < 42; ++i)
        if (g.holes[i])
            g.grid.altitudes[i] = 0;  // the stand-in a NoData cell is given
    const HeightWindow window = HeightWindow::OfGrid(g.grid).WithHoles(g.holes.data());
    const TerrainMesh mesh = GridMesh(window, {0, 0, 0, 0, 7, 6}, {});
    for (size_t v = 0; v < mesh.VertexCount(); ++v)
        if (!g.holes[mesh.cells[v]]) {
            EXPECT_FLOAT_EQ(mesh.normals[3 * v + 1], 1.0f) << "vertex " << v << " bent by a hole";
        }
}

MapShapes Square() {
    // A 2 x 2 cell square in a 4-row map of 10 m cells, with a hole.
    MapShapes shapes;
    shapes.cellMetres = 10;
    VectorPolygon polygon;
    polygon.rings = {{{0, 0}, {20, 0}, {20, 20}, {0, 20}, {0, 0}},
                     {{5, 5}, {5, 15}, {15, 15}, {15, 5}, {5, 5}}};
    shapes.land.push_back(polygon);
    RiverReach reach;
    reach.line = {{5, 35}, {15, 25}};
    shapes.rivers.push_back(reach);
    return shapes;
}

TEST(ShapePlacement, NorthUpTransformPlacesEveryPoint) {
    MapShapes shapes = Square();
    const double utm[6] = {500000, 30, 0, 5200000, 0, -30};
    PlaceShapes(shapes, utm, 4);
    // The map's south-west corner is row 4 of the model: 5200000 - 4 x 30.
    EXPECT_DOUBLE_EQ(shapes.land[0].rings[0][0].x, 500000);
    EXPECT_DOUBLE_EQ(shapes.land[0].rings[0][0].y, 5199880);
    EXPECT_DOUBLE_EQ(shapes.land[0].rings[0][2].x, 500060);
    EXPECT_DOUBLE_EQ(shapes.land[0].rings[0][2].y, 5199940);
    EXPECT_DOUBLE_EQ(shapes.rivers[0].line[0].x, 500015);
    EXPECT_DOUBLE_EQ(shapes.rivers[0].line[0].y, 5199985);
    EXPECT_GT(SignedArea(shapes.land[0].rings[0]), 0);
    EXPECT_LT(SignedArea(shapes.land[0].rings[1]), 0);
}

TEST(ShapePlacement, MirroredTransformKeepsRingsTurning) {
    MapShapes shapes = Square();
    const double southUp[6] = {0, 1, 0, 0, 0, 1};
    PlaceShapes(shapes, southUp, 4);
    EXPECT_GT(SignedArea(shapes.land[0].rings[0]), 0) << "outline counter-clockwise";
    EXPECT_LT(SignedArea(shapes.land[0].rings[1]), 0) << "hole clockwise";
    EXPECT_EQ(shapes.land[0].rings[0].front().x, shapes.land[0].rings[0].back().x);
}

}  // namespace
