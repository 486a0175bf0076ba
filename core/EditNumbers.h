#pragma once
// Decimal numbers as the dialogs' edits accept them: blanks and tabs at both
// ends are skipped, then an optional sign and digits with nothing left over.
// Zero counts only when spelt with a leading digit 0 (so "", "+0", "-0"
// fail). Values beyond the type saturate. The unsigned form refuses a minus
// sign. Any code units: the dialogs read UTF-16, the page UTF-8.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace EditNumbers {

struct Scanned {
    bool valid = false;
    bool negative = false;
    uint64_t magnitude = 0;  // saturated just above any 32-bit limit
};

template <class Char> Scanned Scan(std::basic_string_view<Char> text, bool allowMinus) {
    const auto blank = [](Char c) { return c == Char(' ') || c == Char('\t'); };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;

    Scanned result;
    const bool startsWithZero = begin < end && text[begin] == Char('0');
    size_t i = begin;
    if (i < end && (text[i] == Char('+') || text[i] == Char('-'))) {
        result.negative = text[i] == Char('-');
        if (result.negative && !allowMinus)
            return result;
        ++i;
    }
    if (i == end)
        return result;
    constexpr uint64_t cap = uint64_t{1} << 33;
    for (; i < end; ++i) {
        const Char c = text[i];
        if (c < Char('0') || c > Char('9'))
            return result;
        result.magnitude = std::min<uint64_t>(cap, result.magnitude * 10 + uint64_t(c - Char('0')));
    }
    result.valid = result.magnitude != 0 || startsWithZero;
    return result;
}

template <class Char> std::optional<int32_t> ParseInt32(std::basic_string_view<Char> text) {
    const Scanned s = Scan(text, true);
    if (!s.valid)
        return std::nullopt;
    constexpr int64_t low = std::numeric_limits<int32_t>::min();
    constexpr int64_t high = std::numeric_limits<int32_t>::max();
    const int64_t value =
        s.negative ? -static_cast<int64_t>(s.magnitude) : static_cast<int64_t>(s.magnitude);
    return static_cast<int32_t>(std::clamp(value, low, high));
}

template <class Char> std::optional<uint32_t> ParseUInt32(std::basic_string_view<Char> text) {
    const Scanned s = Scan(text, false);
    if (!s.valid)
        return std::nullopt;
    return static_cast<uint32_t>(
        std::min<uint64_t>(s.magnitude, std::numeric_limits<uint32_t>::max()));
}

}  // namespace EditNumbers
