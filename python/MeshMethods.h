#pragma once
// Map.mesh and Map.save_mesh: the heights as vertex and triangle arrays, and
// the mesh files glenvar-cli's --mesh writes.

#include "python/PythonMap.h"

#include <pybind11/pybind11.h>

namespace glenvar_python {

void DefineMeshMethods(pybind11::class_<PythonMap>& map);

}  // namespace glenvar_python
