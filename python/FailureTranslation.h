#pragma once
// The model's failures in glenvar-cli's words, as the exceptions Python's
// users expect: OSError (with its errno, so FileNotFoundError and its kin),
// ValueError, MemoryError. Anything else goes on to pybind11's own handlers.

#include <pybind11/pybind11.h>

#include <exception>

namespace glenvar_python {

void TranslateFailures(std::exception_ptr thrown);

}  // namespace glenvar_python
