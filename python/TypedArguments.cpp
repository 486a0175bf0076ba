#include "python/TypedArguments.h"

#include <pybind11/stl/filesystem.h>

#include <cmath>
#include <string>

namespace py = pybind11;

namespace glenvar_python {

namespace {

[[noreturn]] void Refuse(std::string_view keyword, const char* expected, py::handle value) {
    throw py::type_error(std::string(keyword) + " must be " + expected + ", got " +
                         Py_TYPE(value.ptr())->tp_name);
}

bool IsReal(py::handle value) {
    if (PyBool_Check(value.ptr()))
        return false;
    if (PyFloat_Check(value.ptr()) || PyIndex_Check(value.ptr()))
        return true;
    static const py::handle real =
        py::object(py::module_::import("numbers").attr("Real")).release();
    return py::isinstance(value, real);
}

}  // namespace

double IntegerArgument(std::string_view keyword, py::handle value) {
    if (PyBool_Check(value.ptr()) || !PyIndex_Check(value.ptr()))
        Refuse(keyword, "an integer", value);
    const py::int_ whole = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()));
    if (!whole)
        throw py::error_already_set();
    const double number = PyLong_AsDouble(whole.ptr());
    if (number == -1.0 && PyErr_Occurred()) {  // beyond any double: beyond every range too
        PyErr_Clear();
        return PyObject_RichCompareBool(whole.ptr(), py::int_(0).ptr(), Py_LT) == 1 ? -HUGE_VAL
                                                                                    : HUGE_VAL;
    }
    return number;
}

double NumberArgument(std::string_view keyword, py::handle value) {
    if (!IsReal(value))
        Refuse(keyword, "a number", value);
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred())
        throw py::error_already_set();
    return number;
}

std::optional<double> NumberOrNoneArgument(std::string_view keyword, py::handle value) {
    if (value.is_none())
        return std::nullopt;
    if (!IsReal(value))
        Refuse(keyword, "None or a number", value);
    return NumberArgument(keyword, value);
}

bool FlagArgument(std::string_view keyword, py::handle value) {
    if (!PyBool_Check(value.ptr()))
        Refuse(keyword, "a bool", value);
    return value.ptr() == Py_True;
}

std::filesystem::path PathArgument(std::string_view keyword, py::handle value) {
    try {
        return value.cast<std::filesystem::path>();
    } catch (const py::cast_error&) {
        Refuse(keyword, "a str or os.PathLike", value);
    }
}

}  // namespace glenvar_python
