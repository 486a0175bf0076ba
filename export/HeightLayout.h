#pragma once
// How a heightmap's samples are laid out for the tools that import it: the
// wrapped grid as it is or closed (export/HeightWindow.h), and tiles, exact
// crops sharing their edge rows and columns, so that stitched together they
// are the single file.

#include <cstdint>
#include <string>
#include <vector>

enum class HeightEdge { Wrap, Repeat };

// One tile of a heightmap: its column and row index and its rectangle.
struct HeightTile {
    int32_t column;
    int32_t row;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// K x L tiles of a w x h heightmap, row by row from the top left. Neighbouring
// tiles share one column or row of samples: the K tiles of a row span
// w + K - 1 samples between them. Empty when a tile would have fewer than two
// samples a side.
std::vector<HeightTile> TilesOf(int32_t w, int32_t h, int32_t columns, int32_t rows);

// "base_x{i}_y{j}.ext" for "base.ext".
std::string TilePath(const std::string& path, const HeightTile& tile);

// The file of each of K x L tiles in TilesOf's order, or `path` alone for one.
std::vector<std::string> TilePaths(const std::string& path, int32_t columns, int32_t rows);
