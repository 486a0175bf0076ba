#pragma once
// Small files of every form that carries a recipe, each written by the form's
// own library (libpng, libtiff, OpenEXR; Python's json for the sidecar), so
// that the recipe reader is tested against writers other than ours. The test
// program links libpng, libtiff and OpenEXR.

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <ImfStringAttribute.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A 2 x 2 grey picture with the recipe in an iTXt chunk before the image
// data, or after it when afterImageData.
inline bool WritePngRecipe(const std::filesystem::path& path, const std::string& recipe,
                           bool afterImageData = false) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, 2, 2, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_text text{};
    text.compression = PNG_ITXT_COMPRESSION_NONE;
    text.key = const_cast<char*>("glenvar recipe");
    text.text = const_cast<char*>(recipe.c_str());
    text.itxt_length = recipe.size();
    if (!afterImageData)
        png_set_text(png, info, &text, 1);
    png_write_info(png, info);
    unsigned char rows[2][2] = {{0, 64}, {128, 255}};
    png_write_row(png, rows[0]);
    png_write_row(png, rows[1]);
    if (afterImageData)
        png_set_text(png, info, &text, 1);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// A 2 x 2 float TIFF (BigTIFF when big) with the recipe as its ImageDescription.
inline bool WriteTiffRecipe(const std::filesystem::path& path, const std::string& recipe,
                            bool big = false) {
    TIFF* tif = TIFFOpen(path.c_str(), big ? "w8" : "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 2);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 2);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 32);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2);
    TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, recipe.c_str());
    float rows[2][2] = {{0.f, 0.25f}, {0.5f, 1.f}};
    const bool written =
        TIFFWriteScanline(tif, rows[0], 0, 0) == 1 && TIFFWriteScanline(tif, rows[1], 1, 0) == 1;
    TIFFClose(tif);
    return written;
}

// A 2 x 2 one-channel EXR with the recipe as the string attribute glenvarRecipe.
inline void WriteExrRecipe(const std::filesystem::path& path, const std::string& recipe) {
    Imf::Header header(2, 2);
    header.channels().insert("Y", Imf::Channel(Imf::FLOAT));
    header.insert("glenvarRecipe", Imf::StringAttribute(recipe));
    float samples[4] = {0.f, 0.25f, 0.5f, 1.f};
    Imf::OutputFile file(path.c_str(), header);
    Imf::FrameBuffer frame;
    frame.insert("Y", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(samples), sizeof(float),
                                 2 * sizeof(float)));
    file.setFrameBuffer(frame);
    file.writePixels(2);
}

// A sidecar as Python's json writes it (non-ASCII and control characters as
// \u escapes), the recipe among other keys.
inline bool WriteSidecarRecipe(const std::filesystem::path& path, const std::string& recipe) {
    const std::string script = "import json,sys; json.dump({'width': 2, 'tiles': [{'file': "
                               "'recipe'}], 'recipe': sys.argv[2]}, open(sys.argv[1], 'w'), "
                               "indent=2)";
    const std::string command =
        "/usr/bin/python3 -c \"" + script + "\" '" + path.string() + "' '" + recipe + "'";
    return std::system(command.c_str()) == 0;
}

}  // namespace testsupport
