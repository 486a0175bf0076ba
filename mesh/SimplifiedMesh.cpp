#include "mesh/SimplifiedMesh.h"

#include "export/HeightWindow.h"
#include "mesh/RightTriangulation.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

struct GridPoint {
    int64_t x, y;
};

struct Vec {
    double x, y, z;
    Vec operator-(const Vec& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec operator+(const Vec& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec operator*(double s) const { return {x * s, y * s, z * s}; }
    double Dot(const Vec& o) const { return x * o.x + y * o.y + z * o.z; }
};

GridPoint PointOf(const TerrainMesh& mesh, uint32_t vertex) {
    const uint32_t cell = mesh.cells[vertex];
    return {int64_t(cell % uint32_t(mesh.columns)), int64_t(cell / uint32_t(mesh.columns))};
}

Vec Position(const TerrainMesh& mesh, size_t vertex) {
    return {mesh.positions[3 * vertex], mesh.positions[3 * vertex + 1],
            mesh.positions[3 * vertex + 2]};
}

// Twice the signed area of (a, b, p): exact in integers.
int64_t Edge(const GridPoint& a, const GridPoint& b, const GridPoint& p) {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

// The squared distance from p to the triangle: the closest point by the
// Voronoi regions of its corners, edges and face (Ericson, Real-Time
// Collision Detection, 5.1.5).
double SquaredDistance(const Vec& p, const Vec& a, const Vec& b, const Vec& c) {
    const Vec ab = b - a, ac = c - a, ap = p - a;
    const double d1 = ab.Dot(ap), d2 = ac.Dot(ap);
    const auto to = [&p](const Vec& q) { return (p - q).Dot(p - q); };
    if (d1 <= 0 && d2 <= 0)
        return to(a);
    const Vec bp = p - b;
    const double d3 = ab.Dot(bp), d4 = ac.Dot(bp);
    if (d3 >= 0 && d4 <= d3)
        return to(b);
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return to(a + ab * (d1 / (d1 - d3)));
    const Vec cp = p - c;
    const double d5 = ab.Dot(cp), d6 = ac.Dot(cp);
    if (d6 >= 0 && d5 <= d6)
        return to(c);
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return to(a + ac * (d2 / (d2 - d6)));
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return to(b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6))));
    const double denominator = 1 / (va + vb + vc);
    return to(a + ab * (vb * denominator) + ac * (vc * denominator));
}

// The triangles of a mesh by the squares of a coarse grid their outlines
// touch, to find those near a sample.
class TriangleBins {
  public:
    explicit TriangleBins(const TerrainMesh& mesh) : mesh_(mesh) {
        columns_ = (int64_t(mesh.columns) + side - 1) / side;
        rows_ = (int64_t(mesh.rows) + side - 1) / side;
        bins_.resize(size_t(columns_ * rows_));
        for (size_t t = 0; t < mesh.indices.size(); t += 3) {
            const GridPoint a = PointOf(mesh, mesh.indices[t]),
                            b = PointOf(mesh, mesh.indices[t + 1]),
                            c = PointOf(mesh, mesh.indices[t + 2]);
            for (int64_t by = std::min({a.y, b.y, c.y}) / side;
                 by <= std::max({a.y, b.y, c.y}) / side; ++by)
                for (int64_t bx = std::min({a.x, b.x, c.x}) / side;
                     bx <= std::max({a.x, b.x, c.x}) / side; ++bx)
                    bins_[size_t(by * columns_ + bx)].push_back(uint32_t(t));
        }
    }

    // Whether a triangle reaching within `reach` samples of p each way lies
    // within `limit` of the point `at`.
    bool Near(const GridPoint& p, const Vec& at, int64_t reach, double limit) const {
        const double squared = limit * limit;
        const int64_t x0 = std::max<int64_t>(0, p.x - reach) / side,
                      x1 = std::min<int64_t>(mesh_.columns - 1, p.x + reach) / side,
                      y0 = std::max<int64_t>(0, p.y - reach) / side,
                      y1 = std::min<int64_t>(mesh_.rows - 1, p.y + reach) / side;
        for (int64_t by = y0; by <= y1; ++by)
            for (int64_t bx = x0; bx <= x1; ++bx)
                for (uint32_t t : bins_[size_t(by * columns_ + bx)]) {
                    const uint32_t* v = &mesh_.indices[t];
                    if (SquaredDistance(at, Position(mesh_, v[0]), Position(mesh_, v[1]),
                                        Position(mesh_, v[2])) <= squared)
                        return true;
                }
        return false;
    }

