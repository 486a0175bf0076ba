#pragma once
// Recipes: the command that made a picture or heightmap, kept in its
// metadata (PNG iTXt, TIFF ImageDescription, EXR attribute, the sidecar), and
// read back from any of them, so that `generate --recipe FILE` rebuilds it.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// The PNG iTXt keyword the recipe is written under.
constexpr const char* pngRecipeKeyword = "glenvar recipe";

// A file holds no recipe, or is no form that carries one; the text says which.
class RecipeFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The recipe of a PNG, TIFF, EXR or sidecar JSON file, told apart by their
// first bytes. Throws RecipeFailure, FileFailure when it cannot be read.
std::string RecipeOfFile(const std::filesystem::path& path);

// The recipe's words after "glenvar-cli generate", unquoted as a shell
// would: words split at spaces, single quotes keep everything. Throws
// RecipeFailure when it is no recipe of generate.
std::vector<std::string> RecipeArguments(const std::string& recipe);

// A word quoted for the recipe when a shell would take it apart otherwise.
// Throws std::invalid_argument for a word holding a single quote.
std::string RecipeWord(const std::string& word);
