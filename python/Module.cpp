// glenvar._glenvar: the extension behind the Python package glenvar. The
// package's __init__.py turns keywords into the arguments taken here.

#include "pipeline/MemoryNeed.h"
#include "python/ArrayView.h"
#include "python/ClimateMethods.h"
#include "python/FailureTranslation.h"
#include "python/GenerationArguments.h"
#include "python/GilRelease.h"
#include "python/ImportedMaps.h"
#include "python/Interrupts.h"
#include "python/MeshMethods.h"
#include "python/PythonMap.h"
#include "python/TypedArguments.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <chrono>

namespace py = pybind11;
using glenvar_python::AsArray;
using glenvar_python::GilRelease;
using glenvar_python::GridView;
using glenvar_python::PythonMap;

namespace {

py::object Heights(py::object self) {
    auto& map = self.cast<PythonMap&>();
    const std::vector<double>* heights = nullptr;
    {
        GilRelease unlocked;
        heights = &map.Heights();
    }
    const auto grid = map.Grid();
    return AsArray(GridView(self, heights->data(), sizeof(double), "d", grid.width, grid.height));
}

py::object Regions(py::object self) {
    auto& map = self.cast<PythonMap&>();
    const std::vector<uint16_t>* regions = nullptr;
    {
        GilRelease unlocked;
        regions = &map.Regions();
    }
    const auto grid = map.Grid();
    return AsArray(GridView(self, regions->data(), sizeof(uint16_t), "H", grid.width, grid.height));
}

// One of the last drainage's grids, or None; the array keeps the drainage
// alive, as a later one with another threshold replaces it in the map.
template <class Select> py::object WatersGrid(py::object self, Select select, const char* format) {
    auto& map = self.cast<PythonMap&>();
    auto waters = map.Waters();
    if (!waters)
        return py::none();
    const auto& grid = select(*waters);
    using Item = typename std::decay_t<decltype(grid)>::value_type;
    const void* data = grid.data();
    auto* kept = new std::shared_ptr<const MapWaters>(std::move(waters));
    py::capsule owner(kept,
                      [](void* p) { delete static_cast<std::shared_ptr<const MapWaters>*>(p); });
    const auto size = map.Grid();
    return AsArray(GridView(owner, data, sizeof(Item), format, size.width, size.height));
}

py::object Flow(py::object self) {
    return WatersGrid(
        self, [](const MapWaters& w) -> auto& { return w.drained->flow.Area(); }, "I");
}

py::object Lakes(py::object self) {
    return WatersGrid(
        self, [](const MapWaters& w) -> auto& { return w.drained->lakes; }, "?");
}

py::object Rivers(py::object self) {
    return WatersGrid(
        self, [](const MapWaters& w) -> auto& { return *w.rivers; }, "?");
}

py::object Points(py::object self) {
    PointArray& points = self.cast<PythonMap&>().Points();
    return AsArray({self,
                    points.GetData(),
                    sizeof(int32_t),
                    "i",
                    {points.GetSize(), 2},
                    {sizeof(Point), sizeof(int32_t)}});
}

using glenvar_python::CheckedSetting;
using Id = StageSettingId;

// A stage row's value from Python: TypeError for another type, ValueError
// out of the row's range; both name the row's keyword.
double StageArgument(Id id, const py::object& value) {
    const StageSetting& row = StageRow(id);
    if (row.type == SettingType::Number)
        return CheckedSetting(row, glenvar_python::NumberArgument(row.keyword, value));
    try {
        return CheckedSetting(row, glenvar_python::IntegerArgument(row.keyword, value));
    } catch (const glenvar_python::KeywordRefusal& refusal) {
        // The integer as Python writes it, however large.
        throw glenvar_python::KeywordRefusal(refusal.keyword, refusal.expected,
                                             py::str(py::int_(value)));
    }
}

uint32_t RiverThreshold(const py::object& rivers) {
    return uint32_t(StageArgument(Id::Rivers, rivers));
}

// A method's keyword of the row, with the row's default as Python's value,
// as the stub writes it (python/PythonKeywords.h).
py::arg_v RowArgument(Id id) {
    const StageSetting& row = StageRow(id);
    py::object fallback = py::bool_(false);
    if (row.type == SettingType::Integer)
        fallback = py::int_(int64_t(StageDefault(row)));
    else if (row.type == SettingType::Number)
        fallback = py::float_(StageDefault(row));
    else if (row.type == SettingType::Choice)
        fallback = py::str(std::string(row.fallback));
    return py::arg(row.keyword.data()) = fallback;
}

// A choice's word, read as glenvar-cli reads its option's.
StageValue ChoiceArgument(Id id, const py::object& value) {
    const StageSetting& row = StageRow(id);
    if (!py::isinstance<py::str>(value))
        throw py::type_error(std::string(row.keyword) + " must be a str");
    const StageReading read = ReadStageText(row, value.cast<std::string>());
    if (const auto* refusal = std::get_if<StageRefusal>(&read))
        throw glenvar_python::KeywordRefusal(row.keyword, refusal->expected, refusal->got);
    return std::get<StageValue>(read);
}

bool Flag(Id id, const py::object& value) {
    return glenvar_python::FlagArgument(StageRow(id).keyword, value);
}

py::object PictureArray(PythonMap& map, const py::object& waterLevel,
                        const py::object& regionsValue, const py::object& shadeValue,
                        const py::object& rivers) {
    std::optional<double> level = glenvar_python::NumberOrNoneArgument("water_level", waterLevel);
    if (level)
        level = glenvar_python::CheckedWaterLevel(*level);
    const bool regions = Flag(Id::Regions, regionsValue);
    const bool shade = Flag(Id::Shade, shadeValue);
    const uint32_t threshold = RiverThreshold(rivers);
    const Picture picture =
        glenvar_python::Interruptible([&](glenvar_python::InterruptWatch& watch) {
            return map.Render(level, regions, shade, threshold, watch.Stages());
        });
    py::object array = py::module_::import("numpy").attr("empty")(
        py::make_tuple(picture.height, picture.width, 3), "uint8");
    py::buffer_info out = py::buffer(array).request(true);
    auto* rgb = static_cast<unsigned char*>(out.ptr);
    GilRelease unlocked;
    for (const uint32_t pixel : picture.pixels) {
        *rgb++ = static_cast<unsigned char>(pixel >> 16);
        *rgb++ = static_cast<unsigned char>(pixel >> 8);
        *rgb++ = static_cast<unsigned char>(pixel);
    }
    return array;
}

// The table's defaults as Python values: the seed whole, flags as bools.
py::object DefaultOf(const ParameterRow& row) {
    switch (row.kind) {
    case ParameterKind::Seed:
        return py::int_(NewTerrain().seed);
    case ParameterKind::Integer:
        return py::int_(static_cast<int32_t>(row.Default()));
    case ParameterKind::Fraction:
        return py::float_(row.Default());
    case ParameterKind::Flag:
        break;
    }
    return py::bool_(row.Default() != 0);
}

// Python's settings call a switch a flag, as its parameters do.
const char* TypeName(SettingType type) {
    return type == SettingType::Switch ? "flag" : SettingTypeName(type);
}

// The stage and layout rows Python has a keyword for.
py::tuple PythonSettings() {
    py::list rows;
    for (const StageSetting& row : StageSettings()) {
        if (row.keyword.empty())
            continue;
        const bool number = row.type == SettingType::Integer || row.type == SettingType::Number;
        py::object fallback = py::str(std::string(row.fallback));
        if (row.type == SettingType::Integer)
            fallback = py::int_(int64_t(StageDefault(row)));
        else if (row.type == SettingType::Number)
            fallback = py::float_(StageDefault(row));
        else if (row.type == SettingType::Switch)
            fallback = py::bool_(false);
        else if (row.fallback.empty())
            fallback = py::none();
        rows.append(py::make_tuple(std::string(row.keyword), std::string(row.option),
                                   TypeName(row.type),
                                   number ? py::object(py::float_(row.low)) : py::none(),
                                   number ? py::object(py::float_(row.high)) : py::none(), fallback,
                                   std::string(row.description)));
    }
    return py::tuple(rows);
}

// The docstring names the row's range, as glenvar-cli's help does.
const std::string& SmoothDoc() {
    static const std::string doc = "A new map of the altitudes smoothed: three passes of a box "
                                   "blur of the radius (" +
                                   StageRangeText(StageRow(StageSettingId::Smooth)) +
                                   ") that wraps like the map. This map stays as it is.";
    return doc;
}

py::tuple PythonParameters() {
    py::list rows;
    for (const auto& p : glenvar_python::GenerationParameters()) {
        const ParameterKind kind = p.row->kind;
        const char* kindName = kind == ParameterKind::Fraction ? "number"
                               : kind == ParameterKind::Flag   ? "flag"
                                                               : "integer";
        rows.append(py::make_tuple(p.keyword, std::string(p.row->option), kindName,
                                   DefaultOf(*p.row), std::string(p.row->description)));
    }
    return py::tuple(rows);
}

}  // namespace

