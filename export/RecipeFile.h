#pragma once
// Recipes: the command that made a picture or heightmap, kept in its
// metadata (PNG iTXt, TIFF ImageDescription, EXR attribute, the sidecar), and
// read back from any of them, so that `generate --recipe FILE` rebuilds it.

#include "export/RecipeText.h"

#include <filesystem>
#include <string>

// The recipe of a PNG, TIFF, EXR or sidecar JSON file, told apart by their
// first bytes. Throws RecipeFailure, FileFailure when it cannot be read.
std::string RecipeOfFile(const std::filesystem::path& path);
