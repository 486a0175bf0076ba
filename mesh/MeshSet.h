#pragma once
// A mesh as the command line and the bindings ask for it: one file or one
// per tile of the heightmap layout, an .obj with its .mtl and texture beside
// it. Each part is built and simplified when it is written, so only one
// tile's mesh is held at a time.

#include "export/FileForm.h"
#include "export/HeightWindow.h"
#include "export/TerrainMesh.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Archive;

struct MeshLayout {
    MeshScale scale;
    double errorMetres = 0;
    double baseMm = 2;
    double printSizeMm = 100;
    int32_t tileColumns = 1;
    int32_t tileRows = 1;
    double waterLevel = 0;  // an altitude; the water mesh is left out at 0
    bool twoThreads = false;
};

// Triangles at most in a mesh kept whole (an error of 0): 8192 x 8192 cells.
constexpr uint64_t maxWholeMeshTriangles = uint64_t(1) << 27;

// Why the mesh of a columns x rows window cannot be written (tiles too
// small, too many triangles kept whole), or empty.
std::string MeshRefusal(int32_t columns, int32_t rows, const MeshLayout& layout);

struct MeshPart {
    std::string path;
    std::function<void(Archive&)> write;
};

// Every file of the mesh, in order: each tile's mesh, then an .obj's
// material and texture. `picturePng` is the texture of .glb and
// .obj; the window and picture must outlive the parts.
std::vector<MeshPart> MeshParts(const FileForm& form, const HeightWindow& window,
                                const MeshLayout& layout,
                                const std::vector<unsigned char>& picturePng,
                                const std::string& path);

// The paths of the parts, known from the form and the tile counts alone.
std::vector<std::string> MeshPaths(const FileForm& form, const std::string& path,
                                   int32_t tileColumns, int32_t tileRows);

// The mesh of one tile, simplified, as every form writes it.
TerrainMesh LayoutMesh(const HeightWindow& window, const HeightTile& tile,
                       const MeshLayout& layout);

// The same without what lies over the window's holes (NoData), as the .glb
// and .obj land and Python's arrays hold it. An .stl stays a closed solid:
// its holes keep their stand-in height.
TerrainMesh SurfaceMesh(const HeightWindow& window, const HeightTile& tile,
                        const MeshLayout& layout);
