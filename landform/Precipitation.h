#pragma once
// Mean annual precipitation, in millimetres a year, with rain shadows: the
// upslope model of orographic rain (Smith 1979, "The influence of mountains
// on the atmosphere", Advances in Geophysics 21), in which rain is the
// moisture the air carries times the rate the wind lifts it over rising
// ground, with a column moisture budget carried downwind cell by cell (as in
// Roe 2005, "Orographic precipitation", Annual Review of Earth and Planetary
// Sciences 33): the air takes moisture up over water towards what its
// temperature can hold, rains a little everywhere and much where it is
// lifted, sheds what it cannot hold when it cools, and so reaches the lee
// of a range dry. Chosen over the linear theory of Smith and Barstow (2004),
// which needs Fourier transforms (sines and cosines, not exact everywhere):
// this one walks each line of cells along the wind once, with only + - * /
// (sqrt only for the diagonal step), so its cost is linear in the cells and
// its bytes the same everywhere.
//
// Distances are shares of the map's larger side, so the same land drawn at
// another size gets the same climate. A line along the wind that closes on
// itself (a wrapping map) is walked twice from its first cell, the first
// time only to bring the air into it as it comes round.

#include "landform/AltitudeGrid.h"
#include "landform/ClimateSettings.h"

#include <cstdint>
#include <vector>

// How much moisture air at a temperature can carry, as the rain it would
// give at the background rate: mm a year.
double MoistureCapacity(double temperature);

// The direction the wind blows towards in row y, as a step (dx, dy), north
// at the top (dy = -1 northwards).
void WindStep(const ClimateSettings& climate, int32_t y, int32_t height, int32_t& dx, int32_t& dy);

// Every cell's precipitation from the heights and the temperatures
// (landform/Temperature.h). NoData cells hold NaN and let air in as the
// border of an open map does: as air off a sea at the row's temperature.
// The same bytes on one thread or two (winds along the rows share the rows).
std::vector<float> Precipitation(const AltitudeGrid& grid, double waterLevel,
                                 const ClimateSettings& climate,
                                 const std::vector<float>& temperatures, bool twoThreads);
