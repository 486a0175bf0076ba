#pragma once
// Recipes: the command that made a picture or heightmap, kept in its
// metadata (PNG iTXt, TIFF ImageDescription, EXR attribute, the sidecar), and
// read back from any of them, so that `generate --recipe FILE` rebuilds it.
// Only the metadata is read, each part bounded: the PNG chunks before the
// image data, the TIFF's first directory and its description, the EXR
// header, a sidecar of at most a few MiB. A file of any size costs the same.

#include "export/RecipeText.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// How far into a picture or heightmap its recipe is looked for, and the
// largest sidecar read.
constexpr uint64_t maxMetadataBytes = uint64_t{16} << 20;
constexpr uint64_t maxSidecarBytes = uint64_t{8} << 20;

// A file of no form that carries a recipe, told apart so that a front end
// that also opens other forms can say so in its own words.
class NoRecipeForm : public RecipeFailure {
  public:
    using RecipeFailure::RecipeFailure;
};

// The recipe text of a PNG, TIFF, EXR or sidecar JSON file, told apart by
// their first bytes. Throws RecipeFailure "PATH: what is wrong" when the
// file holds no recipe it can read; FileFailure (or a CommandFailure for a
// device, a pipe or a socket) when the file cannot be read at all.
std::string RecipeOfFile(const std::filesystem::path& path);

// The same for a file's bytes in memory; the failures name no file.
std::string RecipeOfBytes(std::string_view bytes);

// The settings of the file's recipe (RecipeSettings); every RecipeFailure
// names the file.
std::vector<RecipeSetting> RecipeSettingsOfFile(const std::filesystem::path& path);
