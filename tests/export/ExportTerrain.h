#pragma once
// A small terrain to export: random altitudes with the extremes and a cell
// exactly at the water level, whose sample must be the sidecar's sea sample.

#include "core/GEO_MakeLand.h"

#include <cstdint>
#include <random>

inline GEO_MakeLand ExportTerrain(int32_t w, int32_t h, double waterLevel, uint32_t seed = 1) {
    GEO_MakeLand t;
    t.width = t.gridWidth = w;
    t.height = t.gridHeight = h;
    t.waterLevel = waterLevel;
    t.SetSize(w * h);
    std::mt19937 random(seed);
    for (int32_t i = 0; i < w * h; ++i)
        t[i].altitude = double(random()) / 4294967295.0;
    t[0].altitude = waterLevel;
    t[1].altitude = 0.0;
    t[w * h - 1].altitude = 1.0;
    return t;
}
