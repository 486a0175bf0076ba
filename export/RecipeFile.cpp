#include "export/RecipeFile.h"

#include "export/ExrFile.h"
#include "export/FileRange.h"
#include "export/MemoryRange.h"

#include <cstdint>

namespace {

std::string TooLong(const char* what) {
    return std::string(what) + " is longer than " + std::to_string(maxRecipeBytes >> 20) + " MiB";
}

uint32_t BigEndian32(const std::string& b, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.data() + at);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The text of the first uncompressed iTXt or tEXt chunk under our keyword
// before the image data. Chunks are stepped over by their lengths, never
// read, so a recipe costs the same in a picture of any size.
std::string PngRecipe(ByteRange& file) {
    const std::string keyword = std::string(pngRecipeKeyword) + '\0';
    for (uint64_t at = 8;;) {
        if (at > maxMetadataBytes)
            throw RecipeFailure("no image data in the picture's first " +
                                std::to_string(maxMetadataBytes >> 20) + " MiB");
        const std::string head = file.ReadAt(at, 8);
        if (head.size() < 8)
            return {};
        const uint32_t length = BigEndian32(head, 0);
        const std::string type = head.substr(4);
        if (type == "IDAT" || type == "IEND")
            return {};
        const uint64_t start = at + 8;
        at = start + length + 4;  // and the CRC
        if ((type != "iTXt" && type != "tEXt") || length < keyword.size() ||
            file.ReadAt(start, keyword.size()) != keyword)
            continue;
        if (length > maxRecipeBytes + 1024)
            throw RecipeFailure(TooLong("the picture's recipe"));
        const std::string data = file.ReadAt(start, length);
        if (data.size() < length)
            throw RecipeFailure("the picture ends inside its recipe");
        size_t text = keyword.size();
        if (type == "iTXt") {
            // Compression flag and method, then language tag and translated keyword.
            if (text + 2 > data.size() || data[text] != 0)
                throw RecipeFailure("the picture's recipe is compressed");
            const size_t language = data.find('\0', text + 2);
            const size_t translated =
                language == std::string::npos ? language : data.find('\0', language + 1);
            if (translated == std::string::npos)
                throw RecipeFailure("the picture's recipe chunk is damaged");
            text = translated + 1;
        }
        return data.substr(text);
    }
}

// Little- or big-endian numbers of a TIFF.
struct TiffOrder {
    bool little;
    uint64_t Get(const std::string& b, size_t at, int bytes) const {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) {
            const auto byte = uint64_t(static_cast<unsigned char>(b[at + size_t(i)]));
            v |= byte << (8 * (little ? i : bytes - 1 - i));
        }
        return v;
    }
};

