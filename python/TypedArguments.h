#pragma once
// A method's arguments taken by their Python type, as generate's keywords
// are: a value of another type raises a one-line TypeError naming the keyword
// and the type it must have ("rivers must be an integer, got float"); the
// range is the settings row's to check. numpy's scalars count as Python's.

#include <pybind11/pybind11.h>

#include <filesystem>
#include <optional>
#include <string_view>

namespace glenvar_python {

// An int or anything with __index__, never a bool; as a double, which a row
// checks whole and in range (a huge int is refused there, not here).
double IntegerArgument(std::string_view keyword, pybind11::handle value);
// A real number (int, float, numpy's), never a bool.
double NumberArgument(std::string_view keyword, pybind11::handle value);
std::optional<double> NumberOrNoneArgument(std::string_view keyword, pybind11::handle value);
// True or False only.
bool FlagArgument(std::string_view keyword, pybind11::handle value);
// A str, bytes or os.PathLike.
std::filesystem::path PathArgument(std::string_view keyword, pybind11::handle value);

}  // namespace glenvar_python
