#pragma once
// How the sliders stand for parameters: positions from values, values from
// positions and the label texts. The dialogs and the page share these, so a
// slider shows the same label and writes the same bits everywhere.

#include <cstdint>
#include <string>

namespace SliderScale {

// The fine sliders' steps to the whole: 集中率, 集中量 and the water level.
constexpr int32_t fineSteps = 100000;

enum class Kind {
    None,
    // 処理量: thousandths, rounded on the way in; the step is the single-precision 0.001.
    Thousandths,
    // Steps of 1 / fineSteps, truncated on the way in, labelled as a percentage.
    Fine,
    // The value itself.
    Whole,
};

// Truncates toward zero. A value beyond int32 (possible from a damaged map
// file) saturates instead of being undefined; NaN counts as the lowest position.
int32_t TruncateToInt(double value);

int32_t ProcessAmountPosition(double processAmount);
double ProcessAmountValue(int32_t position);
int32_t FinePosition(double value);
double FineValue(int32_t position);

std::string IntegerLabel(int32_t position);
// A percentage with two decimals in steps of 0.001 %, through the C library's
// formatting so ties round as printf rounds them.
std::string PercentLabel(int32_t position);
// printf's "%.<digits>f" of any double, for the progress percentages.
std::string Fixed(double value, int digits);

int32_t Position(Kind kind, double value);
double Value(Kind kind, int32_t position);
std::string Label(Kind kind, int32_t position);

}  // namespace SliderScale
