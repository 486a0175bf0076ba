#include "export/StlFile.h"

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace {

struct Vec {
    float x, y, z;
};

// The grid's edge samples in the order the surface's triangles run along
// them (see GridMesh): west along the top row, south down the first column,
// east along the bottom row, north up the last column.
std::vector<uint32_t> EdgeLoop(int32_t columns, int32_t rows) {
    std::vector<uint32_t> loop;
    const uint32_t w = uint32_t(columns), h = uint32_t(rows);
    for (uint32_t x = w - 1; x > 0; --x)
        loop.push_back(x);
    for (uint32_t y = 0; y + 1 < h; ++y)
        loop.push_back(y * w);
    for (uint32_t x = 0; x + 1 < w; ++x)
        loop.push_back((h - 1) * w + x);
    for (uint32_t y = h - 1; y > 0; --y)
        loop.push_back(y * w + w - 1);
    return loop;
}

void AppendTriangle(std::vector<unsigned char>& out, const Vec& a, const Vec& b, const Vec& c) {
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y, uz = double(b.z) - a.z;
    const double vx = double(c.x) - a.x, vy = double(c.y) - a.y, vz = double(c.z) - a.z;
    double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length > 0) {
        nx /= length;
        ny /= length;
        nz /= length;
    }
    const float record[12] = {float(nx), float(ny), float(nz), a.x, a.y, a.z,
                              b.x,       b.y,       b.z,       c.x, c.y, c.z};
    const size_t at = out.size();
    out.resize(at + 50, 0);  // the two attribute bytes stay zero
    std::memcpy(&out[at], record, sizeof record);
}

}  // namespace

std::vector<unsigned char> EncodeStl(const TerrainMesh& mesh, const PrintFrame& frame) {
    if (mesh.columns < 2 || mesh.rows < 2)
        throw std::logic_error("a solid needs at least 2 x 2 samples");
    // Metres to millimetres, z up: north (the mesh's -z) becomes +y, a rotation,
    // so counter-clockwise from above stays outward.
    const double s = frame.mmPerMetre;
    std::vector<Vec> top(mesh.VertexCount());
    for (size_t v = 0; v < top.size(); ++v) {
        const float* p = &mesh.positions[3 * v];
        top[v] = {float(p[0] * s), float(-double(p[2]) * s),
                  float(frame.baseMm + (p[1] - frame.lowestMetres) * s)};
    }
    // Only the edge's samples are looked up: a map of every vertex would
    // cost more than the mesh on a large grid.
    std::unordered_map<uint32_t, uint32_t> vertexOfCell;
    const uint32_t w = uint32_t(mesh.columns), h = uint32_t(mesh.rows);
    for (uint32_t v = 0; v < mesh.cells.size(); ++v) {
        const uint32_t x = mesh.cells[v] % w, y = mesh.cells[v] / w;
        if (x == 0 || y == 0 || x + 1 == w || y + 1 == h)
            vertexOfCell.emplace(mesh.cells[v], v);
    }
    const std::vector<uint32_t> loop = EdgeLoop(mesh.columns, mesh.rows);
    std::vector<Vec> edge, base;
    for (uint32_t cell : loop) {
        const auto found = vertexOfCell.find(cell);
        if (found == vertexOfCell.end())
            throw std::logic_error("the mesh lost a sample of its edge");
        const Vec& t = top[found->second];
        edge.push_back(t);
        base.push_back({t.x, t.y, 0.0f});
    }
    // The base's centre, the apex of its fan: halfway between opposite corners.
    const Vec& first = top[vertexOfCell.at(0)];
    const Vec& last = top[vertexOfCell.at(uint32_t(mesh.columns) * uint32_t(mesh.rows) - 1)];
    const Vec centre = {float((double(first.x) + last.x) / 2),
                        float((double(first.y) + last.y) / 2), 0.0f};

    const uint64_t triangles = mesh.TriangleCount() + 3 * uint64_t(loop.size());
    std::vector<unsigned char> out;
    out.reserve(84 + 50 * triangles);
    out.resize(84, 0);
    const char header[] = "glenvar terrain, millimetres, z up";
    std::memcpy(out.data(), header, sizeof header - 1);
    const uint32_t count = uint32_t(triangles);
    for (int k = 0; k < 4; ++k)
        out[80 + size_t(k)] = uint8_t(count >> (8 * k));
    for (size_t i = 0; i < mesh.indices.size(); i += 3)
        AppendTriangle(out, top[mesh.indices[i]], top[mesh.indices[i + 1]],
                       top[mesh.indices[i + 2]]);
    for (size_t i = 0; i < loop.size(); ++i) {
        // The surface runs a -> b along its edge; the wall runs b -> a on top.
        const size_t j = (i + 1) % loop.size();
        AppendTriangle(out, edge[j], edge[i], base[i]);
        AppendTriangle(out, edge[j], base[i], base[j]);
        AppendTriangle(out, centre, base[j], base[i]);
    }
    return out;
}
