#pragma once
// Which material goes where, for painting a map in a terrain engine: rules
// in a table (height, slope, drained area, water, biome) give every cell a
// weight for each material layer, and the weights are rounded to whole
// numbers that add to 255 exactly.

#include "landform/AltitudeGrid.h"
#include "landform/Biomes.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// The material layers, in the order engines receive them.
enum class MaskLayer : uint8_t { Sand, Grass, Forest, Dirt, Rock, Snow, Mud };
constexpr int32_t maskLayerCount = 7;

// "sand", "grass", ...: the layer's name in files and sidecars.
std::string_view MaskLayerName(MaskLayer layer);

// What a rule asks of a cell, and the weight it adds to its layer there.
// Slope is the ground's fall in metres per cell (central differences); a
// ramp scales the weight from 0 at `rampFrom` to 1 at `rampTo` (a ramp that
// falls when rampFrom > rampTo; none when both are 0).
enum class WaterTest : uint8_t { Land, Water };

struct MaskRule {
    MaskLayer layer;
    uint32_t biomes;  // bit (1 << biome id) for each biome it applies to; 0 for all
    WaterTest where;
    uint32_t minArea;  // cells draining through the cell, 0 for any
    double minMetres;  // above the sea
    double rampFrom, rampTo;
    double weight;
};

std::span<const MaskRule> MaskRules();

// What the rules read of a map, one entry a cell (row-major).
struct MaskInputs {
    const AltitudeGrid& grid;
    double waterLevel;
    double heightRangeMetres;
    const std::vector<uint32_t>& area;  // drained areas
    const std::vector<uint8_t>& lakes;  // 1 under a lake
    const std::vector<Biome>& biomes;
};

// maskLayerCount weights a cell, cell by cell, each cell's adding to 255.
// NoData cells take all of Mud.
std::vector<uint8_t> MaskWeights(const MaskInputs& inputs);

// Shares that add to `total`: each weight's exact share rounded down, then
// one more to the largest remainders, ties to the lower index. All zero
// weights give everything to `fallback`.
template <size_t N>
std::array<uint8_t, N> LargestRemainder(const std::array<double, N>& weights, int32_t total,
                                        size_t fallback);
