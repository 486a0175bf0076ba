#pragma once
// The climate in Python: Map.climate() gives the temperatures, the
// precipitation and the biomes as arrays, Map.biome_picture() the picture
// coloured by biome, glenvar.BIOMES the biomes' names and colours.

#include "python/PythonMap.h"

#include <pybind11/pybind11.h>

namespace glenvar_python {

void DefineClimateMethods(pybind11::class_<PythonMap>& map, pybind11::module_& module);

}  // namespace glenvar_python
