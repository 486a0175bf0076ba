#include "core/LandReport.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// Every text of the report, in the order it reads.
namespace texts {
constexpr const char* landShare = "陸の割合: ";
constexpr const char* percent = "％";
constexpr const char* bandLabels[10] = {
    "10％未満: ",         "10％以上20％未満: ", "20％以上30％未満: ", "30％以上40％未満: ",
    "40％以上50％未満: ", "50％以上60％未満: ", "60％以上70％未満: ", "70％以上80％未満: ",
    "80％以上90％未満: ", "90％以上: ",
};
constexpr const char* lowest = "最低高度: ";
constexpr const char* highest = "最高高度: ";
constexpr const char* cellCount = "個";
constexpr const char* lineEnd = "\r\n";
}  // namespace texts

// "%.1f" as printf gives it in the "C" locale (which is how to_chars is
// defined), whatever locale the desktop program runs in.
void AppendShare(std::string& text, double share) {
    char digits[400];  // room for any double in fixed notation
#if defined(__cpp_lib_to_chars)
    const auto result =
        std::to_chars(digits, digits + sizeof digits, share, std::chars_format::fixed, 1);
    text.append(digits, result.ptr);
#else
    // libc++ 14 (emscripten's) lacks floating-point to_chars. Its printf runs
    // in the "C" locale only and rounds the exact binary value the same way.
    const int n = std::snprintf(digits, sizeof digits, "%.1f", share);
    text.append(digits, n > 0 ? size_t(n) : 0);
#endif
}

}  // namespace

double LandFigures::Share(int32_t counter) const {
    // An empty grid has no shares; report them as 0.0 rather than NaN.
    const double d = static_cast<double>(cells) * 0.01;
    return d > 0 ? counter / d : 0.0;
}

LandFigures CountLand(const LandCell* cells, size_t count, double waterLevel) {
    LandFigures f;
    f.cells = count;
    for (size_t i = 0; i < count; ++i) {
        const double h = cells[i].altitude;
        if (h > waterLevel)
            ++f.land;
        int band = 0;
        while (band < 9 && !(h < landBandBounds[band]))
            ++band;
        ++f.bands[band];
        if (h == 0.0)
            ++f.lowest;
        else if (h == 1.0)
            ++f.highest;
    }
    return f;
}

std::string BuildLandReport(const LandCell* cells, size_t count, double waterLevel) {
    const LandFigures f = CountLand(cells, count, waterLevel);
    const auto share = [&f](int32_t counter) { return f.Share(counter); };

    std::string text = texts::landShare;
    AppendShare(text, share(f.land));
    text += std::string(texts::percent) + texts::lineEnd + texts::lineEnd;
    for (int k = 0; k < 10; ++k) {
        text += texts::bandLabels[k];
        AppendShare(text, share(f.bands[k]));
        text += std::string(texts::percent) + texts::lineEnd;
    }
    text += std::string(texts::lineEnd) + texts::lowest + std::to_string(f.lowest) +
            texts::cellCount + texts::lineEnd;
    text +=
        std::string(texts::highest) + std::to_string(f.highest) + texts::cellCount + texts::lineEnd;
    return text;
}
