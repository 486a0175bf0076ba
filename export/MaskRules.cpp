#include "export/MaskRules.h"

#include "landform/Temperature.h"

#include <cmath>
#include <iterator>

namespace {

using L = MaskLayer;

constexpr uint32_t Bit(Biome b) {
    return uint32_t(1) << uint32_t(b);
}

constexpr uint32_t forests = Bit(Biome::BorealForest) | Bit(Biome::TemperateSeasonalForest) |
                             Bit(Biome::TemperateRainForest) | Bit(Biome::TropicalRainForest);
constexpr uint32_t open = Bit(Biome::TemperateGrassland) | Bit(Biome::Woodland) |
                          Bit(Biome::TropicalSeasonalForest) | Bit(Biome::Tundra);
constexpr uint32_t dry = Bit(Biome::SubtropicalDesert) | Bit(Biome::TemperateGrassland) |
                         Bit(Biome::Woodland) | Bit(Biome::Tundra);

// Slopes in metres per cell: plants thin out from 4 to 12, rock takes over
// from 3 to 10.
constexpr MaskRule rules[] = {
    // layer, biomes, where, min area, min metres, ramp from, ramp to, weight
    {L::Mud, 0, WaterTest::Water, 0, 0, 0, 0, 1},
    {L::Mud, 0, WaterTest::Land, 2000, 0, 6, 2, 2},  // river beds, where they are not steep
    {L::Sand, Bit(Biome::Beach) | Bit(Biome::SubtropicalDesert), WaterTest::Land, 0, 0, 12, 4, 3},
    {L::Grass, open, WaterTest::Land, 0, 0, 12, 4, 2},
    {L::Grass, Bit(Biome::TemperateSeasonalForest) | Bit(Biome::TropicalRainForest),
     WaterTest::Land, 0, 0, 12, 4, 1},
    {L::Forest, forests, WaterTest::Land, 0, 0, 12, 4, 3},
    {L::Forest, Bit(Biome::TropicalSeasonalForest) | Bit(Biome::Woodland), WaterTest::Land, 0, 0,
     12, 4, 1},
    {L::Dirt, dry, WaterTest::Land, 0, 0, 12, 4, 1},
    {L::Rock, 0, WaterTest::Land, 0, 0, 3, 10, 4},
    {L::Rock, Bit(Biome::Tundra) | Bit(Biome::BorealForest), WaterTest::Land, 0, 400, 0, 0, 1},
    {L::Snow, Bit(Biome::IceAndSnow), WaterTest::Land, 0, 0, 0, 0, 3},
};

constexpr std::string_view names[] = {"sand", "grass", "forest", "dirt", "rock", "snow", "mud"};
static_assert(std::size(names) == size_t(maskLayerCount));

double Ramp(double value, double from, double to) {
    if (from == 0 && to == 0)
        return 1;
    const double t = (value - from) / (to - from);
    return t <= 0 ? 0.0 : t >= 1 ? 1.0 : t;
}

bool Absent(const AltitudeGrid& grid, int64_t i) {
    return i < 0 || (!grid.noData.empty() && grid.noData[size_t(i)]);
}

// The ground's fall in metres per cell; past an open edge or NoData the
// cell stands in for its missing neighbour.
double Slope(const AltitudeGrid& grid, int32_t x, int32_t y, double metres) {
    const auto at = [&](int32_t dx, int32_t dy) {
        const int64_t n = NeighbourCell(x, y, dx, dy, grid.width, grid.height, grid.boundary);
        return grid.altitudes[size_t(Absent(grid, n) ? int64_t(y) * grid.width + x : n)];
    };
    const double gx = (at(1, 0) - at(-1, 0)) / 2 * metres;
    const double gy = (at(0, 1) - at(0, -1)) / 2 * metres;
    return std::sqrt(gx * gx + gy * gy);
}

}  // namespace

std::string_view MaskLayerName(MaskLayer layer) {
    return names[size_t(layer)];
}

std::span<const MaskRule> MaskRules() {
    return rules;
}

template <size_t N>
std::array<uint8_t, N> LargestRemainder(const std::array<double, N>& weights, int32_t total,
                                        size_t fallback) {
    std::array<uint8_t, N> out{};
    double sum = 0;
    for (const double w : weights)
        sum += w;
    if (!(sum > 0)) {
        out[fallback] = uint8_t(total);
        return out;
    }
    std::array<double, N> remainders{};
    int32_t given = 0;
    for (size_t k = 0; k < N; ++k) {
        const double exact = weights[k] * double(total) / sum;
        const double whole = std::floor(exact);
        out[k] = uint8_t(whole);
        remainders[k] = exact - whole;
        given += int32_t(whole);
    }
    // Rounding of the shares can leave them a unit above the total as well as below.
    while (given > total) {
        size_t k = 0;
        for (size_t j = 1; j < N; ++j)
            if (out[j] > 0 && (out[k] == 0 || remainders[j] < remainders[k]))
                k = j;
        --out[k];
        remainders[k] = 1;
        --given;
    }
    for (; given < total; ++given) {
        size_t k = 0;
        for (size_t j = 1; j < N; ++j)
            if (remainders[j] > remainders[k])
                k = j;
        ++out[k];
        remainders[k] = -1;
    }
    return out;
}

template std::array<uint8_t, maskLayerCount>
LargestRemainder<maskLayerCount>(const std::array<double, maskLayerCount>&, int32_t, size_t);

std::vector<uint8_t> MaskWeights(const MaskInputs& in) {
    const AltitudeGrid& grid = in.grid;
    std::vector<uint8_t> out(grid.altitudes.size() * size_t(maskLayerCount), 0);
    for (int32_t y = 0; y < grid.height; ++y) {
        for (int32_t x = 0; x < grid.width; ++x) {
            const size_t i = size_t(y) * size_t(grid.width) + size_t(x);
            std::array<double, maskLayerCount> w{};
            if (!Absent(grid, int64_t(i))) {
                const double a = grid.altitudes[i];
                const bool water = a <= in.waterLevel || (!in.lakes.empty() && in.lakes[i]);
                const double metres = MetresAboveSea(a, in.waterLevel, in.heightRangeMetres);
                const double slope = Slope(grid, x, y, in.heightRangeMetres);
                for (const MaskRule& r : rules) {
                    if ((r.where == WaterTest::Water) != water)
                        continue;
                    if (r.biomes != 0 && (r.biomes & Bit(in.biomes[i])) == 0)
                        continue;
                    if (r.minArea > 0 && (in.area.empty() || in.area[i] < r.minArea))
                        continue;
                    if (metres < r.minMetres)
                        continue;
                    w[size_t(r.layer)] += r.weight * Ramp(slope, r.rampFrom, r.rampTo);
                }
            }
            const auto shares = LargestRemainder(w, 255, size_t(L::Mud));
            for (size_t k = 0; k < shares.size(); ++k)
                out[i * size_t(maskLayerCount) + k] = shares[k];
        }
    }
    return out;
}