PYBIND11_MODULE(_glenvar, m) {
    m.doc() = "The extension behind glenvar; use the package glenvar.";
    m.attr("__version__") = GLENVAR_VERSION;
    py::register_exception_translator(&glenvar_python::TranslateFailures);
    glenvar_python::AddFailureProbe(m);
    glenvar_python::DefineArrayView(m);
    glenvar_python::WaitForGlenvarAtExit();

    py::class_<PythonMap> mapClass(m, "Map",
                                   "A generated or loaded map; its arrays are views on it.");
    mapClass
        .def_property_readonly("heights", &Heights,
                               "Altitudes 0..1 of the map (its stages', if any), float64 "
                               "(height, width), C-contiguous and read-only. A changed copy is "
                               "yours to keep; the map and its files stay as they are.")
        .def_property_readonly("regions", &Regions,
                               "Index of each cell's nearest concentration point, uint16 "
                               "(height, width), C-contiguous and read-only.")
        .def_property_readonly("points", &Points,
                               "Concentration points (x, y), int32 (P, 2), read-only.")
        .def_property_readonly("flow", &Flow,
                               "Cells draining through each cell, itself included, uint32 "
                               "(height, width), read-only; None until a picture, info or save "
                               "with rivers > 0 drained the map at its own water level.")
        .def_property_readonly("lakes", &Lakes,
                               "Cells under a lake, bool (height, width), read-only; None as "
                               "flow.")
        .def_property_readonly("rivers", &Rivers,
                               "River cells of that drainage's threshold, bool (height, "
                               "width), read-only; None as flow.")
        .def("picture", &PictureArray, py::kw_only(), py::arg("water_level") = py::none(),
             RowArgument(Id::Regions), RowArgument(Id::Shade), RowArgument(Id::Rivers),
             "The picture, uint8 (height, width, 3) RGB, at the map's water level or another; "
             "shade lights the land's relief from the north-west; rivers > 0 draws lakes and "
             "the land draining at least that many cells as river, as glenvar-cli's --rivers; at "
             "the map's own water level that drainage stays as flow, lakes and rivers.")
        .def(
            "smooth",
            [](PythonMap& map, const py::object& radius) {
                LandformStages stages;
                stages.smoothRadius = int32_t(StageArgument(Id::Smooth, radius));
                return glenvar_python::Interruptible([&](glenvar_python::InterruptWatch& watch) {
                    return map.Staged(stages, watch.Stages());
                });
            },
            py::arg("radius"), SmoothDoc().c_str())
        .def(
            "erode",
            [](PythonMap& map, const py::object& steps, const py::object& k,
               const py::object& thermal, const py::object& uplift, const py::object& deposition,
               const py::object& diffusion, const py::object& crossLakes,
               const py::object& droplets, const py::object& flowDirections) {
                RecipeOptions checked;
                for (const auto& [id, value] :
                     {std::pair{Id::Erode, steps}, {Id::ErosionK, k}, {Id::Thermal, thermal}})
                    SetStageValue(StageRow(id), {StageArgument(id, value)}, checked);
                // Erosion's further laws
                for (const auto& [id, value] : {std::pair{Id::Uplift, uplift},
                                                {Id::Deposition, deposition},
                                                {Id::Diffusion, diffusion},
                                                {Id::Droplets, droplets}})
                    SetStageValue(StageRow(id), {StageArgument(id, value)}, checked);
                checked.stages.crossLakes = Flag(Id::CrossLakes, crossLakes);
                SetStageValue(StageRow(Id::FlowDirections),
                              ChoiceArgument(Id::FlowDirections, flowDirections), checked);
                const LandformStages& stages = checked.stages;
                return glenvar_python::Interruptible([&](glenvar_python::InterruptWatch& watch) {
                    return map.Staged(stages, watch.Stages());
                });
            },
            py::arg("steps"), py::kw_only(), RowArgument(Id::ErosionK), RowArgument(Id::Thermal),
            RowArgument(Id::Uplift), RowArgument(Id::Deposition), RowArgument(Id::Diffusion),
            RowArgument(Id::CrossLakes), RowArgument(Id::Droplets), RowArgument(Id::FlowDirections),
            "A new map of the altitudes eroded: `steps` of stream-power erosion down to the map's "
            "water level (with `uplift`, `deposition` and `diffusion` per step, water crossing "
            "lakes when any is set, `cross_lakes` or `flow_directions` 'mfd', which shares each "
            "cell's water among all its lower neighbours), then `droplets` water droplets, then "
            "`thermal` steps of talus erosion (glenvar.SETTINGS gives the ranges and defaults). "
            "This map stays as it is.")
        .def(
            "info",
            [](PythonMap& map, const py::object& rivers) {
                const uint32_t threshold = RiverThreshold(rivers);
                const std::string text =
                    glenvar_python::Interruptible([&](glenvar_python::InterruptWatch& watch) {
                        return map.InfoJson(threshold, watch.Stages());
                    });
                return py::module_::import("json").attr("loads")(text);
            },
            py::kw_only(), RowArgument(Id::Rivers),
            "The settings and land figures `glenvar-cli info --json` prints, as a dict; with "
            "rivers > 0 also its river and lake figures, the drainage kept as picture keeps it.")
        .def(
            "save",
            [](PythonMap& map, const py::object& pathValue, const py::object& heightmapValue,
               const py::object& regionsValue, const py::object& shadeValue,
               const py::object& rivers) {
                const std::filesystem::path path = glenvar_python::PathArgument("path", pathValue);
                const bool heightmap = glenvar_python::FlagArgument("heightmap", heightmapValue);
                const bool regions = Flag(Id::Regions, regionsValue);
                const bool shade = Flag(Id::Shade, shadeValue);
                const uint32_t threshold = RiverThreshold(rivers);
                glenvar_python::Interruptible([&](glenvar_python::InterruptWatch& watch) {
                    map.Save(path, heightmap, regions, shade, threshold, watch.Stages());
                });
            },
            py::arg("path"), py::kw_only(), py::arg("heightmap") = false, RowArgument(Id::Regions),
            RowArgument(Id::Shade), RowArgument(Id::Rivers),
            "Saves the map in a form by extension, as glenvar-cli writes it (recipe, sidecar); the "
            "recipe names regions, shade and rivers, also a heightmap's, as glenvar-cli's names "
            "its command line's options.")
        .def("__repr__", [](const PythonMap& map) {
            const auto grid = map.Grid();
            return "<glenvar.Map " + std::to_string(grid.width) + " x " +
                   std::to_string(grid.height) + ", seed " + std::to_string(map.Terrain().seed) +
                   ">";
        });
    glenvar_python::DefineMeshMethods(mapClass);
    m.attr("Map").attr("__module__") = "glenvar";
    glenvar_python::DefineClimateMethods(mapClass, m);

    m.def("parameters", &PythonParameters,
          "(keyword, glenvar-cli option, kind, default, description) of every generation "
          "parameter.");
    m.def("settings", &PythonSettings,
          "(keyword, glenvar-cli option, type, low, high, default, description) of every stage "
          "and layout setting.");
    m.def(
        "check_setting",
        [](const std::string& keyword, double value) -> py::object {
            const StageSetting* row = glenvar_python::SettingOfKeyword(keyword);
            if (row == nullptr)
                throw py::key_error(keyword);
            try {
                CheckedSetting(*row, value);
            } catch (const glenvar_python::KeywordRefusal& r) {
                return py::make_tuple(r.keyword, r.expected, r.got);
            }
            return py::none();
        },
        py::arg("keyword"), py::arg("value"),
        "(keyword, expected, got) when the setting refuses the value, else None.");
    m.def(
        "refusal",
        [](const py::dict& keywords) -> py::object {
            try {
                glenvar_python::GenerationOptions(keywords);
            } catch (const glenvar_python::KeywordRefusal& r) {
                return py::make_tuple(r.keyword, r.expected, r.got);
            }
            return py::none();
        },
        py::arg("keywords"),
        "(keyword, expected, got) of generate's first refused keyword, or None.");
    m.def(
        "generate",
        [](const py::dict& keywords) {
            const glenvar_python::GenerationRequest options =
                glenvar_python::GenerationOptions(keywords);
            return glenvar_python::Interruptible([&](glenvar_python::InterruptWatch& watch) {
                return PythonMap::Generate(options, watch.Generation());
            });
        },
        py::arg("keywords"), "Grows a map from generate's keywords.");
    m.def(
        "check", [](const py::dict& keywords) { glenvar_python::GenerationOptions(keywords); },
        py::arg("keywords"), "Refuses what generate would refuse, without growing a map.");
    m.def(
        "generation_bytes",
        [](const py::dict& keywords) {
            const glenvar_python::GenerationRequest options =
                glenvar_python::GenerationOptions(keywords);
            PipelineSettings settings;
            settings.threads = options.threads;
            return GenerationBytes(options.terrain, settings, {});
        },
        py::arg("keywords"), "The peak bytes of growing and saving one map of these keywords.");
    m.def("available_bytes", &AvailableBytes,
          "The bytes this process can still allocate (the system's, its limits' and its "
          "control group's least).");
    m.def(
        "generation_seconds",
        [](const py::dict& keywords, int repeats) {
            const glenvar_python::GenerationRequest options =
                glenvar_python::GenerationOptions(keywords);
            std::vector<double> seconds;
            GilRelease unlocked;
            for (int r = 0; r < repeats; ++r) {
                const auto start = std::chrono::steady_clock::now();
                auto map = PythonMap::Generate(options);
                seconds.push_back(
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                        .count());
            }
            return seconds;
        },
        py::arg("keywords"), py::arg("repeats"),
        "For the benchmark: seconds of each of `repeats` generations made in C++ alone.");
    glenvar_python::DefineImports(m);
    m.def(
        "load",
        [](const py::object& pathValue) {
            const std::filesystem::path path = glenvar_python::PathArgument("path", pathValue);
            return glenvar_python::Interruptible([&](glenvar_python::InterruptWatch& watch) {
                return PythonMap::Load(path, watch.Generation(), watch.Stages());
            });
        },
        py::arg("path"),
        "Reads a map file (.ld) or raw data file (.dat); or rebuilds, from its recipe, the map "
        "a picture or heightmap (.png, .tif, .exr, or a heightmap's sidecar NAME.json) was "
        "written from: grown, smoothed and eroded again, with the recipe's picture and "
        "heightmap settings; any other heights glenvar-cli shape reads (a heightmap without a "
        "recipe, an elevation model GDAL reads) are imported, with open edges.");
}
