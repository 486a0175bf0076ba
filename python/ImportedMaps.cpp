#include "python/ImportedMaps.h"

#include "data/Failures.h"
#include "geo/GeoPackageFile.h"
#include "geo/GeoTiffFile.h"
#include "geo/HeightReader.h"
#include "pipeline/MemoryNeed.h"
#include "python/GenerationArguments.h"
#include "python/PythonMap.h"

#include <pybind11/stl.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <string>

namespace py = pybind11;

namespace glenvar_python {

namespace {

// Copied, never viewed: the caller's array may change or go after the call.
AltitudeGrid GridOf(const py::buffer& array) {
    const py::buffer_info info = array.request();
    if (info.ndim != 2 || info.format != py::format_descriptor<double>::format() ||
        info.strides[1] != sizeof(double) || info.strides[0] != info.shape[1] * info.strides[1])
        throw ArgumentError("heights must be a C-contiguous 2-D float64 array");
    if (info.shape[0] > maxImportSide || info.shape[1] > maxImportSide)
        throw ArgumentError("heights must have at most " + std::to_string(maxImportSide) +
                            " rows and columns");
    AltitudeGrid grid(int32_t(info.shape[1]), int32_t(info.shape[0]));
    if (!grid.altitudes.empty())
        std::memcpy(grid.altitudes.data(), info.ptr, grid.altitudes.size() * sizeof(double));
    return grid;
}

void MarkNoData(AltitudeGrid& grid, const std::optional<double>& noData) {
    if (!noData)
        return;
    grid.noData.assign(grid.altitudes.size(), 0);
    for (size_t i = 0; i < grid.altitudes.size(); ++i) {
        const double v = grid.altitudes[i];
        grid.noData[i] = v == *noData || (std::isnan(*noData) && std::isnan(v));
    }
}

// Heights within 0..1 are Glenvar's; any others an elevation model's metres.
HeightUnits UnitsOf(const AltitudeGrid& grid) {
    for (size_t i = 0; i < grid.altitudes.size(); ++i)
        if ((grid.noData.empty() || !grid.noData[i]) &&
            !(grid.altitudes[i] >= 0.0 && grid.altitudes[i] <= 1.0))
            return HeightUnits::Metres;
    return HeightUnits::Unitless;
}

void CheckMemory(int32_t width, int32_t height) {
    const std::string refusal =
        MemoryRefusal(width, height, ImportBytes(width, height, {}, {}), AvailableBytes());
    if (!refusal.empty())
        throw MemoryShortage(refusal);
}

std::unique_ptr<PythonMap> FromHeights(const py::buffer& array, bool wrap,
                                       std::optional<double> noData, double cellSize,
                                       std::optional<double> waterLevel) {
    if (!(cellSize > 0 && cellSize <= 1e6))
        throw ArgumentError("cell_size must be metres greater than 0 and at most 1000000, got " +
                            std::to_string(cellSize));
    ImportedHeights heights;
    heights.path = "the array";
    heights.sampleType = "float64 array";
    heights.heights = GridOf(array);
    MarkNoData(heights.heights, noData);
    heights.units = UnitsOf(heights.heights);
    heights.geo.noData = noData;
    heights.geo.transform[1] = cellSize;
    heights.geo.transform[3] = cellSize * heights.heights.height;
    heights.geo.transform[5] = -cellSize;
    PipelineSettings settings;
    settings.recipe.boundary = wrap ? Boundary::Wrap : Boundary::Open;
    settings.recipe.cellSizeMetres = cellSize;
    try {
        CheckImported(heights);
    } catch (const CommandFailure& failure) {
        throw ArgumentError(failure.what());
    }
    CheckMemory(heights.heights.width, heights.heights.height);
    return std::make_unique<PythonMap>(
        MapPipeline::Imported(std::move(heights), waterLevel, settings));
}

}  // namespace

std::unique_ptr<PythonMap> ImportedFile(const std::filesystem::path& path) {
    HeightReadOptions read;
    read.checkSize = &CheckMemory;
    ImportedHeights heights;
    try {
        heights = ReadHeights(path.string(), read);
    } catch (const CommandFailure& failure) {
        std::error_code error;
        // A file that is there but holds no heights is a bad value, not a file error.
        if (failure.kind() == FailureKind::File && std::filesystem::is_regular_file(path, error))
            throw ArgumentError(failure.what());
        throw;
    }
    return std::make_unique<PythonMap>(MapPipeline::Imported(std::move(heights), {}, {}));
}

void DefineImports(py::module_& m) {
    UseGeoTiffs();
    UseGeoPackages();
    m.def("_from_heights", &FromHeights, py::arg("heights"), py::arg("wrap"), py::arg("nodata"),
          py::arg("cell_size"), py::arg("water_level"),
          "The map of a C-contiguous float64 array's heights, copied; see glenvar.from_heights.");
    auto map = py::reinterpret_borrow<py::class_<PythonMap>>(m.attr("Map"));
    map.def_property_readonly(
        "recipe",
        [](const PythonMap& self) -> std::string {
            if (const HeightSource* source = self.Source())
                return "# made from " + source->path +
                       " (imported heights): no glenvar-cli command rebuilds this map";
            return self.Recipe();
        },
        "The glenvar-cli command that rebuilds this map, as its pictures carry it; for a map "
        "made from imported heights or an array a comment saying so, which no command runs.");
}

}  // namespace glenvar_python
