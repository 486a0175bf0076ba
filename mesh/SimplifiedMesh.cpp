#include "mesh/SimplifiedMesh.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct GridPoint {
    int64_t x, y;
};

GridPoint PointOf(const TerrainMesh& mesh, uint32_t vertex) {
    const uint32_t cell = mesh.cells[vertex];
    return {int64_t(cell % uint32_t(mesh.columns)), int64_t(cell / uint32_t(mesh.columns))};
}

// Twice the signed area of (a, b, p): exact in integers.
int64_t Edge(const GridPoint& a, const GridPoint& b, const GridPoint& p) {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

// How many attempts halve the error asked of the library before the full
// mesh is taken as it is.
constexpr int attempts = 8;

}  // namespace

double GridDeviation(const TerrainMesh& full, const TerrainMesh& simplified) {
    const size_t columns = size_t(full.columns);
    std::vector<uint8_t> covered(full.VertexCount(), 0);
    double worst = 0;
    for (size_t t = 0; t < simplified.indices.size(); t += 3) {
        const uint32_t v[3] = {simplified.indices[t], simplified.indices[t + 1],
                               simplified.indices[t + 2]};
        const GridPoint a = PointOf(simplified, v[0]), b = PointOf(simplified, v[1]),
                        c = PointOf(simplified, v[2]);
        const int64_t area = Edge(a, b, c);
        if (area == 0)
            continue;  // a sliver covers no area: its neighbours hold its samples
        const double ya = simplified.positions[3 * v[0] + 1],
                     yb = simplified.positions[3 * v[1] + 1],
                     yc = simplified.positions[3 * v[2] + 1];
        for (int64_t y = std::min({a.y, b.y, c.y}); y <= std::max({a.y, b.y, c.y}); ++y)
            for (int64_t x = std::min({a.x, b.x, c.x}); x <= std::max({a.x, b.x, c.x}); ++x) {
                const GridPoint p{x, y};
                const int64_t wa = Edge(b, c, p), wb = Edge(c, a, p), wc = Edge(a, b, p);
                const bool inside = area > 0 ? (wa >= 0 && wb >= 0 && wc >= 0)
                                             : (wa <= 0 && wb <= 0 && wc <= 0);
                if (!inside)
                    continue;
                const double surface =
                    (double(wa) * ya + double(wb) * yb + double(wc) * yc) / double(area);
                const size_t i = size_t(y) * columns + size_t(x);
                worst = std::max(worst, std::fabs(surface - double(full.positions[3 * i + 1])));
                covered[i] = 1;
            }
    }
    if (std::find(covered.begin(), covered.end(), 0) != covered.end())
        return std::numeric_limits<double>::infinity();
    return worst;
}

TerrainMesh SimplifiedMesh(const TerrainMesh& full, double errorMetres) {
    if (errorMetres <= 0 || full.TriangleCount() == 0)
        return full;
    // The library's error is relative to the mesh's extent.
    const float extent =
        meshopt_simplifyScale(full.positions.data(), full.VertexCount(), 3 * sizeof(float));
    if (!(extent > 0))
        return full;
    double relative = errorMetres / double(extent);
    std::vector<uint32_t> indices(full.indices.size());
    for (int attempt = 0; attempt < attempts; ++attempt, relative /= 2) {
        const size_t count = meshopt_simplify(
            indices.data(), full.indices.data(), full.indices.size(), full.positions.data(),
            full.VertexCount(), 3 * sizeof(float), 0, float(relative), meshopt_SimplifyLockBorder,
            nullptr);
        TerrainMesh kept = KeptTriangles(
            full, std::vector<uint32_t>(indices.begin(), indices.begin() + ptrdiff_t(count)));
        if (GridDeviation(full, kept) <= errorMetres)
            return kept;
    }
    return full;
}
