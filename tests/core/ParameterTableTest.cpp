// The parameter table and the numbers shared by the dialogs and the page: the
// edits' grammar against a slow reading over many texts, in both the dialogs'
// UTF-16 and the page's UTF-8; every slider position read back exactly.

#include "core/ParameterTable.h"
#include "core/EditNumbers.h"
#include "core/SliderScale.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <set>
#include <string>

namespace {

// The grammar spelt out: trim blanks and tabs, a sign, digits only; zero only
// from a leading 0; saturate.
std::optional<int64_t> SlowRead(const std::string& text, bool allowMinus) {
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::nullopt;
    const std::string t = text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
    const bool negative = t[0] == '-';
    const std::string digits = t[0] == '+' || t[0] == '-' ? t.substr(1) : t;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
        (negative && !allowMinus))
        return std::nullopt;
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos && t[0] != '0')
        return std::nullopt;
    const std::string significant = first == std::string::npos ? "0" : digits.substr(first);
    const int64_t magnitude = significant.size() > 11 ? int64_t{1} << 40 : std::stoll(significant);
    const int64_t value = negative ? -magnitude : magnitude;
    return allowMinus ? std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)
                      : std::min<int64_t>(value, UINT32_MAX);
}

TEST(EditNumbers, AgreeWithTheSlowReadingInBothEncodings) {
    const std::string alphabet = " \t+-00129a\xef";
    std::mt19937 random(18);
    for (int n = 0; n < 200000; ++n) {
        std::string text(random() % 14, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        const std::u16string wide(text.begin(), text.end());
        const auto s = EditNumbers::ParseInt32(std::string_view(text));
        const auto u = EditNumbers::ParseUInt32(std::string_view(text));
        ASSERT_EQ(s, EditNumbers::ParseInt32(std::u16string_view(wide))) << text;
        ASSERT_EQ(u, EditNumbers::ParseUInt32(std::u16string_view(wide))) << text;
        ASSERT_EQ(s ? std::optional<int64_t>(*s) : std::nullopt, SlowRead(text, true)) << text;
        ASSERT_EQ(u ? std::optional<int64_t>(*u) : std::nullopt, SlowRead(text, false)) << text;
        const EditNumbers::SeedRead seed = EditNumbers::ParseSeed(std::string_view(text));
        ASSERT_EQ(seed.number, u.has_value()) << text;
        if (u && *u < UINT32_MAX) {
            ASSERT_EQ(seed.value, *u) << text;
        }
    }
    EXPECT_FALSE(EditNumbers::ParseInt32(std::u16string_view(u"\uff11\uff12")));  // full width
}

TEST(EditNumbers, SeedsReadEverySixtyFourBitValueAndNoMore) {
    std::mt19937_64 random(64);
    for (int n = 0; n < 100000; ++n) {
        const uint64_t v = random() >> (random() % 64);
        const std::string text = (v ? " +" : " ") + std::to_string(v) + "\t";  // "+0" is no number
        const EditNumbers::SeedRead seed = EditNumbers::ParseSeed(std::string_view(text));
        ASSERT_TRUE(seed.number && !seed.tooLarge && seed.value == v) << text;
        // One digit more passes 2^64 - 1 exactly when v * 10 + 9 does.
        const bool beyond = v > (UINT64_MAX - 9) / 10;
        ASSERT_EQ(EditNumbers::ParseSeed(std::string_view(std::to_string(v) + "9")).tooLarge,
                  beyond)
            << text;
    }
    EXPECT_FALSE(EditNumbers::ParseSeed(std::string_view("18446744073709551615")).tooLarge);
    EXPECT_TRUE(EditNumbers::ParseSeed(std::string_view("18446744073709551616")).tooLarge);
    EXPECT_TRUE(EditNumbers::ParseSeed(std::string_view("000018446744073709551616")).tooLarge);
}

TEST(ParameterTable, SlidersReadBackEveryPositionAndDefaultsLieInRange) {
    std::set<std::string_view> names;
    for (const ParameterRow& row : ParameterTable()) {
        const std::set<std::string_view> own = {row.name, row.json, row.option, row.link};
        for (std::string_view name : own)
            EXPECT_TRUE(name.empty() || names.insert(name).second) << name << " names two rows";
        const double value = row.Default();
        EXPECT_TRUE(value >= row.low && value <= row.editHigh && row.editHigh <= row.high)
            << row.name;
        if (row.slider == SliderScale::Kind::None)
            continue;
        for (int32_t p = row.sliderLow; p <= row.SliderHigh(); ++p)
            ASSERT_EQ(SliderScale::Position(row.slider, SliderScale::Value(row.slider, p)), p)
                << row.name;
        EXPECT_EQ(SliderScale::Value(row.slider, row.SliderHigh()), row.high) << row.name;
    }
}

}  // namespace
