#include "python/FailureTranslation.h"

#include "cli/FailureText.h"
#include "data/Failures.h"
#include "export/HeightmapFile.h"
#include "export/PngFile.h"
#include "python/GenerationArguments.h"
#include "python/PythonMap.h"

#include <cstring>
#include <new>

namespace py = pybind11;

namespace glenvar_python {

namespace {

// A file error keeps its errno, so Python raises FileNotFoundError and its kin.
void RaiseFileError(const FileFailure& failure) {
    if (failure.error() == 0) {
        PyErr_SetString(PyExc_OSError, cli::FailureText(failure).c_str());
        return;
    }
    py::object error = py::reinterpret_steal<py::object>(
        PyObject_CallFunction(PyExc_OSError, "isO", failure.error(), std::strerror(failure.error()),
                              py::cast(failure.path().string()).ptr()));
    if (error)
        PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
}

}  // namespace

void TranslateFailures(std::exception_ptr thrown) {
    try {
        std::rethrow_exception(thrown);
    } catch (const FileFailure& failure) {
        RaiseFileError(failure);
    } catch (const CommandFailure& failure) {
        PyErr_SetString(failure.kind() == FailureKind::OutOfMemory ? PyExc_MemoryError
                                                                   : PyExc_ValueError,
                        cli::FailureText(failure).c_str());
    } catch (const ArgumentError& error) {
        PyErr_SetString(PyExc_ValueError, error.what());
    } catch (const MemoryShortage& shortage) {
        PyErr_SetString(PyExc_MemoryError, shortage.what());
    } catch (const PngFailure& failure) {
        PyErr_SetString(PyExc_RuntimeError, failure.what());
    } catch (const HeightmapFailure& failure) {
        PyErr_SetString(PyExc_RuntimeError, failure.what());
    } catch (const std::bad_alloc&) {
        PyErr_SetString(PyExc_MemoryError, cli::FailureText(MemoryFailure()).c_str());
    }
}

}  // namespace glenvar_python
