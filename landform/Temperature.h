#pragma once
// Mean annual air temperature at the ground, in degrees Celsius, from a
// cell's latitude and height. Only + - * /, so it is the same everywhere.

#include "landform/AltitudeGrid.h"
#include "landform/ClimateSettings.h"

#include <cstdint>
#include <vector>

// The zonal mean at sea level: 27 at the equator, 0 near 60 degrees, -33 at
// the poles (a parabola fitted to the annual means of the Earth's latitudes).
double SeaLevelTemperature(double latitude);

// The latitude of row y's centre, the rows spanning north..south.
double RowLatitude(const ClimateSettings& climate, int32_t y, int32_t height);

// Each row's sea-level temperature. On a wrapping grid the top and bottom
// rows are neighbours, so the difference between the two ends' temperatures
// is spread evenly over the rows and the first and last rows meet; with a
// range symmetric about the equator (the default) that difference is zero.
std::vector<double> RowTemperatures(const ClimateSettings& climate, int32_t height,
                                    Boundary boundary);

// A cell's height above the sea in metres: 0 at or below the water level.
inline double MetresAboveSea(double altitude, double waterLevel, double heightRangeMetres) {
    return altitude > waterLevel ? (altitude - waterLevel) * heightRangeMetres : 0.0;
}

// Every cell's temperature: the row's at sea level less the lapse rate times
// the cell's height; the sea's surface lies at the water level. NoData
// cells hold NaN.
std::vector<float> Temperatures(const AltitudeGrid& grid, double waterLevel,
                                const ClimateSettings& climate, bool twoThreads);
