#include "landform/Precipitation.h"

#include "landform/RowShare.h"
#include "landform/Temperature.h"

#include <cmath>
#include <limits>

namespace {

// Rates per map side: the background rain thins the air's moisture by a
// factor e over 1/2.5 of the map; water gives it back within a tenth; what
// cooled air cannot hold falls within a twentieth.
constexpr double backgroundRate = 2.5;
constexpr double pickupRate = 10;
constexpr double condensationRate = 20;
// Ground rising this many metres per map side doubles the rain.
constexpr double upliftScale = 5000;

struct Walk {
    const AltitudeGrid& grid;
    double waterLevel;
    const ClimateSettings& climate;
    const std::vector<float>& temperatures;
    const std::vector<double>& rowTemperatures;
    std::vector<float>& out;
    double side;  // the map's larger side, cells
    // The wind's step in each row, and its length in shares of the side.
    std::vector<int32_t> rowDx, rowDy;
    std::vector<double> rowStep;

    bool Absent(int64_t i) const {
        return i < 0 || (!grid.noData.empty() && grid.noData[size_t(i)]);
    }
    int64_t Next(int64_t i, int32_t sign) const {
        const int32_t x = int32_t(i % grid.width), y = int32_t(i / grid.width);
        return NeighbourCell(x, y, sign * rowDx[size_t(y)], sign * rowDy[size_t(y)], grid.width,
                             grid.height, grid.boundary);
    }
    double Height(int64_t i) const {
        return MetresAboveSea(grid.altitudes[size_t(i)], waterLevel, climate.heightRangeMetres);
    }
    // Air coming in from beyond the grid: off a sea at the row's temperature.
    double IncomingMoisture(int64_t i) const {
        return MoistureCapacity(rowTemperatures[size_t(i / grid.width)]);
    }

    // The air's moisture after crossing cell i from `from` (or from outside
    // when from < 0); records the cell's rain when `record`.
    double Cross(int64_t i, int64_t from, double q, bool record) const {
        const double step = rowStep[size_t(i / grid.width)];
        const double capacity = MoistureCapacity(temperatures[size_t(i)]);
        double rain = 0;
        if (grid.altitudes[size_t(i)] <= waterLevel) {
            const double b = pickupRate * step;
            q = (q + capacity * b) / (1 + b);
            rain = q;
        } else {
            const double rise = from < 0 ? 0.0 : Height(i) - Height(from);
            const double lift = rise > 0 ? rise / step / upliftScale : 0.0;
            const double f = backgroundRate * step * (1 + lift);
            rain = q * (1 + lift) / (1 + f);
            q = q / (1 + f);
            if (q > capacity) {
                const double a = condensationRate * step;
                const double shed = (q - capacity) * a / (1 + a);
                q -= shed;
                rain += shed / (backgroundRate * step);
            }
        }
        if (record)
            out[size_t(i)] = float(rain);
        return q;
    }

    // A line from a cell whose upwind neighbour is absent, to its end.
    void Chain(int64_t head, std::vector<uint8_t>& seen) const {
        double q = IncomingMoisture(head);
        int64_t from = -1;
        for (int64_t i = head; !Absent(i) && !seen[size_t(i)]; i = Next(i, 1)) {
            seen[size_t(i)] = 1;
            q = Cross(i, from, q, true);
            from = i;
        }
    }

    // A line that closes on itself: once round to bring the air in, then again.
    void Cycle(int64_t start, std::vector<uint8_t>& seen) const {
        double q = IncomingMoisture(start);
        for (int lap = 0; lap < 2; ++lap) {
            int64_t i = start;
            do {
                const int64_t from = Next(i, -1);
                seen[size_t(i)] = 1;
                q = Cross(i, from, q, lap == 1);
                i = Next(i, 1);
            } while (i != start);
        }
    }

    // Every line that starts, or closes on itself, among cells [begin, end):
    // first those entering at an open edge or after a NoData cell, in the
    // order of their first cells, then the closed ones left over.
    void Lines(int64_t begin, int64_t end, std::vector<uint8_t>& seen) const {
        for (int64_t i = begin; i < end; ++i)
            if (!Absent(i) && !seen[size_t(i)] && Absent(Next(i, -1)))
                Chain(i, seen);
        for (int64_t i = begin; i < end; ++i)
            if (!Absent(i) && !seen[size_t(i)])
                Cycle(i, seen);
    }
};

}  // namespace

double MoistureCapacity(double temperature) {
    const double t = temperature > -30 ? temperature + 30 : 0.0;
    return 100 + t * t;
}

void WindStep(const ClimateSettings& climate, int32_t y, int32_t height, int32_t& dx, int32_t& dy) {
    // Towards, not from: a west wind blows east.
    static constexpr int32_t steps[][2] = {{0, 0},  {0, 1},  {-1, 1}, {-1, 0}, {-1, -1},
                                           {0, -1}, {1, -1}, {1, 0},  {1, 1}};
    if (climate.wind != WindFrom::Bands) {
        dx = steps[size_t(climate.wind)][0];
        dy = steps[size_t(climate.wind)][1];
        return;
    }
    const double latitude = RowLatitude(climate, y, height);
    const double a = latitude < 0 ? -latitude : latitude;
    dx = a >= 30 && a < 60 ? 1 : -1;
    dy = 0;
}

std::vector<float> Precipitation(const AltitudeGrid& grid, double waterLevel,
                                 const ClimateSettings& climate,
                                 const std::vector<float>& temperatures, bool twoThreads) {
    std::vector<float> out(grid.altitudes.size(), std::numeric_limits<float>::quiet_NaN());
    const std::vector<double> rows = RowTemperatures(climate, grid.height, grid.boundary);
    Walk walk{grid,
              waterLevel,
              climate,
              temperatures,
              rows,
              out,
              double(grid.width > grid.height ? grid.width : grid.height),
              {},
              {},
              {}};
    bool alongRows = true;
    for (int32_t y = 0; y < grid.height; ++y) {
        int32_t dx = 0, dy = 0;
        WindStep(climate, y, grid.height, dx, dy);
        walk.rowDx.push_back(dx);
        walk.rowDy.push_back(dy);
        walk.rowStep.push_back((dx != 0 && dy != 0 ? std::sqrt(2.0) : 1.0) / walk.side);
        alongRows = alongRows && dy == 0;
    }
    std::vector<uint8_t> seen(grid.altitudes.size(), 0);
    if (!alongRows) {
        walk.Lines(0, int64_t(grid.altitudes.size()), seen);
        return out;
    }
    // East or west winds keep every line in its row: rows are independent,
    // and each is walked the same whichever thread takes it.
    ChunkWorker worker(twoThreads);
    ShareRows(worker, grid.width, grid.height, [&](int32_t first, int32_t end) {
        walk.Lines(int64_t(first) * grid.width, int64_t(end) * grid.width, seen);
    });
    return out;
}
