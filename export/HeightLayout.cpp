#include "export/HeightLayout.h"

#include <filesystem>

namespace {

// Start of piece i of k over n samples sharing edges: n - 1 steps shared out
// as evenly as whole steps allow, the longer pieces first.
int32_t PieceStart(int32_t n, int32_t k, int32_t i) {
    const int64_t steps = int64_t{n} - 1;
    const int64_t base = steps / k;
    const int64_t extra = steps % k;
    return static_cast<int32_t>(base * i + (i < extra ? i : extra));
}

}  // namespace

std::vector<HeightTile> TilesOf(int32_t w, int32_t h, int32_t columns, int32_t rows) {
    std::vector<HeightTile> tiles;
    if (columns < 1 || rows < 1 || (int64_t{w} - 1) < columns || (int64_t{h} - 1) < rows)
        return tiles;
    for (int32_t j = 0; j < rows; ++j) {
        const int32_t y0 = PieceStart(h, rows, j);
        const int32_t y1 = PieceStart(h, rows, j + 1);
        for (int32_t i = 0; i < columns; ++i) {
            const int32_t x0 = PieceStart(w, columns, i);
            const int32_t x1 = PieceStart(w, columns, i + 1);
            tiles.push_back({i, j, x0, y0, x1 - x0 + 1, y1 - y0 + 1});
        }
    }
    return tiles;
}

std::string TilePath(const std::string& path, const HeightTile& tile) {
    const std::filesystem::path p(path);
    std::filesystem::path name = p.stem();
    name += "_x" + std::to_string(tile.column) + "_y" + std::to_string(tile.row);
    name += p.extension();
    return (p.parent_path() / name).string();
}

std::vector<std::string> TilePaths(const std::string& path, int32_t columns, int32_t rows) {
    if (columns == 1 && rows == 1)
        return {path};
    std::vector<std::string> paths;
    for (int32_t row = 0; row < rows; ++row)
        for (int32_t column = 0; column < columns; ++column)
            paths.push_back(TilePath(path, {column, row, 0, 0, 0, 0}));
    return paths;
}
