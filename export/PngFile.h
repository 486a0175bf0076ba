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

// 8-bit greyscale (channels 1) or RGBA (channels 4), samples row by row
// from the top, channels interleaved: engines' weight maps and splatmaps.
std::vector<unsigned char> EncodeSamplesPng(int32_t width, int32_t height, int32_t channels,
                                            const std::vector<uint8_t>& samples,
                                            const std::string& recipe = {});

// 8-bit indexed colour: one palette index a pixel, the palette's entries
// 0xRRGGBB (at most 256).
std::vector<unsigned char> EncodeIndexedPng(int32_t width, int32_t height,
                                            const std::vector<uint8_t>& indices,
                                            const std::vector<uint32_t>& palette,
                                            const std::string& recipe = {});

// Through SaveSafely: a failure throws FileFailure and leaves the target as it was.
void SaveBytes(const std::filesystem::path& target, const std::vector<unsigned char>& bytes);
