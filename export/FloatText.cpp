#include "export/FloatText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string ShortestFloatText(float value) {
#if __cpp_lib_to_chars >= 201611L
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
#else
    return ShortestFloatTextByPrintf(value);
#endif
}

std::string ShortestFloatTextByPrintf(float value) {
    if (value == 0)
        return std::signbit(value) ? "-0" : "0";
    // The fewest significant digits that read back, correctly rounded.
    char scientific[32];
    for (int precision = 0; precision < 9; ++precision) {
        std::snprintf(scientific, sizeof scientific, "%.*e", precision, double(value));
        if (std::strtof(scientific, nullptr) == value)
            break;
    }
    const std::string text = scientific;
    const std::string sign = value < 0 ? "-" : "";
    const size_t e = text.find('e');
    std::string digits;
    for (size_t i = sign.size(); i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    const int exponent = std::atoi(text.c_str() + e + 1);
    const int count = int(digits.size());

    std::string exponential = sign + digits.substr(0, 1);
    if (count > 1)
        exponential += "." + digits.substr(1);
    const int magnitude = std::abs(exponent);
    exponential += exponent < 0 ? "e-" : "e+";
    exponential += (magnitude < 10 ? "0" : "") + std::to_string(magnitude);

    std::string fixed = sign;
    if (exponent < 0)
        fixed += "0." + std::string(size_t(-exponent - 1), '0') + digits;
    else if (exponent + 1 >= count)
        fixed += digits + std::string(size_t(exponent + 1 - count), '0');  // its length
    else
        fixed += digits.substr(0, size_t(exponent + 1)) + "." + digits.substr(size_t(exponent + 1));
    if (fixed.size() > exponential.size())
        return exponential;
    // A whole number written out is its exact value, not the shortest digits padded.
    if (exponent + 1 > count) {
        char whole[48];
        std::snprintf(whole, sizeof whole, "%.0f", double(value));
        return whole;
    }
    return fixed;
}