  private:
    static constexpr int64_t side = 32;
    const TerrainMesh& mesh_;
    int64_t columns_ = 0, rows_ = 0;
    std::vector<std::vector<uint32_t>> bins_;
};

}  // namespace

bool WithinError(const TerrainMesh& full, const TerrainMesh& simplified, double errorMetres) {
    // First the surface straight above or below each sample, which is never
    // nearer than the nearest surface: most samples pass there.
    const size_t columns = size_t(full.columns);
    std::vector<uint8_t> passed(full.VertexCount(), 0);
    for (size_t t = 0; t < simplified.indices.size(); t += 3) {
        const uint32_t* v = &simplified.indices[t];
        const GridPoint a = PointOf(simplified, v[0]), b = PointOf(simplified, v[1]),
                        c = PointOf(simplified, v[2]);
        const int64_t area = Edge(a, b, c);
        if (area == 0)
            continue;
        const double ya = simplified.positions[3 * v[0] + 1],
                     yb = simplified.positions[3 * v[1] + 1],
                     yc = simplified.positions[3 * v[2] + 1];
        for (int64_t y = std::min({a.y, b.y, c.y}); y <= std::max({a.y, b.y, c.y}); ++y)
            for (int64_t x = std::min({a.x, b.x, c.x}); x <= std::max({a.x, b.x, c.x}); ++x) {
                const GridPoint p{x, y};
                const int64_t wa = Edge(b, c, p), wb = Edge(c, a, p), wc = Edge(a, b, p);
                const bool inside =
                    area > 0 ? (wa >= 0 && wb >= 0 && wc >= 0) : (wa <= 0 && wb <= 0 && wc <= 0);
                if (!inside)
                    continue;
                const double surface =
                    (double(wa) * ya + double(wb) * yb + double(wc) * yc) / double(area);
                const size_t i = size_t(y) * columns + size_t(x);
                if (std::fabs(surface - double(full.positions[3 * i + 1])) <= errorMetres)
                    passed[i] = 1;
            }
    }
    // The rest by their distance in space: a nearest point within the error
    // lies within that many metres sideways, so the triangles near enough in
    // the grid are all there is to try.
    const double cell = full.columns > 1 ? double(full.positions[3]) - full.positions[0] : 1;
    const int64_t reach = int64_t(std::ceil(errorMetres / cell)) + 1;
    std::unique_ptr<TriangleBins> bins;
    for (size_t i = 0; i < passed.size(); ++i) {
        if (passed[i])
            continue;
        if (!bins)
            bins = std::make_unique<TriangleBins>(simplified);
        const GridPoint p{int64_t(i % columns), int64_t(i / columns)};
        if (!bins->Near(p, Position(full, i), reach, errorMetres))
            return false;
    }
    return true;
}

TerrainMesh SimplifiedMesh(const TerrainMesh& full, double errorMetres, bool twoThreads) {
    if (errorMetres <= 0 || full.TriangleCount() == 0)
        return full;
    return KeptTriangles(full, RightTriangulation(full, errorMetres, twoThreads));
}

TerrainMesh SimplifiedGridMesh(const HeightWindow& window, const HeightTile& tile,
                               const MeshScale& scale, double errorMetres, bool twoThreads) {
    if (errorMetres <= 0 || GridTriangles(tile.width, tile.height) == 0)
        return GridMesh(window, tile, scale);
    // The heights as GridMesh rounds them, so the bound holds for its vertices.
    std::vector<float> heights;
    heights.reserve(size_t(tile.width) * size_t(tile.height));
    for (int32_t y = tile.y; y < tile.y + tile.height; ++y)
        for (int32_t x = tile.x; x < tile.x + tile.width; ++x)
            heights.push_back(float(window.At(x, y) * scale.heightRangeMetres));
    return GridMeshKeeping(
        window, tile, scale,
        RightTriangulation(heights.data(), 1, tile.width, tile.height, errorMetres, twoThreads));
}
