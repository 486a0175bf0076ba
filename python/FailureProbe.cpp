// Each failure here is the real one of its layer, met the way a front end
// would meet it, so the tests follow a kind from where it is thrown to the
// Python exception the package documents.

#include "core/GEO_MakeLand.h"
#include "export/FileForm.h"
#include "export/HeightmapSet.h"
#include "export/PngFile.h"
#include "export/RecipeFile.h"
#include "landform/Smoothing.h"
#include "python/FailureTranslation.h"

#include <new>
#include <string>

namespace py = pybind11;

namespace glenvar_python {

namespace {

void ProvokeFailure(const std::string& kind) {
    if (kind == "recipe")
        RecipeSettings("glenvar-cli generate -o elsewhere.png");
    else if (kind == "setting") {
        AltitudeGrid grid(4, 4);
        Smooth(grid, maxSmoothRadius + 1, false);
    } else if (kind == "layout")
        HeightmapParts(FormOf(FileFormId::HeightmapPng), GEO_MakeLand(), {}, "empty.png");
    else if (kind == "encoding")
        EncodePicturePng(Picture(0, 0));
    else if (kind == "file")
        SaveBytes("/nonexistent-glenvar-folder/picture.png", {});
    else if (kind == "device")
        RecipeOfFile("/dev/null");
    else if (kind == "out-of-memory")
        throw std::bad_alloc();  // what every layer's allocations throw
    else
        throw py::value_error("no such failure kind: " + kind);
}

}  // namespace

void AddFailureProbe(py::module_& module) {
    module.def("_provoke_failure", &ProvokeFailure, py::arg("kind"),
               "For the tests: fails as export/ or landform/ does, with a failure of the kind.");
}

}  // namespace glenvar_python
