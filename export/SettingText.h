#pragma once
// A setting's value read from the text a user or a recipe gives, the same way
// for every reader: whole-text decimal numbers, the ranges of the tables, and
// a refusal naming the option, what it expects and what it got.

#include "core/ParameterTable.h"
#include "data/Failures.h"
#include "data/PointArray.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

class GEO_MakeLand;

// "--smooth: expected an integer from 0 to 32, got \"40\"". FailureKind::Setting.
class SettingRefusal : public CommandFailure {
  public:
    explicit SettingRefusal(const std::string& text) : CommandFailure(text, FailureKind::Setting) {}
};

// The text in double quotes, cut after 60 bytes (at a character's start) and
// marked "…", so that a huge word never floods a message.
std::string QuotedText(std::string_view text);

// Whole text as a decimal integer: no sign other than '-', no blanks, no junk.
template <class T> std::optional<T> WholeInteger(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// Whole text as a finite decimal number; from_chars reads it exactly, so
// values written out in full give back their exact bit patterns.
std::optional<double> WholeNumber(std::string_view text);

// What a parameter's value must be, as every refusal words it:
// "an integer from 16 to 8192".
std::string ParameterExpected(const ParameterRow& row);
// A number a front end holds typed (Python's, the page's field) within the
// parameter's range; integers whole; NaN never. Not for the seed or flags.
bool ParameterFits(const ParameterRow& row, double value);

// A generation parameter's value, checked against the table's range; the
// messages name that range as the help does.
void SetParameterText(GEO_MakeLand& terrain, const ParameterRow& row, std::string_view option,
                      const std::string& text);

// "X,Y" as a hand-placed point; whether it lies on the grid is the caller's
// to check once the size is known.
Point PointText(std::string_view text);
