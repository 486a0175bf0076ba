#include "landform/Climate.h"

#include "landform/Precipitation.h"
#include "landform/Temperature.h"

Climate ClimateOf(const AltitudeGrid& grid, double waterLevel, const ClimateSettings& settings,
                  bool twoThreads) {
    Climate climate;
    climate.temperatures = Temperatures(grid, waterLevel, settings, twoThreads);
    climate.precipitation =
        Precipitation(grid, waterLevel, settings, climate.temperatures, twoThreads);
    climate.biomes = Biomes(grid, waterLevel, climate.temperatures, climate.precipitation);
    return climate;
}

std::vector<uint64_t> BiomeCounts(const std::vector<Biome>& biomes) {
    std::vector<uint64_t> counts(BiomeTable().size(), 0);
    for (const Biome b : biomes)
        ++counts[size_t(b)];
    counts[size_t(Biome::Water)] = 0;
    return counts;
}
