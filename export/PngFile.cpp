#include "export/PngFile.h"

#include "data/Archive.h"
#include "data/Failures.h"
#include "data/SafeSave.h"
#include "export/HeightWindow.h"
#include "export/RecipeFile.h"

#include <png.h>

#include <cstring>
#include <new>
#include <string>

namespace {

// Everything libpng's callbacks touch. libpng unwinds with longjmp, so the
// callbacks never let a C++ exception cross it and the frame that calls
// setjmp owns nothing with a destructor.
struct Encoding {
    std::vector<unsigned char>* bytes = nullptr;
    bool outOfMemory = false;
    char message[256] = "";
    // Fills one row of samples.
    void (*fillRow)(const void* source, uint32_t y, unsigned char* row) = nullptr;
    const void* source = nullptr;
    unsigned char* row = nullptr;
    const std::string* recipe = nullptr;             // an iTXt chunk when not empty
    const std::vector<uint32_t>* palette = nullptr;  // 0xRRGGBB entries, for indexed colour
};

void AppendBytes(png_structp png, png_bytep data, png_size_t n) {
    auto* e = static_cast<Encoding*>(png_get_io_ptr(png));
    try {
        e->bytes->insert(e->bytes->end(), data, data + n);
    } catch (const std::bad_alloc&) {
        e->outOfMemory = true;
    }
    if (e->outOfMemory)
        png_error(png, "out of memory");
}

void Flush(png_structp) {}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* e = static_cast<Encoding*>(png_get_error_ptr(png));
    std::strncpy(e->message, message ? message : "", sizeof e->message - 1);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

bool WriteRows(png_structp png, png_infop info, Encoding& e, uint32_t width, uint32_t height,
               int bitDepth, int colourType) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &e, &AppendBytes, &Flush);
    // zlib's default level takes three times as long for files only 7 % smaller.
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, width, height, bitDepth, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (e.palette != nullptr) {
        png_color colours[256];
        const size_t n = e.palette->size() < 256 ? e.palette->size() : 256;
        for (size_t k = 0; k < n; ++k)
            colours[k] = {png_byte((*e.palette)[k] >> 16), png_byte((*e.palette)[k] >> 8),
                          png_byte((*e.palette)[k])};
        png_set_PLTE(png, info, colours, int(n));
    }
    if (e.recipe != nullptr && !e.recipe->empty()) {
        png_text text{};
        text.compression = PNG_ITXT_COMPRESSION_NONE;
        text.key = const_cast<png_charp>(pngRecipeKeyword);
        text.text = const_cast<png_charp>(e.recipe->c_str());
        text.itxt_length = e.recipe->size();
        png_set_text(png, info, &text, 1);
    }
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; ++y) {
        e.fillRow(e.source, y, e.row);
        png_write_row(png, e.row);
    }
    png_write_end(png, info);
    return true;
}

std::vector<unsigned char> Encode(uint32_t width, uint32_t height, int bitDepth, int colourType,
                                  size_t bytesPerPixel,
                                  void (*fillRow)(const void*, uint32_t, unsigned char*),
                                  const void* source, const std::string& recipe,
                                  const std::vector<uint32_t>* palette = nullptr) {
    if (width == 0 || height == 0)
        throw CommandFailure("a picture needs at least one pixel", FailureKind::Encoding);
    std::vector<unsigned char> bytes;
    std::vector<unsigned char> row(size_t(width) * bytesPerPixel);
    Encoding e;
    e.bytes = &bytes;
    e.fillRow = fillRow;
    e.source = source;
    e.row = row.data();
    e.recipe = &recipe;
    e.palette = palette;

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &e, &OnError, &OnWarning);
    if (png == nullptr)
        throw std::bad_alloc();
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        throw std::bad_alloc();
    }
    const bool ok = WriteRows(png, info, e, width, height, bitDepth, colourType);
    png_destroy_write_struct(&png, &info);
    if (e.outOfMemory)
        throw std::bad_alloc();
    if (!ok)
        throw CommandFailure(std::string("PNG encoding failed: ") + e.message,
                             FailureKind::Encoding);
    return bytes;
}

