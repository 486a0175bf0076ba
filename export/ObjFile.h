#pragma once
// Wavefront OBJ: the land's vertices, texture coordinates and normals, its
// material in a .mtl beside it naming the picture as the texture.

#include "export/TerrainMesh.h"

#include <string>
#include <vector>

// The .obj's text, naming `materialFile` (a file name beside it).
std::string ObjText(const TerrainMesh& mesh, const std::string& materialFile);
// The .mtl's text, naming `textureFile` (a file name beside it).
std::string MaterialText(const std::string& textureFile);

// "land.mtl" and "land_texture.png" for "dir/land.obj".
std::string MaterialPath(const std::string& objPath);
std::string TexturePath(const std::string& objPath);
