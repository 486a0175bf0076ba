#pragma once
// Python's keywords for the settings, and their checks. The keywords are the
// settings rows' (core/ParameterTable.h, export/StageSettings.h); values come
// typed from Python and are held to the rows' ranges directly, and a refusal
// reads "smooth must be an integer from 0 to 32, got 40".

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"
#include "export/StageSettings.h"

#include <pybind11/pybind11.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace glenvar_python {

// A value a row refuses; the text is Python's wording of the refusal.
class ArgumentError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// A keyword's value out of its row's range, kept apart for front ends over
// Python (the batch) to word in their own terms.
class KeywordRefusal : public ArgumentError {
  public:
    KeywordRefusal(std::string_view keyword, std::string expected, std::string got)
        : ArgumentError(std::string(keyword) + " must be " + expected + ", got " + got),
          keyword(keyword), expected(std::move(expected)), got(std::move(got)) {}
    std::string keyword, expected, got;
};

struct Parameter {
    std::string keyword;  // "pointCount" as point_count
    const ParameterRow* row;
};

// Every parameter glenvar-cli takes an option for, in the table's order. Hand
// placement and two threads come from generate's `points` and `threads`.
const std::vector<Parameter>& GenerationParameters();

// What generate grows: every parameter (hand-placed points with manual
// placement) and the threads to grow it on.
struct GenerationRequest {
    GEO_MakeLand terrain;
    int32_t threads = 1;
};

// generate's keywords, their values already of their Python types (int,
// float, bool; points as (x, y) pairs), as a generation's request; throws
// ArgumentError for a value out of range.
GenerationRequest GenerationOptions(const pybind11::dict& keywords);

// A water level held to the parameter's range.
double CheckedWaterLevel(double level);

// A stage setting's number held to its row; throws ArgumentError.
double CheckedSetting(const StageSetting& row, double value);
// The row of a Python keyword; nullptr if none.
const StageSetting* SettingOfKeyword(std::string_view keyword);

}  // namespace glenvar_python
