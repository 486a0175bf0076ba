#pragma once
// A map's heights as a triangle mesh for 3D programs and printers: one vertex
// per sample of a heightmap window (export/HeightWindow.h), two triangles a
// grid square. Positions are in metres, x east and z south from the whole
// window's first sample, y up; so the tiles of one window sit side by side
// and their shared edges hold the very same vertices. A height field has no
// wrap: the window's edges are the mesh's edges, whatever the map's boundary.

#include "export/HeightLayout.h"

#include <cstdint>
#include <vector>

class HeightWindow;

struct MeshScale {
    double cellSizeMetres = 1;
    double heightRangeMetres = 1000;  // what altitude 1 lies above altitude 0
};

struct TerrainMesh {
    int32_t columns = 0;  // the grid the vertices were taken from
    int32_t rows = 0;
    std::vector<float> positions;   // x, y, z a vertex
    std::vector<float> normals;     // unit length, x, y, z a vertex
    std::vector<float> texCoords;   // u, v a vertex, on the whole window's picture
    std::vector<uint32_t> cells;    // each vertex's sample, row * columns + column
    std::vector<uint32_t> indices;  // three a triangle, counter-clockwise seen from above

    size_t VertexCount() const { return cells.size(); }
    size_t TriangleCount() const { return indices.size() / 3; }
};

// Triangles a grid of columns x rows samples gives unsimplified.
uint64_t GridTriangles(int64_t columns, int64_t rows);

// The triangles of a columns x rows grid of vertices, row by row.
std::vector<uint32_t> GridIndices(int32_t columns, int32_t rows);

// The mesh of `tile` of the window (the whole window when it spans it). The
// normals come from the whole window's heights, so tiles agree on their
// shared edges; at the window's own edges they are one-sided.
TerrainMesh GridMesh(const HeightWindow& window, const HeightTile& tile, const MeshScale& scale);

// KeptTriangles of the GridMesh of `tile` with `indices` (three a triangle,
// counting the tile's samples), without building the whole grid first.
TerrainMesh GridMeshKeeping(const HeightWindow& window, const HeightTile& tile,
                            const MeshScale& scale, const std::vector<uint32_t>& indices);

// A flat rectangle over the mesh's extent at the height of `altitude`, for
// water drawn as a mesh of its own.
TerrainMesh WaterMesh(const TerrainMesh& land, double altitude, const MeshScale& scale);

// The mesh keeping only the triangles given, its vertices those they use, in
// their former order.
TerrainMesh KeptTriangles(const TerrainMesh& mesh, const std::vector<uint32_t>& indices);
