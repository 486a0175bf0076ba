#include "python/ClimateMethods.h"

#include "export/SettingText.h"
#include "export/StageSettings.h"
#include "python/ArrayView.h"
#include "python/GenerationArguments.h"
#include "python/GilRelease.h"
#include "python/Interrupts.h"
#include "python/TypedArguments.h"

#include <cmath>
#include <memory>

namespace py = pybind11;

namespace glenvar_python {

namespace {

using Id = StageSettingId;

// A Number row's value from Python, checked against the row.
double RowNumber(Id id, const py::object& value) {
    const StageSetting& row = StageRow(id);
    const StageReading reading = CheckStageNumber(row, NumberArgument(row.keyword, value));
    if (const auto* refusal = std::get_if<StageRefusal>(&reading))
        throw KeywordRefusal(row.keyword, refusal->expected, refusal->got);
    return std::get<StageValue>(reading).number;
}

// Every climate keyword read as glenvar-cli reads its options.
ClimateSettings ClimateArguments(const py::object& latitudes, const py::object& lapseRate,
                                 const py::object& windFrom, const py::object& heightRange) {
    RecipeOptions options;
    const StageSetting& span = StageRow(Id::Latitudes);
    const bool sequence =
        py::isinstance<py::sequence>(latitudes) && !py::isinstance<py::str>(latitudes);
    if (!sequence || py::len(latitudes) != 2)
        throw py::type_error("latitudes must be a pair of numbers (north, south), got " +
                             std::string(py::str(py::type::of(latitudes).attr("__name__"))));
    const py::sequence pair = latitudes.cast<py::sequence>();
    const double north = NumberArgument(span.keyword, pair[0]);
    const double south = NumberArgument(span.keyword, pair[1]);
    const std::string text = ShortestText(north) + "," + ShortestText(south);
    const StageReading reading = ReadStageText(span, text);
    if (const auto* refusal = std::get_if<StageRefusal>(&reading))
        throw KeywordRefusal(span.keyword, refusal->expected, "(" + text + ")");
    SetStageValue(span, std::get<StageValue>(reading), options);
    SetStageValue(StageRow(Id::LapseRate), {RowNumber(Id::LapseRate, lapseRate)}, options);
    const StageSetting& wind = StageRow(Id::WindFrom);
    if (!py::isinstance<py::str>(windFrom))
        throw py::type_error("wind_from must be a str");
    const StageReading direction = ReadStageText(wind, windFrom.cast<std::string>());
    if (const auto* refusal = std::get_if<StageRefusal>(&direction))
        throw KeywordRefusal(wind.keyword, refusal->expected, refusal->got);
    SetStageValue(wind, std::get<StageValue>(direction), options);
    SetStageValue(StageRow(Id::HeightRange), {RowNumber(Id::HeightRange, heightRange)}, options);
    return options.Climate();
}

// The defaults as the rows give them.
py::arg_v LatitudesArgument() {
    return py::arg("latitudes") = py::make_tuple(90.0, -90.0);
}
py::arg_v NumberDefault(Id id) {
    return py::arg(StageRow(id).keyword.data()) = py::float_(StageDefault(StageRow(id)));
}

// One of the climate's grids; the array keeps the climate alive.
template <class Item>
py::object ClimateGrid(std::shared_ptr<const Climate> climate, const std::vector<Item>& grid,
                       const char* format, const GEO_MakeLand::GridSize& size) {
    auto* kept = new std::shared_ptr<const Climate>(std::move(climate));
    py::capsule owner(kept,
                      [](void* p) { delete static_cast<std::shared_ptr<const Climate>*>(p); });
    return AsArray(GridView(owner, grid.data(), sizeof(Item), format, size.width, size.height));
}

py::object RgbArray(const Picture& picture) {
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

py::tuple Biomes() {
    py::list rows;
    for (const BiomeInfo& b : BiomeTable())
        rows.append(py::make_tuple(int(b.biome), std::string(b.key), std::string(b.english),
                                   std::string(b.japanese),
                                   py::make_tuple(b.rgb >> 16, (b.rgb >> 8) & 0xFF, b.rgb & 0xFF)));
    return py::tuple(rows);
}

}  // namespace

void DefineClimateMethods(py::class_<PythonMap>& map, py::module_& module) {
    static_assert(sizeof(Biome) == 1, "biomes are viewed as uint8");
    map.def(
        "climate",
        [](PythonMap& self, const py::object& latitudes, const py::object& lapseRate,
           const py::object& windFrom, const py::object& heightRange) {
            const ClimateSettings settings =
                ClimateArguments(latitudes, lapseRate, windFrom, heightRange);
            auto climate = Interruptible(
                [&](InterruptWatch& watch) { return self.MapClimate(settings, watch.Stages()); });
            const auto size = self.Grid();
            py::dict out;
            out["temperature"] = ClimateGrid(climate, climate->temperatures, "f", size);
            out["precipitation"] = ClimateGrid(climate, climate->precipitation, "f", size);
            out["biomes"] = ClimateGrid(climate, climate->biomes, "B", size);
            return out;
        },
        py::kw_only(), LatitudesArgument(), NumberDefault(Id::LapseRate),
        py::arg("wind_from") = "bands", NumberDefault(Id::HeightRange),
        "The climate of the map's heights at its water level, as glenvar-cli's --layer "
        "temperature, precipitation and biomes write it: a dict of read-only (height, width) "
        "arrays, 'temperature' float32 in degrees Celsius, 'precipitation' float32 in mm a year "
        "(NaN where a cell holds no height), 'biomes' uint8 ids of glenvar.BIOMES. latitudes "
        "(north, south) in degrees span the rows; the air cools by lapse_rate degrees per km of "
        "height (height_range_m metres the altitudes 0..1 span); wind_from is 'bands' or a "
        "direction as --wind-from takes it.");
    map.def(
        "biome_picture",
        [](PythonMap& self, const py::object& latitudes, const py::object& lapseRate,
           const py::object& windFrom, const py::object& heightRange, const py::object& shade,
           const py::object& rivers) {
            const ClimateSettings settings =
                ClimateArguments(latitudes, lapseRate, windFrom, heightRange);
            const bool relief = FlagArgument(StageRow(Id::Shade).keyword, shade);
            const StageSetting& row = StageRow(Id::Rivers);
            const StageReading threshold =
                CheckStageNumber(row, IntegerArgument(row.keyword, rivers));
            if (const auto* refusal = std::get_if<StageRefusal>(&threshold))
                throw KeywordRefusal(row.keyword, refusal->expected, refusal->got);
            const Picture picture = Interruptible([&](InterruptWatch& watch) {
                return self.BiomePicture(settings, relief,
                                         uint32_t(std::get<StageValue>(threshold).number),
                                         watch.Stages());
            });
            return RgbArray(picture);
        },
        py::kw_only(), LatitudesArgument(), NumberDefault(Id::LapseRate),
        py::arg("wind_from") = "bands", NumberDefault(Id::HeightRange), py::arg("shade") = false,
        py::arg("rivers") = 0,
        "The picture coloured by biome, uint8 (height, width, 3) RGB, the sea as picture() draws "
        "it; shade and rivers as picture() takes them, the climate's keywords as climate().");
    module.def("biomes", &Biomes,
               "(id, key, English name, Japanese name, (r, g, b)) of every biome, by id.");
}

}  // namespace glenvar_python
