#pragma once
// A terrain mesh with fewer triangles, every sample of its full grid within
// a given distance of the simplified surface.

#include "export/TerrainMesh.h"

// Whether every sample of the full grid mesh lies within `errorMetres` of
// the surface of `simplified` (a mesh of the same grid's vertices), by its
// distance in space: on a steep slope a sample may lie far above the
// surface straight below it and still close to the surface beside it.
bool WithinError(const TerrainMesh& full, const TerrainMesh& simplified, double errorMetres);

// `full` (a GridMesh) with its triangles reduced so that WithinError holds;
// its edge samples are all kept, so tiles still meet and a solid can be
// closed. An error of 0 keeps every triangle. The same mesh on one thread
// or two.
TerrainMesh SimplifiedMesh(const TerrainMesh& full, double errorMetres, bool twoThreads = false);

// SimplifiedMesh(GridMesh(window, tile, scale), ...), the same bytes, without
// building the whole grid mesh first.
TerrainMesh SimplifiedGridMesh(const HeightWindow& window, const HeightTile& tile,
                               const MeshScale& scale, double errorMetres, bool twoThreads = false);
