#pragma once
// The settings rows as Python writes them: a parameter's keyword (its name
// in snake case), a row's Python type and default as source text. The module
// and the stub writer both read them, so generate's keywords and the stub's
// cannot drift apart. No pybind11 here: the stub writer runs at build time.

#include "core/ParameterTable.h"
#include "export/StageSettings.h"

#include <string>

namespace glenvar_python {

// "pointCount" as "point_count".
std::string ParameterKeyword(const ParameterRow& row);

// A keyword with its annotation and default, as a stub writes it:
// "point_count: int = 4", "water_level: float = 0.5", "shade: bool = False".
std::string StubKeyword(const ParameterRow& row);
std::string StubKeyword(const StageSetting& row);

}  // namespace glenvar_python
