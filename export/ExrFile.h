#pragma once
// EXR heightmaps: one 32-bit float channel "Y" (each altitude rounded to
// single precision), rows from the top, ZIP-compressed scan lines, through
// OpenEXR. The recipe travels in the string attribute exrRecipeAttribute.

#include <stdexcept>
#include <string>
#include <vector>

class HeightWindow;

constexpr const char* exrRecipeAttribute = "glenvarRecipe";

// OpenEXR refused; the text is its own.
class ExrFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::vector<unsigned char> EncodeHeightmapExr(const HeightWindow& heights,
                                              const std::string& recipe = {});
