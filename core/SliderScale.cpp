#include "core/SliderScale.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace SliderScale {

int32_t TruncateToInt(double value) {
    if (std::isnan(value) || value <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (value >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

int32_t ProcessAmountPosition(double processAmount) {
    return TruncateToInt(processAmount * 1000 + 0.5);
}

double ProcessAmountValue(int32_t position) {
    return position * static_cast<double>(0.001f);
}

int32_t FinePosition(double value) {
    return TruncateToInt(value * fineSteps);
}

double FineValue(int32_t position) {
    return position * 0.00001;
}

std::string IntegerLabel(int32_t position) {
    return std::to_string(position);
}

std::string Fixed(double value, int digits) {
    char text[400];  // the widest double in %f has 309 digits before the point
    std::snprintf(text, sizeof text, "%.*f", digits < 0 ? 0 : digits > 60 ? 60 : digits, value);
    return text;
}

std::string PercentLabel(int32_t position) {
    return Fixed(position * 0.001, 2) + "%";
}

int32_t Position(Kind kind, double value) {
    switch (kind) {
    case Kind::Thousandths:
        return ProcessAmountPosition(value);
    case Kind::Fine:
        return FinePosition(value);
    case Kind::Whole:
    case Kind::None:
        break;
    }
    return TruncateToInt(value);
}

double Value(Kind kind, int32_t position) {
    switch (kind) {
    case Kind::Thousandths:
        return ProcessAmountValue(position);
    case Kind::Fine:
        return FineValue(position);
    case Kind::Whole:
    case Kind::None:
        break;
    }
    return position;
}

std::string Label(Kind kind, int32_t position) {
    return kind == Kind::Fine ? PercentLabel(position) : IntegerLabel(position);
}

}  // namespace SliderScale
