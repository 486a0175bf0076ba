#pragma once
// A terrain mesh with fewer triangles, every sample of its full grid within
// a given distance of the simplified surface. meshoptimizer does the
// simplifying; its error bound is a quadric estimate, so the result is
// measured here against every sample and simplified again more gently until
// it keeps the bound.

#include "export/TerrainMesh.h"

// The largest vertical distance from a sample of the full grid mesh to the
// surface of `simplified` above or below it (a vertical distance is never
// less than the distance to the surface); infinity when a sample lies under
// no triangle.
double GridDeviation(const TerrainMesh& full, const TerrainMesh& simplified);

// `full` (a GridMesh) with its triangles reduced so that GridDeviation stays
// within `errorMetres`; its edge samples are all kept, so tiles still meet
// and a solid can be closed. An error of 0 keeps every triangle.
TerrainMesh SimplifiedMesh(const TerrainMesh& full, double errorMetres);
