#pragma once
// A recipe's text: the glenvar-cli generate command that rebuilds a map with
// its stages and its pictures' and heightmaps' settings, written and read the
// same way by the CLI, the page and their files. A recipe is data: it holds
// settings only, never outputs, files or actions. Standard library only, so
// the page shares it.

#include "data/Failures.h"
#include "export/StageSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class GEO_MakeLand;

// The PNG iTXt keyword the recipe is written under.
constexpr const char* pngRecipeKeyword = "glenvar recipe";

// A recipe that is no recipe of settings, or a file that holds none or is no
// form that carries one; the text says which. FailureKind::Recipe.
class RecipeFailure : public CommandFailure {
  public:
    explicit RecipeFailure(const std::string& text) : CommandFailure(text, FailureKind::Recipe) {}
};

// The recipe of the terrain's outputs; empty when its fields cannot rebuild
// its cells (fromParameters false: a raw data file holds no parameters; a map
// drawn on from an earlier random state, or whose grid is not its size).
std::string RecipeText(const GEO_MakeLand& terrain, bool fromParameters, const RecipeOptions& o);

// The longest recipe text read: 65536 hand-placed points on the largest grid fit.
constexpr size_t maxRecipeBytes = size_t{2} << 20;

// One setting of a recipe: its option as glenvar-cli spells it, and its value
// (none for a switch).
struct RecipeSetting {
    std::string option;
    std::optional<std::string> value;
    bool operator==(const RecipeSetting&) const = default;
};

// The settings of a recipe, a glenvar-cli generate command unquoted as a
// shell would (words split at spaces, single quotes keep everything). It may
// hold generation parameters and the rows of StageSettings() only, each value
// checked as the command line checks it: no outputs, no file names, no other
// option, no other word. Throws RecipeFailure naming what it refuses.
std::vector<RecipeSetting> RecipeSettings(const std::string& recipe);

// A word quoted for the recipe when a shell would take it apart otherwise.
// Throws RecipeFailure for a word holding a single quote.
std::string RecipeWord(const std::string& word);
