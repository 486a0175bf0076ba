#pragma once
// The two maps the page is timed on: the default map and the largest the
// generation dialog allows (3000 x 3000, 処理量 500, 単位量 200, 255 points).

#include "web/bindings/WebMap.h"

#include <string>

inline GEO_MakeLand BenchSettings(const std::string& name) {
    GEO_MakeLand settings;  // a fresh terrain's: the default map
    if (name == "largest") {
        settings.width = settings.height = 3000;
        settings.processAmount = 500 * static_cast<double>(0.001f);
        settings.unitAmount = 200;
        settings.concentrationPointCount = 255;
    }
    return settings;
}
