#pragma once
// The two maps the page is timed on: the default map and the largest the
// generation dialog allows (3000 x 3000, 処理量 500, 単位量 200, 255 points).

#include "web/bindings/WebMap.h"

#include <string>

inline GenerateRequest BenchSettings(const std::string& name) {
    const GEO_MakeLand fresh;
    GenerateRequest r;
    r.seed = fresh.seed;
    r.width = fresh.width;
    r.height = fresh.height;
    r.unitAmount = fresh.unitAmount;
    r.processAmount = fresh.processAmount;
    r.waterLevel = fresh.waterLevel;
    r.concentrationRate = fresh.concentrationRate;
    r.concentrationAmount = fresh.concentrationAmount;
    r.pointCount = fresh.concentrationPointCount;
    if (name == "largest") {
        r.width = r.height = 3000;
        r.processAmount = 500 * static_cast<double>(0.001f);
        r.unitAmount = 200;
        r.pointCount = 255;
    }
    return r;
}
