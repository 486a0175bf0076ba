#include "export/SettingText.h"

#include "core/GEO_MakeLand.h"

#include <cstdint>
#include <cstdlib>

std::string QuotedText(std::string_view text) {
    constexpr size_t longest = 60;
    std::string quoted(1, '"');
    if (text.size() <= longest) {
        quoted.append(text);
    } else {
        size_t cut = longest;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;  // a UTF-8 continuation byte: the character starts earlier
        quoted.append(text.substr(0, cut));
        quoted += "\xE2\x80\xA6";
    }
    quoted += '"';
    return quoted;
}

#if __cpp_lib_to_chars >= 201611L
std::optional<double> WholeNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}
#else
// emscripten's library has no floating-point from_chars: the same grammar
// (-, digits, a point, an exponent; no blanks, '+', hex or words) checked
// here, the value read by strtod, which rounds correctly as from_chars does.
std::optional<double> WholeNumber(std::string_view text) {
    size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    const auto digits = [&text, &i] {
        const size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i - start;
    };
    size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa > 0 && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (digits() == 0)
            return std::nullopt;
    }
    if (mantissa == 0 || i != text.size())
        return std::nullopt;
    const double value = std::strtod(std::string(text).c_str(), nullptr);
    // from_chars refuses a value too small for any double ("1e-400"), where strtod gives 0.
    const std::string_view significand = text.substr(0, text.find_first_of("eE"));
    const bool zeroWritten = significand.find_first_of("123456789") == std::string_view::npos;
    if (!std::isfinite(value) || (value == 0 && !zeroWritten))
        return std::nullopt;
    return value;
}
#endif

std::string ParameterExpected(const ParameterRow& row) {
    switch (row.kind) {
    case ParameterKind::Seed:
        return "an integer from 0 to " + std::to_string(UINT64_MAX);
    case ParameterKind::Integer:
        return "an integer from " + std::to_string(int64_t(row.low)) + " to " +
               std::to_string(int64_t(row.high));
    case ParameterKind::Fraction:
        return row.lowOpen
                   ? "a number greater than " + ShortestText(row.low) + " and at most " +
                         ShortestText(row.high)
                   : "a number from " + ShortestText(row.low) + " to " + ShortestText(row.high);
    case ParameterKind::Flag:
        break;
    }
    return "no value";
}

bool ParameterFits(const ParameterRow& row, double value) {
    const bool aboveLow = row.lowOpen ? value > row.low : value >= row.low;
    const bool inRange = aboveLow && value <= row.high;  // false for NaN
    if (row.kind == ParameterKind::Integer)
        return inRange && value == std::floor(value);
    return row.kind == ParameterKind::Fraction && inRange;
}

void SetParameterText(GEO_MakeLand& terrain, const ParameterRow& row, std::string_view option,
                      const std::string& text) {
    const auto refuse = [&] {
        return SettingRefusal(std::string(option) + ": expected " + ParameterExpected(row) +
                              ", got " + QuotedText(text));
    };
    switch (row.kind) {
    case ParameterKind::Seed: {
        const auto seed = WholeInteger<uint64_t>(text);
        if (!seed)
            throw refuse();
        terrain.*std::get<uint64_t GEO_MakeLand::*>(row.field) = *seed;
        break;
    }
    case ParameterKind::Integer: {
        const auto value = WholeInteger<int64_t>(text);
        if (!value || !ParameterFits(row, double(*value)))
            throw refuse();
        row.SetNumber(terrain, double(*value));
        break;
    }
    case ParameterKind::Fraction: {
        const auto value = WholeNumber(text);
        if (!value || !ParameterFits(row, *value))
            throw refuse();
        row.SetNumber(terrain, *value == 0.0 ? 0.0 : *value);  // no negative zero
        break;
    }
    case ParameterKind::Flag:
        row.SetNumber(terrain, 1);
        break;
    }
}

Point PointText(std::string_view text) {
    const auto comma = text.find(',');
    std::optional<int32_t> x, y;
    if (comma != std::string_view::npos) {
        x = WholeInteger<int32_t>(text.substr(0, comma));
        y = WholeInteger<int32_t>(text.substr(comma + 1));
    }
    if (!x || !y)
        throw SettingRefusal("--point: expected X,Y with 0 <= X < width and 0 <= Y < height, got " +
                             QuotedText(text));
    return {*x, *y};
}
