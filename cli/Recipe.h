#pragma once
// The recipe of glenvar-cli's pictures and heightmaps: the generate command
// that rebuilds them (seed, every parameter, every stage, the picture and
// heightmap options), and the command line `generate --recipe FILE` stands for.

#include "cli/CliOptions.h"
#include "export/RecipeText.h"

#include <string>
#include <vector>

class GEO_MakeLand;

namespace cli {

// The recipe of the outputs o writes of the terrain; empty when the terrain's
// fields cannot rebuild its cells (a raw data file holds no parameters; a map
// drawn on from an earlier random state, or whose grid is not its size).
std::string RecipeOf(const GEO_MakeLand& terrain, bool fromParameters, const Options& o);

// The arguments `generate --recipe FILE ...` stands for: generate, the
// recipe's settings (export/RecipeText.h: never an output, a file or an
// action), then the line's own arguments but the --recipe option, so that
// they override the recipe's.
std::vector<std::string> ArgumentsWithRecipe(const std::vector<std::string>& args,
                                             const std::vector<RecipeSetting>& recipe);

}  // namespace cli
