#pragma once
// Heightmap files read back through the libraries every tool reads them
// with (libpng, libtiff, OpenEXR) and sidecars through Python's json, never
// through our own writers' code.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace readback {

// A heightmap's samples as its reader gives them, rows from the top.
struct Samples {
    bool ok = false;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<double> values;  // 16-bit samples as integers, floats widened
    std::string recipe;          // the PNG iTXt, TIFF ImageDescription or EXR attribute
    bool floats = false;         // 32-bit floating-point samples
    bool bigEndian = false;      // the file's own byte order (PNG: always network order)

    double at(int32_t x, int32_t y) const { return values[size_t(y) * size_t(width) + size_t(x)]; }
};

// 16-bit greyscale PNG, its raw big-endian samples; the recipe from its text chunks.
Samples ReadPng(const std::filesystem::path& path);
// Single-channel 32-bit float TIFF.
Samples ReadTiff(const std::filesystem::path& path);
// The float channel "Y" of an EXR file.
Samples ReadExr(const std::filesystem::path& path);
// Raw little-endian 16-bit words of a grid `width` samples wide.
Samples ReadR16(const std::filesystem::path& path, int32_t width);

// Any of the four by the file's extension.
Samples ReadHeightmap(const std::filesystem::path& path, int32_t r16Width);

// A JSON file's values by path ("width", "tiles.0.file"): strings as their
// UTF-8 bytes, numbers as Python's repr. Empty when Python refuses the file
// (not JSON, a key twice).
std::map<std::string, std::string> JsonFields(const std::filesystem::path& path);

}  // namespace readback
