#pragma once
// Binary glTF 2.0 (.glb): the land with its normals and the map's picture as
// its texture, and water, when given, as a mesh of its own at its level.

#include "export/TerrainMesh.h"

#include <vector>

// Throws a CommandFailure of FailureKind::Encoding when the file would pass
// the 4 GiB its length fields can say.
std::vector<unsigned char> EncodeGlb(const TerrainMesh& land, const TerrainMesh* water,
                                     const std::vector<unsigned char>& picturePng);
