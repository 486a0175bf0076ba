#include "landform/Temperature.h"

#include "landform/RowShare.h"

#include <limits>

double SeaLevelTemperature(double latitude) {
    const double s = latitude / 90.0;
    return 27.0 - 60.0 * s * s;
}

double RowLatitude(const ClimateSettings& climate, int32_t y, int32_t height) {
    const double t = (double(y) + 0.5) / double(height);
    return climate.north + (climate.south - climate.north) * t;
}

std::vector<double> RowTemperatures(const ClimateSettings& climate, int32_t height,
                                    Boundary boundary) {
    std::vector<double> rows(size_t(height > 0 ? height : 0));
    const double step = boundary == Boundary::Wrap ? SeaLevelTemperature(climate.north) -
                                                         SeaLevelTemperature(climate.south)
                                                   : 0.0;
    for (int32_t y = 0; y < height; ++y) {
        // The spread runs from +half at the top edge to -half at the bottom
        // edge, so both edges of the grid take the same value.
        const double t = (double(y) + 0.5) / double(height);
        rows[size_t(y)] = SeaLevelTemperature(RowLatitude(climate, y, height)) + step * (t - 0.5);
    }
    return rows;
}

std::vector<float> Temperatures(const AltitudeGrid& grid, double waterLevel,
                                const ClimateSettings& climate, bool twoThreads) {
    const std::vector<double> rows = RowTemperatures(climate, grid.height, grid.boundary);
    std::vector<float> out(grid.altitudes.size());
    const double perMetre = climate.lapseRate / 1000.0;
    ChunkWorker worker(twoThreads);
    ShareRows(worker, grid.width, grid.height, [&](int32_t first, int32_t end) {
        for (int32_t y = first; y < end; ++y) {
            for (int32_t x = 0; x < grid.width; ++x) {
                const size_t i = size_t(y) * size_t(grid.width) + size_t(x);
                if (!grid.noData.empty() && grid.noData[i]) {
                    out[i] = std::numeric_limits<float>::quiet_NaN();
                    continue;
                }
                const double h =
                    MetresAboveSea(grid.altitudes[i], waterLevel, climate.heightRangeMetres);
                out[i] = float(rows[size_t(y)] - perMetre * h);
            }
        }
    });
    return out;
}
