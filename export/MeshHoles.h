#pragma once
// A mesh over heights with holes (an elevation model's NoData): the
// triangles that touch or cover a hole's sample are left out, and the
// vertices only they used, so nothing is drawn where no height is known.

#include "export/HeightLayout.h"
#include "export/TerrainMesh.h"

class HeightWindow;

// The mesh of `tile` of the window without what lies over its holes; the
// mesh itself when the tile has none. Its cells are the tile's samples.
TerrainMesh WithoutHoles(const TerrainMesh& mesh, const HeightWindow& window,
                         const HeightTile& tile);
