#pragma once
// The triangles of a grid mesh as few as a vertical error allows, by the
// right-triangulated irregular network: the grid padded to a 2^k + 1 square
// and halved recursively along hypotenuses. Each hypotenuse midpoint carries
// a bound on how far any sample under the triangles it splits lies from
// their plane, so splitting wherever that bound passes the error keeps every
// sample within it, and the halving's shared hypotenuses leave no crack.

#include "export/TerrainMesh.h"

#include <cstdint>
#include <vector>

// Indices into `full`'s vertices (a columns x rows GridMesh), three a
// triangle, counter-clockwise seen from above. Every sample of the full grid
// lies within `errorMetres` straight above or below the result's surface, and
// every edge sample is a vertex. The same triangles on one thread or two.
std::vector<uint32_t> RightTriangulation(const TerrainMesh& full, double errorMetres,
                                         bool twoThreads);

// The same over a columns x rows grid of heights in metres, each `stride`
// floats after the last, row by row; the indices count the grid's samples.
std::vector<uint32_t> RightTriangulation(const float* heights, size_t stride, int32_t columns,
                                         int32_t rows, double errorMetres, bool twoThreads);
