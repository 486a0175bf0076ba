#include "export/TerrainMesh.h"

#include "export/HeightWindow.h"

#include <algorithm>
#include <cmath>

namespace {

// The slope across a sample from its neighbours inside the window, one-sided
// at its edges and beside holes, so that neither the map's wrap nor a NoData
// cell's stand-in height bends it.
double Slope(const HeightWindow& w, int32_t x, int32_t y, bool eastward, double cell) {
    const int32_t limit = eastward ? w.Width() : w.Height();
    const int32_t at = eastward ? x : y;
    // A hole (NoData) beside the sample counts as the window's edge.
    const auto present = [&](int32_t i) {
        return i >= 0 && i < limit && !(eastward ? w.Hole(i, y) : w.Hole(x, i));
    };
    const int32_t before = present(at - 1) ? at - 1 : at;
    const int32_t after = present(at + 1) ? at + 1 : at;
    if (before == after)
        return 0;
    const double low = eastward ? w.At(before, y) : w.At(x, before);
    const double high = eastward ? w.At(after, y) : w.At(x, after);
    return (high - low) / (double(after - before) * cell);
}

void AddNormal(TerrainMesh& mesh, const HeightWindow& w, int32_t x, int32_t y,
               const MeshScale& scale) {
    const double range = scale.heightRangeMetres;
    const double sx = Slope(w, x, y, true, scale.cellSizeMetres) * range;
    const double sz = Slope(w, x, y, false, scale.cellSizeMetres) * range;
    const double length = std::sqrt(sx * sx + 1 + sz * sz);
    mesh.normals.insert(mesh.normals.end(),
                        {float(-sx / length), float(1 / length), float(-sz / length)});
}

// Texture coordinates put each vertex on its pixel's centre; past the
// picture (a closed edge) they wrap onto its first column, as the samples do.
void AddVertex(TerrainMesh& mesh, const HeightWindow& window, const HeightTile& tile, int32_t x,
               int32_t y, const MeshScale& scale) {
    const double pictureW = double(window.Width()), pictureH = double(window.Height());
    mesh.positions.insert(mesh.positions.end(), {float(double(x) * scale.cellSizeMetres),
                                                 float(window.At(x, y) * scale.heightRangeMetres),
                                                 float(double(y) * scale.cellSizeMetres)});
    AddNormal(mesh, window, x, y, scale);
    mesh.texCoords.insert(mesh.texCoords.end(),
                          {float((x + 0.5) / pictureW), float((y + 0.5) / pictureH)});
    mesh.cells.push_back(uint32_t(y - tile.y) * uint32_t(tile.width) + uint32_t(x - tile.x));
}

}  // namespace

uint64_t GridTriangles(int64_t columns, int64_t rows) {
    if (columns < 2 || rows < 2)
        return 0;
    return 2 * uint64_t(columns - 1) * uint64_t(rows - 1);
}

TerrainMesh GridMesh(const HeightWindow& window, const HeightTile& tile, const MeshScale& scale) {
    TerrainMesh mesh;
    mesh.columns = tile.width;
    mesh.rows = tile.height;
    const size_t count = size_t(tile.width) * size_t(tile.height);
    mesh.positions.reserve(3 * count);
    mesh.normals.reserve(3 * count);
    mesh.texCoords.reserve(2 * count);
    mesh.cells.reserve(count);
    for (int32_t y = tile.y; y < tile.y + tile.height; ++y)
        for (int32_t x = tile.x; x < tile.x + tile.width; ++x)
            AddVertex(mesh, window, tile, x, y, scale);
    mesh.indices = GridIndices(tile.width, tile.height);
    return mesh;
}

std::vector<uint32_t> GridIndices(int32_t columns, int32_t rows) {
    std::vector<uint32_t> indices;
    indices.reserve(3 * GridTriangles(columns, rows));
    const uint32_t w = uint32_t(columns);
    for (uint32_t y = 0; y + 1 < uint32_t(rows); ++y)
        for (uint32_t x = 0; x + 1 < w; ++x) {
            const uint32_t i = y * w + x;
            indices.insert(indices.end(), {i, i + w, i + 1, i + 1, i + w, i + w + 1});
        }
    return indices;
}

TerrainMesh WaterMesh(const TerrainMesh& land, double altitude, const MeshScale& scale) {
    TerrainMesh water;
    water.columns = 2;
    water.rows = 2;
    const float y = float(altitude * scale.heightRangeMetres);
    const size_t last = land.VertexCount() - 1;
    const size_t corners[] = {0, size_t(land.columns) - 1, last + 1 - size_t(land.columns), last};
    for (size_t corner : corners) {
        water.positions.insert(water.positions.end(),
                               {land.positions[3 * corner], y, land.positions[3 * corner + 2]});
        water.normals.insert(water.normals.end(), {0.0f, 1.0f, 0.0f});
        water.texCoords.insert(water.texCoords.end(),
                               {land.texCoords[2 * corner], land.texCoords[2 * corner + 1]});
    }
    water.cells = {0, 1, 2, 3};
    water.indices = {0, 2, 1, 1, 2, 3};
    return water;
}

TerrainMesh KeptTriangles(const TerrainMesh& mesh, const std::vector<uint32_t>& indices) {
    constexpr uint32_t unused = UINT32_MAX;
    std::vector<uint32_t> remap(mesh.VertexCount(), unused);
    for (uint32_t index : indices)
        remap[index] = 0;
    TerrainMesh kept;
    kept.columns = mesh.columns;
    kept.rows = mesh.rows;
    uint32_t next = 0;
    for (size_t v = 0; v < remap.size(); ++v) {
        if (remap[v] == unused)
            continue;
        remap[v] = next++;
        kept.positions.insert(kept.positions.end(), &mesh.positions[3 * v],
                              &mesh.positions[3 * v] + 3);
        kept.normals.insert(kept.normals.end(), &mesh.normals[3 * v], &mesh.normals[3 * v] + 3);
        kept.texCoords.insert(kept.texCoords.end(), &mesh.texCoords[2 * v],
                              &mesh.texCoords[2 * v] + 2);
        kept.cells.push_back(mesh.cells[v]);
    }
    kept.indices.reserve(indices.size());
    for (uint32_t index : indices)
        kept.indices.push_back(remap[index]);
    return kept;
}

TerrainMesh GridMeshKeeping(const HeightWindow& window, const HeightTile& tile,
                            const MeshScale& scale, const std::vector<uint32_t>& indices) {
    constexpr uint32_t unused = UINT32_MAX;
    std::vector<uint32_t> remap(size_t(tile.width) * size_t(tile.height), unused);
    for (uint32_t index : indices)
        remap[index] = 0;
    TerrainMesh kept;
    kept.columns = tile.width;
    kept.rows = tile.height;
    const size_t count = size_t(std::count(remap.begin(), remap.end(), 0u));
    kept.positions.reserve(3 * count);
    kept.normals.reserve(3 * count);
    kept.texCoords.reserve(2 * count);
    kept.cells.reserve(count);
    uint32_t next = 0;
    for (size_t v = 0; v < remap.size(); ++v) {
        if (remap[v] == unused)
            continue;
        remap[v] = next++;
        AddVertex(kept, window, tile, tile.x + int32_t(v % size_t(tile.width)),
                  tile.y + int32_t(v / size_t(tile.width)), scale);
    }
    kept.indices.reserve(indices.size());
    for (uint32_t index : indices)
        kept.indices.push_back(remap[index]);
    return kept;
}
