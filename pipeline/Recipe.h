#pragma once
// The recipe of a pipeline's pictures and heightmaps: the generate command
// that rebuilds them (seed, every parameter, every stage, the picture and
// heightmap options), as glenvar-cli, Python and the batch write it.

#include "pipeline/PipelineSettings.h"

#include <string>

class GEO_MakeLand;

// The recipe of the outputs written with these settings; empty when the
// terrain's fields cannot rebuild its cells (a raw data file holds no
// parameters; a map drawn on from an earlier random state, or whose grid is
// not its size). Tiles and threads change no bytes, so no recipe names them.
std::string RecipeOf(const GEO_MakeLand& terrain, bool fromParameters,
                     const PipelineSettings& settings);
