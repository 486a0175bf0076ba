#include "export/MeshHoles.h"

#include "export/HeightWindow.h"

#include <algorithm>
#include <cstdint>

namespace {

struct Sample {
    int64_t x, y;
};

int64_t Cross(Sample a, Sample b, Sample p) {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

// On the triangle or its sides, in either turn; exact on the integer grid.
bool Covers(Sample a, Sample b, Sample c, Sample p) {
    const int64_t ab = Cross(a, b, p), bc = Cross(b, c, p), ca = Cross(c, a, p);
    return (ab >= 0 && bc >= 0 && ca >= 0) || (ab <= 0 && bc <= 0 && ca <= 0);
}

bool TileHasHoles(const HeightWindow& window, const HeightTile& tile) {
    for (int32_t y = tile.y; y < tile.y + tile.height; ++y)
        for (int32_t x = tile.x; x < tile.x + tile.width; ++x)
            if (window.Hole(x, y))
                return true;
    return false;
}

}  // namespace

TerrainMesh WithoutHoles(const TerrainMesh& mesh, const HeightWindow& window,
                         const HeightTile& tile) {
    if (!TileHasHoles(window, tile))
        return mesh;
    const auto sample = [&mesh](uint32_t vertex) {
        const uint32_t cell = mesh.cells[vertex];
        return Sample{int64_t(cell % uint32_t(mesh.columns)),
                      int64_t(cell / uint32_t(mesh.columns))};
    };
    std::vector<uint32_t> kept;
    kept.reserve(mesh.indices.size());
    for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        const Sample a = sample(mesh.indices[t]), b = sample(mesh.indices[t + 1]),
                     c = sample(mesh.indices[t + 2]);
        // Triangles do not overlap, so scanning each one's box reads about
        // every sample twice in all.
        bool overHole = false;
        for (int64_t y = std::min({a.y, b.y, c.y}); y <= std::max({a.y, b.y, c.y}) && !overHole;
             ++y)
            for (int64_t x = std::min({a.x, b.x, c.x}); x <= std::max({a.x, b.x, c.x}); ++x)
                if (window.Hole(tile.x + int32_t(x), tile.y + int32_t(y)) &&
                    Covers(a, b, c, {x, y})) {
                    overHole = true;
                    break;
                }
        if (!overHole)
            kept.insert(kept.end(), &mesh.indices[t], &mesh.indices[t] + 3);
    }
    return KeptTriangles(mesh, kept);
}
