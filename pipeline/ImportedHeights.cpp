#include "pipeline/ImportedHeights.h"

#include "data/Failures.h"

#include <cmath>

namespace {

CommandFailure Refused(const ImportedHeights& imported, const std::string& why) {
    return CommandFailure(imported.path + ": " + why, FailureKind::File);
}

}  // namespace

const char* HeightUnitsName(HeightUnits units) {
    switch (units) {
    case HeightUnits::Unitless:
        return "unitless";
    case HeightUnits::Metres:
        return "metre";
    case HeightUnits::Feet:
        break;
    }
    return "foot";
}

std::pair<double, double> CheckImported(const ImportedHeights& imported) {
    const AltitudeGrid& g = imported.heights;
    if (g.width < 2 || g.height < 2)
        throw Refused(imported, "the raster has " + std::to_string(g.width) + " x " +
                                    std::to_string(g.height) + " cells; at least 2 x 2 are needed");
    if (g.width > maxImportSide || g.height > maxImportSide ||
        int64_t(g.width) * g.height > maxImportCells)
        throw Refused(imported, "the raster's " + std::to_string(g.width) + " x " +
                                    std::to_string(g.height) + " cells are more than " +
                                    std::to_string(maxImportCells) + " this tool takes");
    if (g.altitudes.size() != size_t(g.width) * size_t(g.height) ||
        (!g.noData.empty() && g.noData.size() != g.altitudes.size()))
        throw Refused(imported, "the heights do not fill the raster");
    bool any = false;
    double low = 0, high = 0;
    for (size_t i = 0; i < g.altitudes.size(); ++i) {
        if (!g.noData.empty() && g.noData[i])
            continue;
        const double v = g.altitudes[i];
        if (!std::isfinite(v))
            throw Refused(imported, std::string("cell ") + std::to_string(i % size_t(g.width)) +
                                        "," + std::to_string(i / size_t(g.width)) + " holds " +
                                        (std::isnan(v) ? "NaN" : "an infinity") +
                                        ", which is no height");
        low = any ? std::fmin(low, v) : v;
        high = any ? std::fmax(high, v) : v;
        any = true;
    }
    if (!any)
        throw Refused(imported, "every cell is NoData");
    if (low == high)
        throw Refused(imported, "every cell holds the same height; there is no land to shape");
    if (imported.geo.noData && *imported.geo.noData > low && *imported.geo.noData < high)
        throw Refused(imported, "the NoData value lies inside the range of the heights, "
                                "so real heights could not be told from it");
    return {low, high};
}
