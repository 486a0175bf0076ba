#include "python/MeshMethods.h"

#include "python/ArrayView.h"
#include "python/GenerationArguments.h"
#include "python/Interrupts.h"
#include "python/TypedArguments.h"

#include "export/StageSettings.h"

#include <memory>

namespace py = pybind11;

namespace glenvar_python {

namespace {

using Id = StageSettingId;

// Python's names of the mesh settings: metres and millimetres in the names.
struct MeshKeyword {
    Id id;
    const char* keyword;
};
constexpr MeshKeyword meshKeywords[] = {{Id::MeshError, "error_m"},
                                        {Id::CellSize, "cell_size_m"},
                                        {Id::HeightRange, "height_range_m"},
                                        {Id::BaseMm, "base_mm"},
                                        {Id::PrintSizeMm, "print_size_mm"}};

// A number checked against its row, refused in Python's words.
double MeshNumber(const MeshKeyword& k, const py::object& value) {
    const StageReading reading = CheckStageNumber(StageRow(k.id), NumberArgument(k.keyword, value));
    if (const auto* refusal = std::get_if<StageRefusal>(&reading))
        throw KeywordRefusal(k.keyword, refusal->expected, refusal->got);
    return std::get<StageValue>(reading).number;
}

RecipeOptions MeshOptions(const py::kwargs& given, bool saving) {
    RecipeOptions options;
    for (const auto& [name, value] : given) {
        const std::string keyword = py::str(name);
        bool known = false;
        for (const MeshKeyword& k : meshKeywords)
            if (keyword == k.keyword &&
                (saving || (k.id != Id::BaseMm && k.id != Id::PrintSizeMm))) {
                SetStageValue(StageRow(k.id),
                              {MeshNumber(k, py::reinterpret_borrow<py::object>(value))}, options);
                known = true;
            }
        if (saving && (keyword == "regions" || keyword == "shade")) {
            const bool on = FlagArgument(keyword, value);
            (keyword == "regions" ? options.regions : options.shade) = on;
            known = true;
        }
        if (saving && keyword == "rivers") {
            options.riverThreshold = uint32_t(IntegerArgument(keyword, value));
            const StageReading reading =
                CheckStageNumber(StageRow(Id::Rivers), double(options.riverThreshold));
            if (const auto* refusal = std::get_if<StageRefusal>(&reading))
                throw KeywordRefusal(keyword, refusal->expected, refusal->got);
            known = true;
        }
        if (!known)
            throw py::type_error("unexpected keyword argument '" + keyword + "'");
    }
    return options;
}

// A (rows, 3) array viewing the mesh's memory, which the capsule owns.
py::object Columns(const py::object& owner, const void* data, const char* format) {
    const auto* mesh = static_cast<const TerrainMesh*>(py::capsule(owner).get_pointer());
    const bool vertices = format[0] == 'f';
    const py::ssize_t rows = py::ssize_t(vertices ? mesh->VertexCount() : mesh->TriangleCount());
    return AsArray({owner, const_cast<void*>(data), 4, format, {rows, 3}, {12, 4}});
}

}  // namespace

void DefineMeshMethods(py::class_<PythonMap>& map) {
    map.def(
           "mesh",
           [](PythonMap& self, const py::kwargs& given) {
               const RecipeOptions options = MeshOptions(given, false);
               auto mesh = std::make_unique<TerrainMesh>(Interruptible(
                   [&](InterruptWatch& watch) { return self.Mesh(options, watch.Stages()); }));
               const TerrainMesh* held = mesh.get();
               const py::capsule owner(mesh.release(),
                                       [](void* p) { delete static_cast<TerrainMesh*>(p); });
               return py::make_tuple(Columns(owner, held->positions.data(), "f"),
                                     Columns(owner, held->indices.data(), "I"));
           },
           "mesh(*, error_m=0.0, cell_size_m=1.0, height_range_m=1000.0): the heights as "
           "glenvar-cli's --mesh writes them, (vertices, triangles): float32 (N, 3) x east, y up, "
           "z south in metres, and uint32 (M, 3) vertex indices counter-clockwise seen from "
           "above, both read-only; error_m > 0 simplifies, every cell within that many metres "
           "of the surface.")
        .def(
            "save_mesh",
            [](PythonMap& self, const py::object& pathValue, const py::kwargs& given) {
                const std::filesystem::path path = PathArgument("path", pathValue);
                const RecipeOptions options = MeshOptions(given, true);
                Interruptible(
                    [&](InterruptWatch& watch) { self.SaveMesh(path, options, watch.Stages()); });
            },
            py::arg("path"),
            "save_mesh(path, *, error_m=0.0, cell_size_m=1.0, height_range_m=1000.0, "
            "base_mm=2.0, print_size_mm=100.0, regions=False, shade=False, rivers=0): a .glb, "
            ".stl or .obj (with its .mtl and texture) as glenvar-cli's --mesh writes it with the "
            "same options, byte for byte.");
}

}  // namespace glenvar_python
