#pragma once
// Maps of heights Glenvar did not grow, for Python: from a numpy array
// (glenvar.from_heights) or any file glenvar-cli shape reads (glenvar.load),
// and the recipe property that tells such a map from a rebuildable one.

#include <pybind11/pybind11.h>

#include <filesystem>
#include <memory>

namespace glenvar_python {

class PythonMap;

// The heights of a file that holds no map and no recipe, as shape reads
// them; refusals naming the file raise ValueError (OSError when it cannot
// be read at all).
std::unique_ptr<PythonMap> ImportedFile(const std::filesystem::path& path);

// glenvar._glenvar._from_heights and Map.recipe.
void DefineImports(pybind11::module_& m);

}  // namespace glenvar_python
