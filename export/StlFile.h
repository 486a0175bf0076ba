#pragma once
// Binary STL for 3D printing: the land's surface closed into a solid by
// walls down its edges and a flat base, in millimetres, z up.

#include "export/TerrainMesh.h"

#include <vector>

// How metres become a print: one scale for every axis, and the base's
// thickness below the lowest height of the whole map (so tiles print alike).
struct PrintFrame {
    double mmPerMetre = 1;
    double baseMm = 2;
    double lowestMetres = 0;
};

// The mesh must keep every sample of its grid's edge (a full grid, or one
// simplified with its border locked). Throws std::logic_error otherwise.
std::vector<unsigned char> EncodeStl(const TerrainMesh& mesh, const PrintFrame& frame);
