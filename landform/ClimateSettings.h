#pragma once
// What the climate of a map is made from beside its heights: the latitudes
// its rows span, how fast the air cools with height, where the wind comes
// from, and the metres the altitudes 0..1 span.

#include <cstdint>

// Where the prevailing wind comes from: Earth-like bands by latitude (trade
// winds from the east below 30 degrees, westerlies to 60, polar easterlies
// beyond), or one direction over the whole map, north at the top.
enum class WindFrom : uint8_t { Bands, N, NE, E, SE, S, SW, W, NW };

constexpr double minLatitude = -90;
constexpr double maxLatitude = 90;
constexpr double maxLapseRate = 15;  // degrees Celsius per km

struct ClimateSettings {
    double north = 90;  // the top row's latitude, degrees
    double south = -90;
    double lapseRate = 6.5;  // degrees Celsius per km of height
    WindFrom wind = WindFrom::Bands;
    double heightRangeMetres = 1000;

    bool operator==(const ClimateSettings&) const = default;
};
