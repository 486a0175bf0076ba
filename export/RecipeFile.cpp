#include "export/RecipeFile.h"

#include "export/ExrFile.h"

#include "data/Failures.h"

#include <tiffio.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowFileFailure(errno ? errno : ENOENT, path);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        ThrowFileFailure(errno ? errno : EIO, path);
    return bytes;
}

bool StartsWith(const Bytes& bytes, std::initializer_list<unsigned char> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

uint32_t BigEndian32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The text of the first uncompressed iTXt or tEXt chunk under our keyword;
// every chunk's length is checked against what the file still holds.
std::string PngRecipe(const Bytes& bytes) {
    const std::string keyword = pngRecipeKeyword;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = BigEndian32(&bytes[at]);
        if (length > bytes.size() - at - 12)
            break;
        const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        const std::string data(reinterpret_cast<const char*>(&bytes[at + 8]), length);
        at += 12 + size_t(length);
        if (type == "IEND")
            break;
        if ((type != "iTXt" && type != "tEXt") ||
            data.compare(0, keyword.size() + 1, keyword + '\0') != 0)
            continue;
        size_t text = keyword.size() + 1;
        if (type == "iTXt") {
            // Compression flag and method, then language tag and translated keyword.
            if (text + 2 > data.size() || data[text] != 0)
                throw RecipeFailure("the picture's recipe is compressed");
            const size_t language = data.find('\0', text + 2);
            const size_t translated =
                language == std::string::npos ? language : data.find('\0', language + 1);
            if (translated == std::string::npos)
                break;
            text = translated + 1;
        }
        return data.substr(text);
    }
    return {};
}

std::string TiffRecipe(const std::filesystem::path& path) {
    const std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "r"), TIFFClose);
    if (!tiff)
        throw RecipeFailure(path.string() + ": not a TIFF file libtiff can read");
    const char* description = nullptr;
    if (TIFFGetField(tiff.get(), TIFFTAG_IMAGEDESCRIPTION, &description) != 1 || !description)
        return {};
    return description;
}

// The string value of "recipe" in a sidecar, with the escapes it may use.
std::string SidecarRecipe(const Bytes& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    const std::string key = "\"recipe\":";
    size_t at = text.find(key);
    if (at == std::string::npos)
        return {};
    at = text.find('"', at + key.size());
    std::string value;
    for (size_t i = at + 1; at != std::string::npos && i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            return value;
        if (c != '\\') {
            value += c;
        } else if (i + 1 < text.size() && text[i + 1] == 'u' && i + 5 < text.size()) {
            value += static_cast<char>(std::stoi(text.substr(i + 2, 4), nullptr, 16) & 0xFF);
            i += 5;
        } else if (i + 1 < text.size()) {
            const char e = text[++i];
            value += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
        }
    }
    throw RecipeFailure("the sidecar's recipe is cut short");
}

}  // namespace

std::string RecipeOfFile(const std::filesystem::path& path) {
    const Bytes bytes = ReadAll(path);
    std::string recipe;
    if (StartsWith(bytes, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}))
        recipe = PngRecipe(bytes);
    else if (StartsWith(bytes, {'I', 'I', 42, 0}) || StartsWith(bytes, {'M', 'M', 0, 42}))
        recipe = TiffRecipe(path);
    else if (StartsWith(bytes, {0x76, 0x2F, 0x31, 0x01}))
        recipe = ExrRecipe(bytes);
    else if (StartsWith(bytes, {'{'}))
        recipe = SidecarRecipe(bytes);
    else
        throw RecipeFailure(path.string() + ": not a PNG, TIFF, EXR or sidecar file");
    if (recipe.empty())
        throw RecipeFailure(path.string() + ": the file holds no recipe");
    return recipe;
}