// The ImageDescription of the first directory, classic TIFF or BigTIFF: the
// directory is read, and the tag's bytes only when its length is in bounds.
std::string TiffRecipe(ByteRange& file) {
    constexpr uint16_t imageDescription = 270;
    const std::string header = file.ReadAt(0, 16);
    const TiffOrder order{header[0] == 'I'};
    const bool big = order.Get(header, 2, 2) == 43;
    if (big && (header.size() < 16 || order.Get(header, 4, 2) != 8 || order.Get(header, 6, 2) != 0))
        throw RecipeFailure("the BigTIFF header is damaged");
    const int offsetBytes = big ? 8 : 4;
    const size_t entryBytes = big ? 20 : 12;
    const uint64_t directory = order.Get(header, big ? 8 : 4, offsetBytes);
    const int countBytes = big ? 8 : 2;
    const std::string count = file.ReadAt(directory, size_t(countBytes));
    if (count.size() < size_t(countBytes))
        throw RecipeFailure("the TIFF directory lies past the end of the file");
    const uint64_t entries = order.Get(count, 0, countBytes);
    if (entries > 0xFFFF)
        throw RecipeFailure("the TIFF directory is damaged");
    const std::string table = file.ReadAt(directory + uint64_t(countBytes), entries * entryBytes);
    if (table.size() < entries * entryBytes)
        throw RecipeFailure("the TIFF directory runs past the end of the file");
    for (size_t e = 0; e < entries; ++e) {
        const size_t at = e * entryBytes;
        if (order.Get(table, at, 2) != imageDescription)
            continue;
        const uint64_t type = order.Get(table, at + 2, 2);
        const uint64_t length = order.Get(table, at + 4, offsetBytes);
        if (type != 2 && type != 1 && type != 7)  // ASCII, BYTE, UNDEFINED
            throw RecipeFailure("the TIFF's description is not text");
        if (length > maxRecipeBytes + 1)
            throw RecipeFailure(TooLong("the TIFF's description"));
        const size_t value = at + 4 + size_t(offsetBytes);
        std::string text = length <= uint64_t(offsetBytes)
                               ? table.substr(value, size_t(length))
                               : file.ReadAt(order.Get(table, value, offsetBytes), size_t(length));
        if (text.size() < length)
            throw RecipeFailure("the TIFF's description runs past the end of the file");
        while (!text.empty() && text.back() == '\0')
            text.pop_back();  // the terminator, not the recipe's
        return text;
    }
    return {};
}

// The string attribute exrRecipeAttribute of an EXR file's (first) header:
// name, type name, size and value, attribute after attribute up to an empty
// name. Values are stepped over, never read, but ours.
std::string ExrHeaderRecipe(ByteRange& file) {
    const std::string version = file.ReadAt(4, 4);
    if (version.size() < 4)
        throw RecipeFailure("the EXR header is cut short");
    const size_t longestName = (static_cast<unsigned char>(version[1]) & 0x04) ? 255 : 31;
    const auto name = [&](uint64_t& at) {
        const std::string bytes = file.ReadAt(at, longestName + 1);
        const size_t end = bytes.find('\0');
        if (end == std::string::npos)
            throw RecipeFailure(bytes.size() <= longestName ? "the EXR header is cut short"
                                                            : "the EXR header is damaged");
        at += end + 1;
        return bytes.substr(0, end);
    };
    for (uint64_t at = 8;;) {
        if (at > maxMetadataBytes)
            throw RecipeFailure("the EXR header is longer than " +
                                std::to_string(maxMetadataBytes >> 20) + " MiB");
        const std::string attribute = name(at);
        if (attribute.empty())
            return {};
        const std::string type = name(at);
        const std::string size = file.ReadAt(at, 4);
        if (size.size() < 4)
            throw RecipeFailure("the EXR header is cut short");
        const uint64_t bytes = TiffOrder{true}.Get(size, 0, 4);
        if (bytes >= 0x80000000u)
            throw RecipeFailure("the EXR header is damaged");
        at += 4;
        if (attribute == exrRecipeAttribute && type == "string") {
            if (bytes > maxRecipeBytes)
                throw RecipeFailure(TooLong("the EXR file's recipe"));
            std::string text = file.ReadAt(at, size_t(bytes));
            if (text.size() < bytes)
                throw RecipeFailure("the EXR header is cut short");
            return text;
        }
        at += bytes;
    }
}

