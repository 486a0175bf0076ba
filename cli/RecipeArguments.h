#pragma once
// The command line `generate --recipe FILE` stands for.

#include "export/RecipeText.h"

#include <string>
#include <vector>

namespace cli {

// The arguments `generate --recipe FILE ...` stands for: generate, the
// recipe's settings (export/RecipeText.h: never an output, a file or an
// action), then the line's own arguments but the --recipe option, so that
// they override the recipe's.
std::vector<std::string> ArgumentsWithRecipe(const std::vector<std::string>& args,
                                             const std::vector<RecipeSetting>& recipe);

}  // namespace cli
