#include "python/GenerationArguments.h"

#include "core/ParameterLimits.h"
#include "export/SettingText.h"
#include "python/PythonKeywords.h"

#include <cmath>
#include <optional>

namespace py = pybind11;

namespace glenvar_python {

namespace {

// Python's int as the type, or nothing when it does not fit.
template <class T> std::optional<T> Whole(const py::handle& value) {
    try {
        return value.cast<T>();
    } catch (const py::cast_error&) {
        return std::nullopt;
    }
}

void SetParameter(GenerationRequest& o, const Parameter& p, const py::handle& value) {
    const ParameterRow& row = *p.row;
    const auto refuse = [&] {
        return KeywordRefusal(p.keyword, ParameterExpected(row),
                              py::repr(value).cast<std::string>());
    };
    switch (row.kind) {
    case ParameterKind::Seed: {
        const auto seed = Whole<uint64_t>(value);
        if (!seed)
            throw refuse();
        o.terrain.*std::get<uint64_t GEO_MakeLand::*>(row.field) = *seed;
        break;
    }
    case ParameterKind::Integer: {
        const auto number = Whole<int64_t>(value);
        if (!number || !ParameterFits(row, double(*number)))
            throw refuse();
        row.SetNumber(o.terrain, double(*number));
        break;
    }
    case ParameterKind::Fraction: {
        const double number = value.cast<double>();
        if (!ParameterFits(row, number))
            throw refuse();
        row.SetNumber(o.terrain, number == 0.0 ? 0.0 : number);  // no negative zero
        break;
    }
    case ParameterKind::Flag:
        if (!value.cast<bool>())
            return;
        row.SetNumber(o.terrain, 1);
        break;
    }
}

void SetPoints(GenerationRequest& o, const py::handle& points) {
    if (points.is_none())
        return;
    for (const py::handle pair : points) {
        const auto tuple = pair.cast<py::tuple>();
        o.terrain.concentrationPoints.Add({tuple[0].cast<int32_t>(), tuple[1].cast<int32_t>()});
        // Hand placement keeps the random point count as it was, as the desktop program does.
        o.terrain.manualPlacement = 1;
    }
}

// Points fit the grid and the region labels only once the size is known.
void CheckPoints(const GenerationRequest& o) {
    const GEO_MakeLand& t = o.terrain;
    const size_t count = static_cast<size_t>(t.concentrationPoints.GetSize());
    if (count > limits::maxHandPoints)
        throw KeywordRefusal("points", "1 to " + std::to_string(limits::maxHandPoints) + " pairs",
                             std::to_string(count));
    for (const Point& p : t.concentrationPoints)
        if (p.x < 0 || p.x >= t.width || p.y < 0 || p.y >= t.height)
            throw KeywordRefusal("points",
                                 "(x, y) pairs with 0 <= x < " + std::to_string(t.width) +
                                     " and 0 <= y < " + std::to_string(t.height),
                                 "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")");
}

}  // namespace

const std::vector<Parameter>& GenerationParameters() {
    static const std::vector<Parameter> parameters = [] {
        std::vector<Parameter> list;
        for (const ParameterRow& row : ParameterTable()) {
            if (row.option.empty())
                continue;
            list.push_back({ParameterKeyword(row), &row});
        }
        return list;
    }();
    return parameters;
}

GenerationRequest GenerationOptions(const py::dict& keywords) {
    GenerationRequest o;
    for (const auto& [key, value] : keywords) {
        const std::string keyword = py::str(key);
        if (keyword == "points") {
            SetPoints(o, value);
            continue;
        }
        if (keyword == "threads") {
            const auto threads = Whole<int32_t>(value);
            if (!threads || *threads < 1 || *threads > 2)
                throw KeywordRefusal(keyword, "an integer from 1 to 2",
                                     py::repr(value).cast<std::string>());
            o.threads = *threads;
            continue;
        }
        const Parameter* parameter = nullptr;
        for (const Parameter& p : GenerationParameters())
            if (p.keyword == keyword)
                parameter = &p;
        if (parameter == nullptr)
            throw py::type_error("generate() got an unexpected keyword argument '" + keyword + "'");
        SetParameter(o, *parameter, value);
    }
    CheckPoints(o);
    return o;
}

double CheckedWaterLevel(double level) {
    const ParameterRow& row = *FindParameter("waterLevel");
    if (!ParameterFits(row, level))
        throw KeywordRefusal("water_level", ParameterExpected(row),
                             std::isnan(level) ? "nan" : ShortestText(level));
    return level;
}

double CheckedSetting(const StageSetting& row, double value) {
    const StageReading reading = CheckStageNumber(row, value);
    if (const auto* refusal = std::get_if<StageRefusal>(&reading))
        throw KeywordRefusal(row.keyword, refusal->expected, refusal->got);
    return std::get<StageValue>(reading).number;
}

const StageSetting* SettingOfKeyword(std::string_view keyword) {
    for (const StageSetting& row : StageSettings())
        if (!keyword.empty() && row.keyword == keyword)
            return &row;
    return nullptr;
}

}  // namespace glenvar_python
