#pragma once
// Random altitude grids for the landform tests.

#include <cstdint>
#include <random>
#include <vector>

struct TestMap {
    int32_t width;
    int32_t height;
    std::vector<double> altitudes;
    double waterLevel;
};

// Up to 12 x 12, down to one cell, where every neighbour is the cell itself.
// Mostly a handful of distinct heights, so that flats, ties and nested
// depressions are common; sometimes no water at all.
inline TestMap SmallRandomMap(std::mt19937& rng) {
    const auto pick = [&rng](int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(rng);
    };
    TestMap m{pick(1, 12), pick(1, 12), {}, 0};
    const int32_t levels = pick(1, 8);  // 8: any double in [0, 1)
    for (int32_t i = 0; i < m.width * m.height; ++i)
        m.altitudes.push_back(levels < 8 ? double(pick(0, levels)) / levels
                                         : std::uniform_real_distribution<double>(0, 1)(rng));
    static constexpr double waterLevels[] = {-1.0, 0.0, 0.25, 0.5};
    m.waterLevel = waterLevels[pick(0, 3)];
    return m;
}

// Rolling ground quantised to 1/64: large flats and depressions, and rows
// enough for the second thread to take some.
inline TestMap RollingMap(uint32_t seed, int32_t width = 300, int32_t height = 256) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    TestMap m{width, height, std::vector<double>(size_t(width) * size_t(height), 0), 0.4};
    for (int b = 0; b < 60; ++b) {
        const double cx = unit(rng) * width, cy = unit(rng) * height;
        const double r2 = 400 + unit(rng) * 2000, top = unit(rng) * 0.3;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                if (d2 < r2)
                    m.altitudes[size_t(y) * size_t(width) + size_t(x)] += top * (1 - d2 / r2);
            }
    }
    for (double& a : m.altitudes)
        a = a >= 1 ? 1.0 : double(int(a * 64)) / 64;
    return m;
}
