#pragma once
// PNG pictures and heightmaps of a terrain, encoded in memory and saved without ever leaving
// a partial or damaged file behind.

#include "core/HeightSample.h"
#include "core/Picture.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

class HeightWindow;

// libpng refused to encode; the text is libpng's.
class PngFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// 8-bit RGB, one pixel per picture pixel. A recipe, when given, goes into an
// iTXt chunk under pngRecipeKeyword (export/RecipeFile.h).
std::vector<unsigned char> EncodePicturePng(const Picture& picture, const std::string& recipe = {});

// 16-bit greyscale of the altitudes (HeightSample), one pixel per sample;
// the recipe likewise.
std::vector<unsigned char> EncodeHeightmapPng(const HeightWindow& heights,
                                              const std::string& recipe = {});

// Through SaveSafely: a failure throws FileFailure and leaves the target as it was.
void SaveBytes(const std::filesystem::path& target, const std::vector<unsigned char>& bytes);
