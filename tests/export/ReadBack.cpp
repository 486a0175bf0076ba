#include "ReadBack.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfStringAttribute.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <exception>
#include <memory>

namespace readback {
namespace {

// libpng unwinds with longjmp: this frame owns nothing with a destructor,
// and the rows it fills were sized before.
bool ReadPngRows(FILE* file, png_structp png, png_infop info, Samples& s,
                 std::vector<unsigned char>& bytes, std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_read_info(png, info);
    if (png_get_bit_depth(png, info) != 16 || png_get_color_type(png, info) != PNG_COLOR_TYPE_GRAY)
        return false;
    s.width = int32_t(png_get_image_width(png, info));
    s.height = int32_t(png_get_image_height(png, info));
    bytes.resize(size_t(s.width) * size_t(s.height) * 2);
    rows.resize(size_t(s.height));
    for (int32_t y = 0; y < s.height; ++y)
        rows[size_t(y)] = bytes.data() + size_t(y) * size_t(s.width) * 2;
    png_read_image(png, rows.data());
    png_read_end(png, info);
    png_textp text = nullptr;
    int count = 0;
    png_get_text(png, info, &text, &count);
    for (int i = 0; i < count; ++i)
        if (std::string(text[i].key) == "glenvar recipe")
            s.recipe.assign(text[i].text, text[i].compression == PNG_ITXT_COMPRESSION_NONE
                                              ? text[i].itxt_length
                                              : text[i].text_length);
    return true;
}

}  // namespace

Samples ReadPng(const std::filesystem::path& path) {
    Samples s;
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file)
        return s;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<unsigned char> bytes;
    std::vector<png_bytep> rows;
    s.ok = ReadPngRows(file.get(), png, info, s, bytes, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!s.ok)
        return s;
    s.bigEndian = true;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        s.values.push_back(double(bytes[i] << 8 | bytes[i + 1]));
    return s;
}

Samples ReadTiff(const std::filesystem::path& path) {
    Samples s;
    TIFFSetWarningHandler(nullptr);
    const std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "r"), TIFFClose);
    if (!tiff)
        return s;
    uint32_t w = 0, h = 0;
    uint16_t bits = 0, format = 0, channels = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &channels);
    if (bits != 32 || format != SAMPLEFORMAT_IEEEFP || channels != 1)
        return s;
    const char* description = nullptr;
    if (TIFFGetField(tiff.get(), TIFFTAG_IMAGEDESCRIPTION, &description) == 1 && description)
        s.recipe = description;
    s.width = int32_t(w);
    s.height = int32_t(h);
    s.floats = true;
    s.bigEndian = TIFFIsBigEndian(tiff.get()) != 0;
    std::vector<float> row(w);
    for (uint32_t y = 0; y < h; ++y) {
        if (TIFFReadScanline(tiff.get(), row.data(), y, 0) != 1)
            return s;
        s.values.insert(s.values.end(), row.begin(), row.end());
    }
    s.ok = true;
    return s;
}

Samples ReadExr(const std::filesystem::path& path) {
    Samples s;
    try {
        Imf::InputFile file(path.c_str());
        const Imath::Box2i window = file.header().dataWindow();
        const Imf::Channel* y = file.header().channels().findChannel("Y");
        if (y == nullptr || y->type != Imf::FLOAT)
            return s;
        s.width = window.max.x - window.min.x + 1;
        s.height = window.max.y - window.min.y + 1;
        std::vector<float> samples(size_t(s.width) * size_t(s.height));
        Imf::FrameBuffer frame;
        char* origin = reinterpret_cast<char*>(samples.data()) -
                       (ptrdiff_t(window.min.x) + ptrdiff_t(window.min.y) * s.width) *
                           ptrdiff_t(sizeof(float));
        frame.insert(
            "Y", Imf::Slice(Imf::FLOAT, origin, sizeof(float), sizeof(float) * size_t(s.width)));
        file.setFrameBuffer(frame);
        file.readPixels(window.min.y, window.max.y);
        if (const auto* recipe =
                file.header().findTypedAttribute<Imf::StringAttribute>("glenvarRecipe"))
            s.recipe = recipe->value();
        s.values.assign(samples.begin(), samples.end());
        s.floats = true;
        s.ok = true;
    } catch (const std::exception&) {
    }
    return s;
}

Samples ReadR16(const std::filesystem::path& path, int32_t width) {
    Samples s;
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file || width < 1)
        return s;
    for (int low; (low = std::fgetc(file.get())) != EOF;) {
        const int high = std::fgetc(file.get());
        if (high == EOF)
            return s;  // half a sample
        s.values.push_back(double(high << 8 | low));
    }
    s.width = width;
    s.height = int32_t(s.values.size() / size_t(width));
    s.ok = s.values.size() == size_t(s.width) * size_t(s.height);
    return s;
}

Samples ReadHeightmap(const std::filesystem::path& path, int32_t r16Width) {
    const std::string ending = path.extension().string();
    return ending == ".png"   ? ReadPng(path)
           : ending == ".tif" ? ReadTiff(path)
           : ending == ".exr" ? ReadExr(path)
                              : ReadR16(path, r16Width);
}

std::map<std::string, std::string> JsonFields(const std::filesystem::path& path) {
    std::map<std::string, std::string> fields;
    const std::string command =
        std::string(PYTHON3) + " '" + JSON_FIELDS_SCRIPT + "' '" + path.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return fields;
    std::string out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    if (pclose(pipe) != 0)
        return {};
    for (size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = out.substr(at, end - at);
        const size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const char kind = line[space + 1];
        const std::string value = line.substr(space + 3);
        if (kind != 's') {
            fields[key] = value;
            continue;
        }
        std::string text;
        for (size_t i = 0; i + 1 < value.size(); i += 2)
            text += char(std::stoi(value.substr(i, 2), nullptr, 16));
        fields[key] = text;
    }
    return fields;
}

}  // namespace readback
