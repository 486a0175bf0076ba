#pragma once
// Relief shading: the land of a coloured picture lit from the north-west at
// 45 degrees above the horizon, so that its shape shows. The sea keeps its
// colours, which already tell its depth.

#include "core/Picture.h"
#include "landform/AltitudeGrid.h"

// How many cells of horizontal distance the whole altitude range spans for
// the light: slopes are this much steeper than the altitudes alone say.
constexpr double reliefExaggeration = 150.0;

// Brightness of a land cell against flat land (1), from the wrapped central
// differences of its neighbours' altitudes: 0.25 in full shadow up to about
// 1.31 facing the light. Only + - * / and sqrt, so it is the same everywhere.
double ReliefLight(const AltitudeGrid& grid, int32_t x, int32_t y);

// Scales the channels of every pixel over a land cell (altitude above the
// water level) of the grid by its light, held to 255. The picture is the
// colour picture of the same grid; pixels beyond the grid stay as they are.
void ShadeRelief(Picture& picture, const AltitudeGrid& grid, double waterLevel);
