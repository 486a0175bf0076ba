#pragma once
// EXR heightmaps: one 32-bit float channel "Y" (each altitude rounded to
// single precision), rows from the top, ZIP-compressed scan lines, through
// OpenEXR. The recipe travels in the string attribute exrRecipeAttribute.

#include <string>
#include <vector>

class HeightWindow;

constexpr const char* exrRecipeAttribute = "glenvarRecipe";

// When OpenEXR refuses, a CommandFailure of FailureKind::Encoding carries its
// text.
std::vector<unsigned char> EncodeHeightmapExr(const HeightWindow& heights,
                                              const std::string& recipe = {});