void FillRgbRow(const void* source, uint32_t y, unsigned char* row) {
    const auto& picture = *static_cast<const Picture*>(source);
    const uint32_t* p = &picture.pixels[size_t(y) * size_t(picture.width)];
    for (int32_t x = 0; x < picture.width; ++x) {
        row[3 * x] = static_cast<unsigned char>(p[x] >> 16);
        row[3 * x + 1] = static_cast<unsigned char>(p[x] >> 8);
        row[3 * x + 2] = static_cast<unsigned char>(p[x]);
    }
}

void FillHeightRow(const void* source, uint32_t y, unsigned char* row) {
    const auto& heights = *static_cast<const HeightWindow*>(source);
    for (int32_t x = 0; x < heights.Width(); ++x) {
        const uint16_t v = HeightSample(heights.At(x, int32_t(y)));
        row[2 * x] = static_cast<unsigned char>(v >> 8);  // PNG samples are big-endian
        row[2 * x + 1] = static_cast<unsigned char>(v);
    }
}

struct Samples {
    const std::vector<uint8_t>& bytes;
    size_t rowBytes;
};

void FillSampleRow(const void* source, uint32_t y, unsigned char* row) {
    const auto& s = *static_cast<const Samples*>(source);
    std::memcpy(row, s.bytes.data() + size_t(y) * s.rowBytes, s.rowBytes);
}

}  // namespace

std::vector<unsigned char> EncodeSamplesPng(int32_t width, int32_t height, int32_t channels,
                                            const std::vector<uint8_t>& samples,
                                            const std::string& recipe) {
    if (width <= 0 || height <= 0 || (channels != 1 && channels != 4) ||
        samples.size() != size_t(width) * size_t(height) * size_t(channels))
        throw CommandFailure("picture size does not match its samples", FailureKind::Encoding);
    const Samples s{samples, size_t(width) * size_t(channels)};
    return Encode(uint32_t(width), uint32_t(height), 8,
                  channels == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB_ALPHA, size_t(channels),
                  &FillSampleRow, &s, recipe);
}

std::vector<unsigned char> EncodeIndexedPng(int32_t width, int32_t height,
                                            const std::vector<uint8_t>& indices,
                                            const std::vector<uint32_t>& palette,
                                            const std::string& recipe) {
    if (width <= 0 || height <= 0 || indices.size() != size_t(width) * size_t(height) ||
        palette.empty() || palette.size() > 256)
        throw CommandFailure("picture size does not match its samples", FailureKind::Encoding);
    const Samples s{indices, size_t(width)};
    return Encode(uint32_t(width), uint32_t(height), 8, PNG_COLOR_TYPE_PALETTE, 1, &FillSampleRow,
                  &s, recipe, &palette);
}

std::vector<unsigned char> EncodePicturePng(const Picture& picture, const std::string& recipe) {
    if (picture.width < 0 || picture.height < 0 ||
        picture.pixels.size() != size_t(picture.width) * size_t(picture.height))
        throw CommandFailure("picture size does not match its pixels", FailureKind::Encoding);
    return Encode(uint32_t(picture.width), uint32_t(picture.height), 8, PNG_COLOR_TYPE_RGB, 3,
                  &FillRgbRow, &picture, recipe);
}

std::vector<unsigned char> EncodeHeightmapPng(const HeightWindow& heights,
                                              const std::string& recipe) {
    return Encode(uint32_t(heights.Width()), uint32_t(heights.Height()), 16, PNG_COLOR_TYPE_GRAY, 2,
                  &FillHeightRow, &heights, recipe);
}

void SaveBytes(const std::filesystem::path& target, const std::vector<unsigned char>& bytes) {
    SaveSafely(target, [&bytes](Archive& archive) { archive.Write(bytes.data(), bytes.size()); });
}
