#pragma once
// A recipe's text: the glenvar-cli generate command that rebuilds a map with
// its stages and outputs' options, written and read the same way by the CLI,
// the page and their files. Standard library only, so the page shares it.

#include "export/EngineProfile.h"
#include "export/HeightLayout.h"
#include "landform/LandformStages.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class GEO_MakeLand;

// The PNG iTXt keyword the recipe is written under.
constexpr const char* pngRecipeKeyword = "glenvar recipe";

// A file holds no recipe, or is no form that carries one; the text says which.
class RecipeFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What a recipe says beside the map's parameters.
struct RecipeOptions {
    LandformStages stages;
    uint32_t riverThreshold = 0;  // --rivers A; 0: none drawn
    bool regions = false;
    bool shade = false;
    HeightEdge edge = HeightEdge::Wrap;
    const EngineProfile* engine = nullptr;
    double heightRangeMetres = 1000;
};

// The recipe of the terrain's outputs; empty when its fields cannot rebuild
// its cells (fromParameters false: a raw data file holds no parameters; a map
// drawn on from an earlier random state, or whose grid is not its size).
std::string RecipeText(const GEO_MakeLand& terrain, bool fromParameters, const RecipeOptions& o);

// The recipe's words after "glenvar-cli generate", unquoted as a shell
// would: words split at spaces, single quotes keep everything. Throws
// RecipeFailure when it is no recipe of generate.
std::vector<std::string> RecipeArguments(const std::string& recipe);

// A word quoted for the recipe when a shell would take it apart otherwise.
// Throws std::invalid_argument for a word holding a single quote.
std::string RecipeWord(const std::string& word);
