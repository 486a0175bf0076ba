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
    bool saturated = false;  // the digits' value lies above the cap
    uint64_t magnitude = 0;  // at most the cap
};

// The cap lies just above any 32-bit limit, or is the seed's 64-bit one.
template <class Char>
Scanned Scan(std::basic_string_view<Char> text, bool allowMinus, uint64_t cap = uint64_t{1} << 33) {
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
    for (; i < end; ++i) {
        const Char c = text[i];
        if (c < Char('0') || c > Char('9'))
            return result;
        const uint64_t digit = uint64_t(c - Char('0'));
        // magnitude * 10 + digit > cap, asked without overflowing.
        if (result.magnitude > (cap - digit) / 10) {
            result.magnitude = cap;
            result.saturated = true;
        } else {
            result.magnitude = result.magnitude * 10 + digit;
        }
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

// The seed as a map file holds it, for the page, which takes every seed a file
// can hold (the dialog keeps to 32 bits, ParseUInt32): the same grammar over
// 64 bits, a larger value told apart from a text that is no number.
struct SeedRead {
    bool number = false;    // the grammar's unsigned integer
    bool tooLarge = false;  // above 2^64 - 1
    uint64_t value = 0;
};

template <class Char> SeedRead ParseSeed(std::basic_string_view<Char> text) {
    const Scanned s = Scan(text, false, std::numeric_limits<uint64_t>::max());
    return {s.valid, s.valid && s.saturated, s.magnitude};
}

}  // namespace EditNumbers
