#pragma once
// The model's failures in English (FailureText), as the exceptions Python's
// users expect, chosen by the failure's kind: FailureKind::File as OSError
// with its errno (so FileNotFoundError and its kin), OutOfMemory as
// MemoryError, a file's contents, a recipe, a setting or a layout refused as
// ValueError, a library's refusal to encode as RuntimeError. Anything else
// goes on to pybind11's own handlers.

#include <pybind11/pybind11.h>

#include <exception>

namespace glenvar_python {

void TranslateFailures(std::exception_ptr thrown);

// glenvar._glenvar._provoke_failure(kind): makes export/ and landform/ fail
// for real with a failure of that kind ("recipe", "setting", "layout",
// "encoding", "file", "device", "out-of-memory"), so the tests can see each
// reach Python as its documented exception.
void AddFailureProbe(pybind11::module_& module);

}  // namespace glenvar_python
