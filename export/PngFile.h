#pragma once
// PNG pictures of a terrain, encoded in memory and saved without ever leaving
// a partial or damaged file behind.

#include "core/HeightSample.h"
#include "core/Picture.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <vector>

class GEO_MakeLand;

// libpng refused to encode; the text is libpng's.
class PngFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// 8-bit RGB, one pixel per picture pixel.
std::vector<unsigned char> EncodePicturePng(const Picture& picture);

// 16-bit greyscale of the altitudes (HeightSample), one pixel per cell.
std::vector<unsigned char> EncodeHeightmapPng(const GEO_MakeLand& terrain);

// Through SaveSafely: a failure throws FileFailure and leaves the target as it was.
void SaveBytes(const std::filesystem::path& target, const std::vector<unsigned char>& bytes);
