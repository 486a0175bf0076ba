#include "export/ObjFile.h"

#include "export/FloatText.h"

#include <filesystem>

namespace {

// Shortest text that reads back as the same float: the file is as exact as the mesh.
void AppendFloat(std::string& text, float value) {
    text += ' ';
    text += ShortestFloatText(value);
}

std::string Beside(const std::string& objPath, const std::string& ending) {
    std::filesystem::path path(objPath);
    return path.replace_filename(path.stem().string() + ending).string();
}

}  // namespace

std::string ObjText(const TerrainMesh& mesh, const std::string& materialFile) {
    std::string text =
        "# glenvar terrain: metres, x east, y up, z south\nmtllib " + materialFile + "\no land\n";
    text.reserve(text.size() + 100 * mesh.VertexCount() + 40 * mesh.TriangleCount());
    for (size_t v = 0; v < mesh.VertexCount(); ++v) {
        text += 'v';
        for (int c = 0; c < 3; ++c)
            AppendFloat(text, mesh.positions[3 * v + size_t(c)]);
        text += "\nvt";
        // OBJ counts v up from the picture's bottom row.
        AppendFloat(text, mesh.texCoords[2 * v]);
        AppendFloat(text, 1.0f - mesh.texCoords[2 * v + 1]);
        text += "\nvn";
        for (int c = 0; c < 3; ++c)
            AppendFloat(text, mesh.normals[3 * v + size_t(c)]);
        text += '\n';
    }
    text += "usemtl land\n";
    for (size_t i = 0; i < mesh.indices.size(); i += 3) {
        text += 'f';
        for (size_t k = 0; k < 3; ++k) {
            const std::string n = std::to_string(mesh.indices[i + k] + 1);
            text += ' ' + n + '/' + n + '/' + n;
        }
        text += '\n';
    }
    return text;
}

std::string MaterialText(const std::string& textureFile) {
    return "newmtl land\nKa 1 1 1\nKd 1 1 1\nKs 0 0 0\nillum 1\nmap_Kd " + textureFile + "\n";
}

std::string MaterialPath(const std::string& objPath) {
    return Beside(objPath, ".mtl");
}

std::string TexturePath(const std::string& objPath) {
    return Beside(objPath, "_texture.png");
}
