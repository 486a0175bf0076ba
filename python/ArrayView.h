#pragma once
// A numpy array that is a view on memory another Python object owns: the
// array keeps that object alive, so the view can never outlive the map. The
// views are read-only: a map's arrays describe it, and a write into them
// would make its files contradict their recipe.

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace glenvar_python {

struct ArrayView {
    pybind11::object owner;
    void* data = nullptr;
    pybind11::ssize_t itemSize = 0;
    std::string format;  // struct module notation: "d", "H", "i"
    std::vector<pybind11::ssize_t> shape;
    std::vector<pybind11::ssize_t> strides;  // in bytes
};

// A read-only row-major grid view of (height, width) items.
ArrayView GridView(pybind11::object owner, const void* data, pybind11::ssize_t itemSize,
                   std::string format, int32_t width, int32_t height);

// Registers the buffer type the views are made from.
void DefineArrayView(pybind11::module_& module);

// numpy.asarray over the view: no copy.
pybind11::object AsArray(ArrayView view);

}  // namespace glenvar_python
