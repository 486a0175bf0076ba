#include "export/HeightmapFile.h"

#include "core/HeightSample.h"
#include "data/Archive.h"
#include "data/Failures.h"
#include "export/FileForm.h"
#include "export/HeightWindow.h"
#include "export/TiffPlacement.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

// libtiff writes through these into memory: it seeks back to patch offsets,
// which a save that only appends cannot do.
struct TiffBuffer {
    std::vector<unsigned char> bytes;
    uint64_t position = 0;
    bool outOfMemory = false;
    char message[256] = "";
};

tmsize_t TiffRead(thandle_t, void*, tmsize_t) {
    return 0;
}

tmsize_t TiffWrite(thandle_t handle, void* data, tmsize_t n) {
    auto& b = *static_cast<TiffBuffer*>(handle);
    const uint64_t end = b.position + uint64_t(n);
    try {
        if (end > b.bytes.size())
            b.bytes.resize(size_t(end));
    } catch (const std::bad_alloc&) {
        b.outOfMemory = true;
        return 0;
    }
    if (n > 0)
        std::memcpy(b.bytes.data() + b.position, data, size_t(n));
    b.position = end;
    return n;
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence) {
    auto& b = *static_cast<TiffBuffer*>(handle);
    const uint64_t base = whence == SEEK_CUR ? b.position : whence == SEEK_END ? b.bytes.size() : 0;
    b.position = base + offset;
    return b.position;
}

int TiffClose(thandle_t) {
    return 0;
}
toff_t TiffSize(thandle_t handle) {
    return static_cast<TiffBuffer*>(handle)->bytes.size();
}
int TiffMap(thandle_t, void**, toff_t*) {
    return 0;
}
void TiffUnmap(thandle_t, void*, toff_t) {}

// Keeps libtiff's complaint for our message instead of its default stderr line.
int TiffError(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto& b = *static_cast<TiffBuffer*>(user);
    const int used =
        std::snprintf(b.message, sizeof b.message, "%s: ", module ? module : "libtiff");
    if (used > 0 && size_t(used) < sizeof b.message)
        std::vsnprintf(b.message + used, sizeof b.message - size_t(used), format, args);
    return 1;
}

int TiffWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

bool WriteTiff(TIFF* tif, const HeightWindow& heights, const std::string& recipe) {
    const uint32_t w = uint32_t(heights.Width());
    const uint32_t h = uint32_t(heights.Height());
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 32) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
              TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
              // Baseline readers expect a resolution; a cell has no physical size.
              TIFFSetField(tif, TIFFTAG_XRESOLUTION, 1.0) &&
              TIFFSetField(tif, TIFFTAG_YRESOLUTION, 1.0) &&
              TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_NONE) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0)) &&
              (recipe.empty() || TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, recipe.c_str()));
    std::vector<float> row(w);
    for (uint32_t y = 0; ok && y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x)
            row[x] = static_cast<float>(heights.At(int32_t(x), int32_t(y)));
        ok = TIFFWriteScanline(tif, row.data(), y, 0) == 1;
    }
    return ok && TIFFWriteDirectory(tif) == 1;
}

CommandFailure EncodingFailure(const std::string& message) {
    return CommandFailure("TIFF encoding failed: " + message, FailureKind::Encoding);
}

}  // namespace

void WriteR16Rows(const HeightWindow& heights, Archive& archive) {
    const int32_t w = heights.Width();
    std::vector<unsigned char> row(size_t(w) * 2);
    for (int32_t y = 0; y < heights.Height(); ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint16_t v = HeightSample(heights.At(x, y));
            row[2 * size_t(x)] = static_cast<unsigned char>(v);  // little-endian
            row[2 * size_t(x) + 1] = static_cast<unsigned char>(v >> 8);
        }
        archive.Write(row.data(), row.size());
    }
}

namespace {

TiffEncoder installedEncoder = nullptr;

}  // namespace

void SetTiffEncoder(TiffEncoder encoder) {
    installedEncoder = encoder;
}

TiffEncoder InstalledTiffEncoder() {
    return installedEncoder;
}

std::vector<unsigned char> EncodeHeightmapTiff(const HeightWindow& heights,
                                               const std::string& recipe,
                                               const TiffPlacement* placement) {
    if (placement && installedEncoder)
        return installedEncoder(heights, recipe, *placement);
    const int32_t w = heights.Width();
    const int32_t h = heights.Height();
    TiffBuffer buffer;
    // Reserved at once, so growing never holds two copies of a large heightmap.
    buffer.bytes.reserve(size_t(TiffFileBytes(w, h)));
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr)
        throw std::bad_alloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, &TiffError, &buffer);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &TiffWarning, &buffer);
    TIFF* tif = TIFFClientOpenExt("heightmap", "wl", &buffer, &TiffRead, &TiffWrite, &TiffSeek,
                                  &TiffClose, &TiffSize, &TiffMap, &TiffUnmap, options);
    TIFFOpenOptionsFree(options);
    if (tif == nullptr) {
        if (buffer.outOfMemory)
            throw std::bad_alloc();
        throw EncodingFailure(buffer.message);
    }
    bool ok = false;
    try {
        ok = WriteTiff(tif, heights, recipe);
    } catch (...) {
        TIFFClose(tif);
        throw;
    }
    TIFFClose(tif);
    if (buffer.outOfMemory)
        throw std::bad_alloc();
    if (!ok)
        throw EncodingFailure(buffer.message);
    return std::move(buffer.bytes);
}
