#include "core/LandReport.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// Every text of the report, in the order it reads: the desktop program's
// Japanese, and the same lines in English for the page's English mode.
struct ReportTexts {
    const char* landShare;
    const char* percent;
    const char* bandLabels[10];
    const char* lowest;
    const char* highest;
    const char* cellCount;
};

constexpr ReportTexts japanese = {
    "陸の割合: ",
    "％",
    {
        "10％未満: ",
        "10％以上20％未満: ",
        "20％以上30％未満: ",
        "30％以上40％未満: ",
        "40％以上50％未満: ",
        "50％以上60％未満: ",
        "60％以上70％未満: ",
        "70％以上80％未満: ",
        "80％以上90％未満: ",
        "90％以上: ",
    },
    "最低高度: ",
    "最高高度: ",
    "個",
};

constexpr ReportTexts english = {
    "Land: ",
    "%",
    {
        "Below 10%: ",
        "10% to 20%: ",
        "20% to 30%: ",
        "30% to 40%: ",
        "40% to 50%: ",
        "50% to 60%: ",
        "60% to 70%: ",
        "70% to 80%: ",
        "80% to 90%: ",
        "90% and above: ",
    },
    "Cells at the lowest altitude: ",
    "Cells at the highest altitude: ",
    "",
};

constexpr const char* lineEnd = "\r\n";

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

std::string BuildLandReport(const LandCell* cells, size_t count, double waterLevel,
                            ReportLanguage language) {
    const ReportTexts& t = language == ReportLanguage::English ? english : japanese;
    const LandFigures f = CountLand(cells, count, waterLevel);
    const auto share = [&f](int32_t counter) { return f.Share(counter); };

    std::string text = t.landShare;
    AppendShare(text, share(f.land));
    text += std::string(t.percent) + lineEnd + lineEnd;
    for (int k = 0; k < 10; ++k) {
        text += t.bandLabels[k];
        AppendShare(text, share(f.bands[k]));
        text += std::string(t.percent) + lineEnd;
    }
    text += std::string(lineEnd) + t.lowest + std::to_string(f.lowest) + t.cellCount + lineEnd;
    text += std::string(t.highest) + std::to_string(f.highest) + t.cellCount + lineEnd;
    return text;
}
