#include "mesh/SimplifiedMesh.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>
#include <unordered_map>

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

// How many attempts halve the error asked of the library before a block is
// kept whole.
constexpr int attempts = 3;

// Samples a side of the blocks simplified one by one. meshoptimizer weighs
// its error in floats scaled to the mesh's extent: over a whole large map
// that rounding alone passes a metre, over a block it stays far below.
constexpr int32_t blockSide = 256;

// The grid mesh of one block of `full`, its cells counted within the block.
TerrainMesh BlockOf(const TerrainMesh& full, const HeightTile& block) {
    TerrainMesh mesh;
    mesh.columns = block.width;
    mesh.rows = block.height;
    for (int32_t y = block.y; y < block.y + block.height; ++y)
        for (int32_t x = block.x; x < block.x + block.width; ++x) {
            const size_t v = size_t(y) * size_t(full.columns) + size_t(x);
            mesh.positions.insert(mesh.positions.end(), &full.positions[3 * v],
                                  &full.positions[3 * v] + 3);
            mesh.cells.push_back(uint32_t(mesh.cells.size()));
        }
    mesh.indices = GridIndices(block.width, block.height);
    return mesh;
}

// The library may fold a triangle upright onto the locked border (it
// measures no error there): three samples in a line in the grid, the middle
// one hanging on the other two. Each such sliver and the triangle across
// its long side become two triangles through the middle sample, so the
// surface stays a height field where it can; false when some sliver stays
// (no neighbour across it, or one in the same line).
bool SplitSlivers(const TerrainMesh& block, std::vector<uint32_t>& indices) {
    // A neighbour may itself lie in the line: a few rounds, then give up.
    for (int round = 0; round < 8; ++round) {
        bool found = false;
        std::unordered_map<uint64_t, size_t> across;  // directed edge -> triangle
        const auto key = [](uint32_t a, uint32_t b) { return (uint64_t(a) << 32) | b; };
        for (size_t t = 0; t < indices.size(); t += 3)
            for (size_t k = 0; k < 3; ++k)
                across[key(indices[t + k], indices[t + (k + 1) % 3])] = t;
        std::vector<uint8_t> changed(indices.size() / 3, 0);
        for (size_t t = 0; t < indices.size(); t += 3) {
            if (changed[t / 3])
                continue;
            const uint32_t v[3] = {indices[t], indices[t + 1], indices[t + 2]};
            const GridPoint p[3] = {PointOf(block, v[0]), PointOf(block, v[1]),
                                    PointOf(block, v[2])};
            if (Edge(p[0], p[1], p[2]) != 0)
                continue;
            // The middle sample lies between the other two.
            size_t m = 0;
            for (size_t k = 0; k < 3; ++k) {
                const GridPoint& a = p[(k + 1) % 3];
                const GridPoint& b = p[(k + 2) % 3];
                if ((p[k].x - a.x) * (p[k].x - b.x) <= 0 && (p[k].y - a.y) * (p[k].y - b.y) <= 0)
                    m = k;
            }
            const uint32_t a = v[(m + 1) % 3], b = v[(m + 2) % 3], middle = v[m];
            const auto other = across.find(key(b, a));
            if (other == across.end())
                return false;
            const size_t u = other->second;
            if (changed[u / 3])
                continue;  // split already this round: the next round sees it anew
            uint32_t x = 0;
            for (size_t k = 0; k < 3; ++k)
                if (indices[u + k] != a && indices[u + k] != b)
                    x = indices[u + k];
            // The neighbour runs b -> a -> x: split its side b -> a at the middle.
            const uint32_t split[6] = {b, middle, x, middle, a, x};
            std::copy(split, split + 3, indices.begin() + ptrdiff_t(u));
            std::copy(split + 3, split + 6, indices.begin() + ptrdiff_t(t));
            changed[t / 3] = changed[u / 3] = 1;
            found = true;
        }
        if (!found)
            return true;
    }
    return false;
}

// The block's triangles as few as its error allows, as indices into the block.
std::vector<uint32_t> SimplifiedBlock(const TerrainMesh& block, double errorMetres) {
    const float extent =
        meshopt_simplifyScale(block.positions.data(), block.VertexCount(), 3 * sizeof(float));
    if (!(extent > 0))
        return block.indices;
    // The library's error is relative to the extent, and its quadrics
    // measure less than the distance to the surface: on smoothed maps a
    // quarter of the error was the first to keep it in nearly every block.
    double relative = errorMetres / double(extent) / 4;
    std::vector<uint32_t> indices(block.indices.size());
    for (int attempt = 0; attempt < attempts; ++attempt, relative /= 2) {
        indices.resize(block.indices.size());
        indices.resize(meshopt_simplify(indices.data(), block.indices.data(), block.indices.size(),
                                        block.positions.data(), block.VertexCount(),
                                        3 * sizeof(float), 0, float(relative),
                                        meshopt_SimplifyLockBorder, nullptr));
        TerrainMesh kept = block;
        kept.indices = indices;
        if (SplitSlivers(block, kept.indices) && WithinError(block, kept, errorMetres))
            return kept.indices;
    }
    return block.indices;
}

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
    const auto blocksAlong = [](int32_t samples) {
        return std::max<int32_t>(1, (samples - 2) / (blockSide - 1) + 1);
    };
    const std::vector<HeightTile> blocks =
        TilesOf(full.columns, full.rows, blocksAlong(full.columns), blocksAlong(full.rows));
    // Each block alone, its triangles kept apart and joined in block order:
    // the same mesh on one thread or two.
    std::vector<std::vector<uint32_t>> kept(blocks.size());
    const auto work = [&](size_t first, size_t step) {
        for (size_t b = first; b < blocks.size(); b += step)
            kept[b] = SimplifiedBlock(BlockOf(full, blocks[b]), errorMetres);
    };
    if (twoThreads && blocks.size() > 1) {
        std::thread second(work, 1, 2);
        work(0, 2);
        second.join();
    } else {
        work(0, 1);
    }
    std::vector<uint32_t> indices;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const HeightTile& block = blocks[b];
        for (uint32_t local : kept[b]) {
            const uint32_t x = uint32_t(block.x) + local % uint32_t(block.width);
            const uint32_t y = uint32_t(block.y) + local / uint32_t(block.width);
            indices.push_back(y * uint32_t(full.columns) + x);
        }
    }
    return KeptTriangles(full, indices);
}