// Four hex digits of a \u escape; -1 when they are not.
int32_t HexUnit(const std::string& text, size_t at) {
    if (at + 4 > text.size())
        return -1;
    int32_t unit = 0;
    for (size_t i = at; i < at + 4; ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | code >> 6);
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | code >> 12);
        out += char(0x80 | (code >> 6 & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | code >> 18);
        out += char(0x80 | (code >> 12 & 0x3F));
        out += char(0x80 | (code >> 6 & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// A JSON string from its opening quote, escapes decoded; throws on a bad escape.
std::string JsonString(const std::string& text, size_t at) {
    std::string value;
    for (size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            return value;
        if (c != '\\') {
            value += c;
            continue;
        }
        const char e = i + 1 < text.size() ? text[i + 1] : '\0';
        std::string escape = text.substr(i, e == 'u' ? 6 : 2);
        escape = escape.substr(0, escape.find('"', 1));
        for (char& byte : escape)
            byte = static_cast<unsigned char>(byte) < 0x20 ? '?' : byte;
        const std::string bad = "the sidecar's recipe has a bad escape \"" + escape + '"';
        static const std::string plain = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
        if (const size_t k = plain.find(e); e != '\0' && k != std::string::npos) {
            value += meant[k];
            ++i;
            continue;
        }
        if (e != 'u')
            throw RecipeFailure(bad);
        int32_t unit = HexUnit(text, i + 2);
        i += 5;
        if (unit >= 0xD800 && unit < 0xDC00 && text.compare(i + 1, 2, "\\u") == 0) {
            const int32_t low = HexUnit(text, i + 3);
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 6;
            }
        }
        if (unit < 0 || (unit >= 0xD800 && unit < 0xE000))
            throw RecipeFailure(bad);
        AppendUtf8(value, uint32_t(unit));
        if (value.size() > maxRecipeBytes)
            throw RecipeFailure(TooLong("the sidecar's recipe"));
    }
    throw RecipeFailure("the sidecar's recipe is cut short");
}

// The string value of "recipe" in a sidecar of bounded size.
std::string SidecarRecipe(ByteRange& file) {
    if (file.Size() > maxSidecarBytes)
        throw RecipeFailure("the sidecar is larger than " + std::to_string(maxSidecarBytes >> 20) +
                            " MiB");
    const std::string text = file.ReadAt(0, size_t(file.Size()));
    const std::string key = "\"recipe\":";
    size_t at = text.find(key);
    if (at == std::string::npos)
        return {};
    at = text.find_first_not_of(" \t\r\n", at + key.size());
    if (at == std::string::npos || text[at] != '"')
        throw RecipeFailure("the sidecar's recipe is not a string");
    return JsonString(text, at);
}

std::string RecipeOf(ByteRange& file) {
    const std::string start = file.ReadAt(0, 8);
    std::string recipe;
    if (start == std::string("\x89PNG\r\n\x1A\n", 8))
        recipe = PngRecipe(file);
    else if (start.size() >= 8 && (start.compare(0, 4, std::string("II*\0", 4)) == 0 ||
                                   start.compare(0, 4, std::string("MM\0*", 4)) == 0 ||
                                   start.compare(0, 4, std::string("II+\0", 4)) == 0 ||
                                   start.compare(0, 4, std::string("MM\0+", 4)) == 0))
        recipe = TiffRecipe(file);
    else if (start.compare(0, 4, "\x76\x2F\x31\x01") == 0)
        recipe = ExrHeaderRecipe(file);
    else if (!start.empty() && start[0] == '{')
        recipe = SidecarRecipe(file);
    else
        throw NoRecipeForm("not a PNG, TIFF, EXR or sidecar file");
    if (recipe.empty())
        throw RecipeFailure("the file holds no recipe");
    return recipe;
}

}  // namespace

std::string RecipeOfFile(const std::filesystem::path& path) {
    FileRange file(path);
    try {
        return RecipeOf(file);
    } catch (const NoRecipeForm& failure) {
        throw NoRecipeForm(path.string() + ": " + failure.what());
    } catch (const RecipeFailure& failure) {
        throw RecipeFailure(path.string() + ": " + failure.what());
    }
}

std::string RecipeOfBytes(std::string_view bytes) {
    MemoryRange memory(bytes);
    return RecipeOf(memory);
}

std::vector<RecipeSetting> RecipeSettingsOfFile(const std::filesystem::path& path) {
    const std::string recipe = RecipeOfFile(path);
    try {
        return RecipeSettings(recipe);
    } catch (const RecipeFailure& failure) {
        throw RecipeFailure(path.string() + ": " + failure.what());
    }
}
