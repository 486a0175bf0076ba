#include "mesh/MeshSet.h"

#include "data/Archive.h"
#include "export/GlbFile.h"
#include "export/MeshHoles.h"
#include "export/ObjFile.h"
#include "export/StlFile.h"
#include "mesh/SimplifiedMesh.h"

#include <algorithm>
#include <filesystem>

namespace {

std::vector<HeightTile> TilesFor(int32_t columns, int32_t rows, const MeshLayout& layout) {
    if (layout.tileColumns == 1 && layout.tileRows == 1)
        return {{0, 0, 0, 0, columns, rows}};
    return TilesOf(columns, rows, layout.tileColumns, layout.tileRows);
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// One scale for the whole window, so that printed tiles fit together.
PrintFrame FrameOf(const HeightWindow& window, const MeshLayout& layout) {
    const MeshScale& s = layout.scale;
    const double side = double(std::max(window.Width(), window.Height()) - 1) * s.cellSizeMetres;
    double lowest = window.At(0, 0);
    for (int32_t y = 0; y < window.Height(); ++y)
        for (int32_t x = 0; x < window.Width(); ++x)
            lowest = std::min(lowest, window.At(x, y));
    // The mesh's heights are floats: the base is measured from the float's value.
    return {layout.printSizeMm / side, layout.baseMm, double(float(lowest * s.heightRangeMetres))};
}

void WriteBytes(Archive& archive, const std::vector<unsigned char>& bytes) {
    archive.Write(bytes.data(), bytes.size());
}

void WriteText(Archive& archive, const std::string& text) {
    archive.Write(text.data(), text.size());
}

}  // namespace

std::string MeshRefusal(int32_t columns, int32_t rows, const MeshLayout& layout) {
    if (TilesFor(columns, rows, layout).empty())
        return "--tiles: " + std::to_string(layout.tileColumns) + "x" +
               std::to_string(layout.tileRows) + " tiles of a " + std::to_string(columns) + " x " +
               std::to_string(rows) + " mesh would have fewer than two samples a side";
    const uint64_t triangles = GridTriangles(columns, rows);
    if (layout.errorMetres == 0 && triangles > maxWholeMeshTriangles)
        return "--mesh-error: 0 keeps all " + std::to_string(triangles) + " triangles of a " +
               std::to_string(columns) + " x " + std::to_string(rows) + " mesh, more than the " +
               std::to_string(maxWholeMeshTriangles) + " a mesh may have; give an error in metres";
    return {};
}

TerrainMesh LayoutMesh(const HeightWindow& window, const HeightTile& tile,
                       const MeshLayout& layout) {
    return SimplifiedGridMesh(window, tile, layout.scale, layout.errorMetres, layout.twoThreads);
}

TerrainMesh SurfaceMesh(const HeightWindow& window, const HeightTile& tile,
                        const MeshLayout& layout) {
    return WithoutHoles(LayoutMesh(window, tile, layout), window, tile);
}

std::vector<MeshPart> MeshParts(const FileForm& form, const HeightWindow& window,
                                const MeshLayout& layout,
                                const std::vector<unsigned char>& picturePng,
                                const std::string& path) {
    std::vector<MeshPart> parts;
    const bool tiled = layout.tileColumns != 1 || layout.tileRows != 1;
    const std::string material = MaterialPath(path);
    for (const HeightTile& tile : TilesFor(window.Width(), window.Height(), layout)) {
        const std::string file = tiled ? TilePath(path, tile) : path;
        switch (form.id) {
        case FileFormId::MeshGlb:
            parts.push_back(
                {file, [&window, &layout, &picturePng, tile](Archive& a) {
                     const TerrainMesh land = LayoutMesh(window, tile, layout);
                     const TerrainMesh water = WaterMesh(land, layout.waterLevel, layout.scale);
                     WriteBytes(a, EncodeGlb(WithoutHoles(land, window, tile),
                                             layout.waterLevel > 0 ? &water : nullptr, picturePng));
                 }});
            break;
        case FileFormId::MeshStl:
            parts.push_back({file, [&window, &layout, tile](Archive& a) {
                                 WriteBytes(a, EncodeStl(LayoutMesh(window, tile, layout),
                                                         FrameOf(window, layout)));
                             }});
            break;
        default:
            parts.push_back({file, [&window, &layout, tile, name = FileName(material)](Archive& a) {
                                 WriteText(a, ObjText(SurfaceMesh(window, tile, layout), name));
                             }});
            break;
        }
    }
    if (form.id == FileFormId::MeshObj) {
        const std::string texture = TexturePath(path);
        parts.push_back({material, [name = FileName(texture)](Archive& a) {
                             WriteText(a, MaterialText(name));
                         }});
        parts.push_back({texture, [&picturePng](Archive& a) { WriteBytes(a, picturePng); }});
    }
    return parts;
}

std::vector<std::string> MeshPaths(const FileForm& form, const std::string& path,
                                   int32_t tileColumns, int32_t tileRows) {
    std::vector<std::string> paths = TilePaths(path, tileColumns, tileRows);
    if (form.id == FileFormId::MeshObj) {
        paths.push_back(MaterialPath(path));
        paths.push_back(TexturePath(path));
    }
    return paths;
}
