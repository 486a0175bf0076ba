#include "python/FailureTranslation.h"

#include "data/FailureText.h"
#include "data/Failures.h"
#include "python/GenerationArguments.h"
#include "python/PythonMap.h"

#include <cstring>
#include <new>

namespace py = pybind11;

namespace glenvar_python {

namespace {

// A file error keeps its errno, so Python raises FileNotFoundError and its kin.
void RaiseFileError(const CommandFailure& failure) {
    const auto* file = dynamic_cast<const FileFailure*>(&failure);
    if (file == nullptr || file->error() == 0) {
        PyErr_SetString(PyExc_OSError, FailureText(failure).c_str());
        return;
    }
    py::object error = py::reinterpret_steal<py::object>(
        PyObject_CallFunction(PyExc_OSError, "isO", file->error(), std::strerror(file->error()),
                              py::cast(file->path().string()).ptr()));
    if (error)
        PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
}

PyObject* ExceptionOf(FailureKind kind) {
    switch (kind) {
    case FailureKind::OutOfMemory:
        return PyExc_MemoryError;
    case FailureKind::File:
        return PyExc_OSError;
    // What the caller gave (a file's contents, a recipe, a value, a size) is wrong.
    case FailureKind::EndOfFile:
    case FailureKind::Format:
    case FailureKind::Recipe:
    case FailureKind::Setting:
    case FailureKind::Layout:
        return PyExc_ValueError;
    // A library refused what we gave it, or something we did not foresee.
    case FailureKind::Encoding:
    case FailureKind::Other:
        break;
    }
    return PyExc_RuntimeError;
}

void RaiseFailure(const CommandFailure& failure) {
    if (failure.kind() == FailureKind::File)
        RaiseFileError(failure);
    else
        PyErr_SetString(ExceptionOf(failure.kind()), FailureText(failure).c_str());
}

}  // namespace

void TranslateFailures(std::exception_ptr thrown) {
    try {
        std::rethrow_exception(thrown);
    } catch (const CommandFailure& failure) {
        RaiseFailure(failure);
    } catch (const ArgumentError& error) {
        PyErr_SetString(PyExc_ValueError, error.what());
    } catch (const MemoryShortage& shortage) {
        PyErr_SetString(PyExc_MemoryError, shortage.what());
    } catch (const std::bad_alloc&) {
        RaiseFailure(MemoryFailure());
    }
}

}  // namespace glenvar_python
