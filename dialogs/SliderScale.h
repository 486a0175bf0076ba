#pragma once
// How the dialogs' sliders stand for parameters: positions from values, values
// from positions and the label texts.

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace SliderScale {

// Truncates toward zero. A value beyond int (possible from a damaged map file)
// saturates instead of being undefined; NaN counts as the lowest position.
inline int TruncateToInt(double value) {
    if (std::isnan(value) || value <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (value >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

// 処理量: thousandths, rounded on the way in; the step is the single-precision 0.001.
inline int ProcessAmountPosition(double processAmount) {
    return TruncateToInt(processAmount * 1000 + 0.5);
}
inline double ProcessAmountValue(int position) {
    return position * static_cast<double>(0.001f);
}

// 集中率, 集中量 and the water level: steps of 0.00001, truncated on the way in.
inline int FinePosition(double value) {
    return TruncateToInt(value * 100000);
}
inline double FineValue(int position) {
    return position * 0.00001;
}

inline QString IntegerLabel(int position) {
    return QString::number(position);
}

// A percentage with two decimals in steps of 0.001 %, through the C library's
// formatting so ties round as printf rounds them.
inline QString PercentLabel(int position) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f%%", position * 0.001);
    return QString::fromLatin1(text);
}

}  // namespace SliderScale
