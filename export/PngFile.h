#pragma once
// PNG pictures and heightmaps of a terrain, encoded in memory and saved without ever leaving
// a partial or damaged file behind.

#include "core/HeightSample.h"
#include "core/Picture.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class HeightWindow;

// 8-bit RGB, one pixel per picture pixel. A recipe, when given, goes into an
// iTXt chunk under pngRecipeKeyword (export/RecipeFile.h). When libpng
// refuses, a CommandFailure of FailureKind::Encoding carries its text.
std::vector<unsigned char> EncodePicturePng(const Picture& picture, const std::string& recipe = {});

// 16-bit greyscale of the altitudes (HeightSample), one pixel per sample;
// the recipe likewise.
std::vector<unsigned char> EncodeHeightmapPng(const HeightWindow& heights,
                                              const std::string& recipe = {});

// Through SaveSafely: a failure throws FileFailure and leaves the target as it was.
void SaveBytes(const std::filesystem::path& target, const std::vector<unsigned char>& bytes);
