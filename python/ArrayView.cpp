#include "python/ArrayView.h"

namespace py = pybind11;

namespace glenvar_python {

void DefineArrayView(py::module_& module) {
    py::class_<ArrayView>(module, "_ArrayView", py::buffer_protocol()).def_buffer([](ArrayView& v) {
        return py::buffer_info(v.data, v.itemSize, v.format,
                               static_cast<py::ssize_t>(v.shape.size()), v.shape, v.strides, true);
    });
}

ArrayView GridView(py::object owner, const void* data, py::ssize_t itemSize, std::string format,
                   int32_t width, int32_t height) {
    ArrayView view;
    view.owner = std::move(owner);
    view.data = const_cast<void*>(data);  // the buffer is read-only
    view.itemSize = itemSize;
    view.format = std::move(format);
    view.shape = {height, width};
    view.strides = {itemSize * width, itemSize};
    return view;
}

py::object AsArray(ArrayView view) {
    // An empty buffer still needs an address, or numpy allocates one of its own.
    static double emptyStorage = 0;
    if (view.data == nullptr)
        view.data = &emptyStorage;
    return py::module_::import("numpy").attr("asarray")(py::cast(std::move(view)));
}

}  // namespace glenvar_python
