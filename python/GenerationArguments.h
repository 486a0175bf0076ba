#pragma once
// The generation parameters Python takes as keywords, and their checks. The
// keywords become glenvar-cli's options and go through its parser, so the
// ranges and the refusals' messages are the command line's own.

#include "cli/CliOptions.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace glenvar_python {

// A value the command line refuses; the text is its message.
class ArgumentError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

enum class ValueKind { Integer, Number, Flag };

struct Parameter {
    std::string keyword;  // Python's name
    std::string option;   // glenvar-cli's
    ValueKind kind;
    std::variant<uint64_t, int32_t, double, bool> defaultValue;
};

// Every generation parameter, in the order of the command line's help.
const std::vector<Parameter>& GenerationParameters();

// Parses `arguments` (options and their values) as `glenvar-cli generate`
// would; throws ArgumentError with its message.
cli::Options ParseGenerate(const std::vector<std::string>& arguments);

// Checks a water level as `glenvar-cli render --water-level` does.
double ParseWaterLevel(const std::string& text);

}  // namespace glenvar_python
