#include "geo/RawHeights.h"

#include "data/Failures.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace {

CommandFailure Refused(const std::string& path, const std::string& why) {
    return CommandFailure(path + ": " + why, FailureKind::File);
}

// The whole number after "key": in the sidecar's text; nothing else of the
// sidecar is read, and nothing in it is followed.
std::optional<int64_t> SidecarNumber(const std::string& text, const std::string& key) {
    const size_t at = text.find("\"" + key + "\":");
    if (at == std::string::npos)
        return std::nullopt;
    size_t i = at + key.size() + 3;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int64_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 10; ++i, ++digits)
        value = value * 10 + (text[i] - '0');
    if (digits == 0 || digits == 10)
        return std::nullopt;
    return value;
}

std::pair<int64_t, int64_t> RawSize(const std::string& path, const HeightReadOptions& options) {
    if (options.rawWidth > 0 && options.rawHeight > 0)
        return {options.rawWidth, options.rawHeight};
    const std::string sidecar = path + ".json";
    std::ifstream in(sidecar, std::ios::binary);
    if (!in)
        throw Refused(path, "a raw heightmap needs its size: no sidecar " + sidecar +
                                " was found; give --size WxH");
    std::string text;
    text.resize(64 * 1024);  // the sidecar's size fields come first
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    const auto w = SidecarNumber(text, "width");
    const auto h = SidecarNumber(text, "height");
    if (!w || !h)
        throw Refused(path, "the sidecar " + sidecar + " gives no width and height");
    return {*w, *h};
}

}  // namespace

ImportedHeights ReadRawHeights(const std::string& path, const HeightReadOptions& options) {
    const auto [w, h] = RawSize(path, options);
    if (w < 2 || h < 2 || w > maxImportSide || h > maxImportSide || w * h > maxImportCells)
        throw Refused(path, "a size of " + std::to_string(w) + " x " + std::to_string(h) +
                                " is outside 2 x 2 .. " + std::to_string(maxImportSide) +
                                " a side");
    std::error_code error;
    const uintmax_t bytes = std::filesystem::file_size(path, error);
    if (error || bytes != uintmax_t(w * h * 2))
        throw Refused(path, "holds " + std::to_string(error ? 0 : bytes) + " bytes; " +
                                std::to_string(w) + " x " + std::to_string(h) +
                                " 16-bit samples are " + std::to_string(w * h * 2));
    if (options.checkSize)
        options.checkSize(int32_t(w), int32_t(h));
    ImportedHeights imported;
    imported.path = path;
    imported.sampleType = "UInt16 raw";
    imported.sampleBits = 16;
    imported.heights = AltitudeGrid(int32_t(w), int32_t(h));
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> row(size_t(w) * 2);
    for (int64_t y = 0; y < h; ++y) {
        if (!in.read(reinterpret_cast<char*>(row.data()), std::streamsize(row.size())))
            throw Refused(path, "ends before its last row");
        for (int64_t x = 0; x < w; ++x) {
            const unsigned v = unsigned(row[2 * size_t(x)]) | unsigned(row[2 * size_t(x) + 1]) << 8;
            imported.heights.altitudes[size_t(y * w + x)] = double(v) / 65535.0;
        }
    }
    return imported;
}
