#pragma once
// A recipe's settings taken into a map's parameters and the options beside
// them, as `glenvar-cli generate --recipe FILE` takes them: what a front end
// grows and shapes to rebuild the map a picture or heightmap was made from.

#include "core/GEO_MakeLand.h"
#include "export/RecipeText.h"

#include <vector>

struct RecipeMap {
    GEO_MakeLand terrain;  // the defaults, then the recipe's parameters and points
    RecipeOptions options;
};

// Throws RecipeFailure in glenvar-cli's words for a value out of range, more
// hand-placed points than regions can tell apart, or a point off the grid.
RecipeMap AppliedRecipe(const std::vector<RecipeSetting>& settings);
