// The right triangulation of grids neither square nor a power of two across,
// checked cell by cell: the triangles tile the grid once, meet edge to edge
// (every inner side used both ways), and each sample lies within the error
// straight above or below the triangle over it.

#include "mesh/RightTriangulation.h"
#include "export/HeightWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Ridges and bumps with noise: plenty to keep, plenty to drop.
AltitudeGrid Ridges(int32_t w, int32_t h) {
    AltitudeGrid grid(w, h);
    uint32_t state = 7;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            grid.altitudes[size_t(y) * size_t(w) + size_t(x)] =
                0.5 + 0.3 * std::sin(x * 0.05 + y * 0.03) +
                0.1 * std::cos(x * 0.2) * std::sin(y * 0.13) +
                0.01 * std::abs((x + 2 * y) % 24 - 12) + 0.002 * double(state >> 24) / 255.0;
        }
    return grid;
}

TEST(RightTriangulation, TilesTheGridWithoutCracksWithinTheError) {
    for (const auto& [w, h] :
         {std::pair{37, 70}, std::pair{65, 65}, std::pair{130, 3}, std::pair{200, 120}}) {
        const AltitudeGrid grid = Ridges(w, h);
        const TerrainMesh full =
            GridMesh(HeightWindow::OfGrid(grid), {0, 0, 0, 0, w, h}, {1.0, 100});
        for (double error : {0.05, 0.5, 3.0}) {
            const std::vector<uint32_t> indices = RightTriangulation(full, error, false);
            std::vector<int> cover(size_t(w) * size_t(h), 0);
            std::map<std::pair<uint32_t, uint32_t>, int> sides;
            int64_t doubledArea = 0;
            for (size_t t = 0; t < indices.size(); t += 3) {
                int64_t x[3], y[3];
                double height[3];
                for (int k = 0; k < 3; ++k) {
                    x[k] = indices[t + k] % uint32_t(w);
                    y[k] = indices[t + k] / uint32_t(w);
                    height[k] = full.positions[3 * indices[t + k] + 1];
                    ++sides[{indices[t + k], indices[t + (k + 1) % 3]}];
                }
                // Counter-clockwise from above with rows running south:
                // negative in (column, row).
                const int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
                ASSERT_LT(area, 0);
                doubledArea -= area;
                for (int64_t py = std::min({y[0], y[1], y[2]}); py <= std::max({y[0], y[1], y[2]});
                     ++py)
                    for (int64_t px = std::min({x[0], x[1], x[2]});
                         px <= std::max({x[0], x[1], x[2]}); ++px) {
                        double weight[3];
                        bool inside = true;
                        for (int k = 0; k < 3; ++k) {
                            const int a = (k + 1) % 3, b = (k + 2) % 3;
                            const int64_t wk =
                                (x[b] - x[a]) * (py - y[a]) - (y[b] - y[a]) * (px - x[a]);
                            inside = inside && wk <= 0;
                            weight[k] = double(wk) / double(area);
                        }
                        if (!inside)
                            continue;
                        ++cover[size_t(py) * size_t(w) + size_t(px)];
                        const double surface =
                            weight[0] * height[0] + weight[1] * height[1] + weight[2] * height[2];
                        const size_t v = size_t(py) * size_t(w) + size_t(px);
                        EXPECT_LE(std::fabs(surface - full.positions[3 * v + 1]), error)
                            << w << "x" << h << " at " << px << "," << py;
                    }
            }
            EXPECT_EQ(doubledArea, 2 * int64_t(w - 1) * (h - 1)) << w << "x" << h;
            for (int c : cover)
                ASSERT_GE(c, 1);
            // A side used one way only lies on the grid's edge: no crack,
            // no vertex hanging on another triangle's side.
            for (const auto& [side, count] : sides) {
                EXPECT_EQ(count, 1);
                if (!sides.count({side.second, side.first})) {
                    const uint32_t ax = side.first % uint32_t(w), ay = side.first / uint32_t(w),
                                   bx = side.second % uint32_t(w), by = side.second / uint32_t(w);
                    const bool onEdge = (ax == bx && (ax == 0 || ax == uint32_t(w - 1))) ||
                                        (ay == by && (ay == 0 || ay == uint32_t(h - 1)));
                    EXPECT_TRUE(onEdge) << ax << "," << ay << " " << bx << "," << by;
                    EXPECT_EQ(std::abs(int64_t(ax) - bx) + std::abs(int64_t(ay) - by), 1);
                }
            }
        }
    }
}

}  // namespace
